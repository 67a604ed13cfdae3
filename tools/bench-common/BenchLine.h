#pragma once

// A raw pseudo-terminal put in place of COM `port`: the program under measurement opens its slave
// as that port, the benchmark plays the far end on the returned master (-1 when none could be
// made, said on standard error). The slave end stays open for the life of the benchmark, so the
// line never hangs up between the program's opens.
int OpenBenchLine(int port);
