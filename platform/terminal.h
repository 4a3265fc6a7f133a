// The standard streams of a command-line program: whether they are a terminal, its
// width, redrawing the last lines written to it, and Ctrl+C. Programs write through the
// C library's streams; flush them before the calls that move the cursor.
#pragma once
#include <cstdint>

namespace platform::terminal {

enum class StdStream : std::uint8_t { Input, Output, Error };

// The stream is a terminal (a console window on Windows), not a file, pipe or device.
bool IsTerminal(StdStream stream);
// Columns of the terminal behind the stream; 0 when it is none or does not say.
int Columns(StdStream stream);
// Moves the cursor up `lines` lines to the start of that line and clears everything
// from there to the end of the screen, so those lines can be written again. False when
// the stream is no terminal.
bool RewindLines(StdStream stream, int lines);

// Ctrl+C (Ctrl+Break on Windows; SIGINT and SIGTERM on the host): once CatchInterrupt
// has run, the first one only sets a flag for the program to poll, so it can stop at a
// safe point; a second one ends the process as the system would have.
void CatchInterrupt();
bool InterruptRequested();
// Sets or clears the flag, as the handler does (for a program's own cancel paths and
// for tests).
void SetInterruptRequested(bool requested);

}  // namespace platform::terminal
