#pragma once
#include <functional>

// Runs an event loop that waits for work as the program's own loop does (as an open box's loop
// does, and an archive is written out when its loop has nothing else to do) until `done` holds;
// false when it did not within timeoutMs. For the program running in the test's own thread.
bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000);
