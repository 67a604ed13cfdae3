#pragma once

// Runs the program: parses the command line, takes the station and runs it until it is stopped.
int RunQuorvel(int argc, char* argv[]);
