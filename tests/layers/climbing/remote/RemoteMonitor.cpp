#include "remote/RemoteMonitor.h"

#  include <app/PortMap.h>
#include "../ui/WindowMessages.h"
#include "comms/SerialComms.h"
