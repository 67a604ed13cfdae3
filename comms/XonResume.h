#pragma once

// Makes a line held by the far end's XOFF go on only at its XON. The serial library's software
// flow control also lets any other received byte resume the line, so a far end that goes on
// sending frames while it asks us to wait would get our replies regardless. False when the
// device's settings could not be read or changed.
bool ResumeOnXonOnly(int fd);
