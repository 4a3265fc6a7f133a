// Date-time values: a double counting days since 1899-12-30 00:00, the time of day as
// the fraction, in local time. File stamps (UTC FILETIME) convert to and from them
// through local time and the DOS date and time words, so a value taken from a file has
// 2-second resolution, as archives and overwrite-by-date comparisons expect.
#pragma once
#include <string>

#include "platform/types.h"

using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;

// EncodeDate raises EConvertError "Invalid argument to date encode" for a date that does
// not exist (years 1..9999); EncodeTime "Invalid argument to time encode" for hours above
// 23, minutes or seconds above 59, milliseconds above 999.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
// The parts of a value (its fraction rounded to the nearest millisecond). A value that
// names no day of the years 1 to 9999 decodes as year, month and day 0 and time 0.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

// DOS date and time words (local time, seconds in 2-second steps). The conversion to a
// value fails (false) for a word pair that names no valid date or time; the conversion
// from a value fails outside the years 1980 to 2107. Odd seconds round down.
bool DosDateTimeToDateTime(platform::WORD date, platform::WORD time, TDateTime& out);
bool DateTimeToDosDateTime(TDateTime value, platform::WORD& date, platform::WORD& time);

// A file stamp as a date-time value and back (through local time and DOS words, as the
// Windows API converts them). False when the stamp lies outside the DOS range.
bool FileTimeToDateTime(const platform::FileTime& utc, TDateTime& out);
bool DateTimeToFileTime(TDateTime value, platform::FileTime& utc);

// The last-write stamp of an open file or of a named file as a date-time value, -1 when
// it cannot be read (the last error tells why). FileSetDate sets the last-write stamp of
// an open file (written with write access); false on failure.
TDateTime FileGetDate(platform::Handle h);
TDateTime FileAge(const std::string& path);
bool FileSetDate(platform::Handle h, TDateTime value);
