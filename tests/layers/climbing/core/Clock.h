#pragma once

#include "core/Station.h"
#include "ui/MainFrm.h"
