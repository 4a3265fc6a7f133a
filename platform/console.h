// The process's console. As the terminal front end uses it (host build only; on Windows
// the ui draws real windows instead): whether standard input and output are a terminal,
// raw key input with a time-out, and unbuffered output. As command-line programs use it
// (both builds): whether one standard stream is a terminal, its width, redrawing the last
// lines written, and Ctrl+C. Programs write through the C library's streams; flush them
// before the calls that move the cursor.
#pragma once
#include <cstdint>
#include <string>

namespace platform::console {

// Both standard input and standard output are terminals.
bool IsInteractive();

// Raw input on standard input: no echo, no line editing, no flow-control keys, bytes as
// they come. `onEnter` is written at once; `onLeave` is written when raw mode ends,
// which it also does at exit and when SIGINT, SIGTERM or SIGHUP end the process (the
// signal then takes its default course). False when standard input is no terminal.
bool EnterRawMode(const std::string& onEnter, const std::string& onLeave);
void LeaveRawMode();
bool InRawMode();

enum class ReadResult : std::uint8_t { Byte, Timeout, End };
// One byte of standard input, waiting at most `timeoutMs` (negative: for ever; 0: only
// what is already there). End when the input is closed or cannot be read.
ReadResult ReadByte(int timeoutMs, unsigned char& byte);

// Writes all of `text` to standard output, past any stream buffer.
void Write(const std::string& text);

// ---- both builds

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
// safe point; a second one ends the process as the system would have. (Raw mode puts
// handlers of its own in place; a program uses one or the other.)
void CatchInterrupt();
bool InterruptRequested();
// Sets or clears the flag, as the handler does (for a program's own cancel paths and
// for tests).
void SetInterruptRequested(bool requested);

}  // namespace platform::console
