#pragma once

namespace zelvane::host {

// Makes the terminal show UTF-8 and turns Ctrl-C into a request that the program polls
// instead of ending the process, so a running job can be stopped cleanly.
void PrepareConsole();

// True once Ctrl-C was pressed (on POSIX also SIGTERM, as sent by `timeout` or `kill`).
bool InterruptRequested();

void SleepMilliseconds(unsigned milliseconds);

// Whether standard output is a terminal (a progress bar may then be redrawn in place).
bool OutputIsTerminal();

}  // namespace zelvane::host
