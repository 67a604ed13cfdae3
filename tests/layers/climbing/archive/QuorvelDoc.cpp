#include "archive/QuorvelDoc.h"

#include "events/EventRecord.h"
