// The process's console, as the terminal front end uses it: whether standard input and
// output are a terminal, raw key input with a time-out, and unbuffered output. Only the
// host build has an implementation; on Windows the ui draws real windows instead.
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

}  // namespace platform::console
