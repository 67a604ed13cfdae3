#pragma once

// Runs the program: parses the command line, starts the station and its event loop.
int RunQuorvel(int argc, char* argv[]);
