// Console services shared by the libraries and the test programs.
#pragma once

#include <cstdint>

#include "common/tick_count.h"

namespace sensor {

// Waits for one key press; standard output is flushed first. On a terminal
// every key counts, Ctrl-C, Ctrl-Z and Ctrl-S included: the key is read as a
// byte without echo, with line editing, signal keys and flow control off for
// the wait, and the terminal's modes are put back afterwards, also when a
// signal (SIGHUP, SIGINT, SIGQUIT, SIGTERM) ends the program during the wait.
// Otherwise one byte is read, and end of input returns at once, so pipes and
// CI never hang.
void WaitForKey();

}  // namespace sensor
