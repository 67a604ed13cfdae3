#pragma once

// The live path of one channel as the logging thread runs it for each message: the document
// decodes it, appends it to the day's archive, lists it, and the headless console queues its line
// for standard output (here /dev/null). Prints the heap allocations and the time per record.
// Needs the station directory set, with its Archives folder.
void MeasureLivePath(int records);
