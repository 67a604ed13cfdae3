#include "events/DisplayObj.h"

#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
