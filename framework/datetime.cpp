#include "framework/datetime.h"

#include <cmath>

#include "framework/classes.h"
#include "platform/files.h"

namespace {

using platform::WORD;

// Days from 0001-01-01 (day 1) for a proleptic Gregorian date, as the date-time value
// counts them before moving the origin to 1899-12-30.
constexpr int DateDelta = 693594;  // days from 0001-01-01 to 1899-12-31

bool IsLeapYear(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int DaysInMonth(int y, int m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    long long days = day;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    long long y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    out = TDateTime(days - DateDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    out = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime out;
    if (!TryEncodeDate(year, month, day, out)) throw EConvertError("Invalid argument to date encode");
    return out;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime out;
    if (!TryEncodeTime(hour, minute, second, msec, out)) throw EConvertError("Invalid argument to time encode");
    return out;
}

namespace {

// Whole days since 0001-01-01 (day 1) and milliseconds of the day of a value; the
// milliseconds are rounded, and a day that rounds up to midnight moves on a day. A value
// outside the years 1 to 9999 (or no number at all) gives day 0, which names no date.
void SplitValue(TDateTime value, long long& days, long long& msecs) {
    days = msecs = 0;
    if (!std::isfinite(value) || value < -DateDelta || value >= 2958466.0) return;
    double whole = std::floor(value);
    msecs = std::llround((value - whole) * MSecsPerDay);
    days = (long long)whole + DateDelta;
    if (msecs >= 86400000) {
        msecs -= 86400000;
        ++days;
    }
}

}  // namespace

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    long long days, msecs;
    SplitValue(value, days, msecs);
    if (days <= 0) {
        year = month = day = 0;
        return;
    }
    // Civil date from a day count (days since 0000-03-01 form, H. Hinnant's algorithm).
    long long z = days - 1 + 306;  // 0001-01-01 is day 306 after 0000-03-01
    long long era = z / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
    long long days, msecs;
    SplitValue(value, days, msecs);
    hour = int(msecs / 3600000);
    minute = int(msecs / 60000 % 60);
    second = int(msecs / 1000 % 60);
    msec = int(msecs % 1000);
}

bool DosDateTimeToDateTime(WORD date, WORD time, TDateTime& out) {
    TDateTime d, t;
    if (!TryEncodeDate(1980 + (date >> 9), (date >> 5) & 15, date & 31, d)) return false;
    if (!TryEncodeTime(time >> 11, (time >> 5) & 63, (time & 31) * 2, 0, t)) return false;
    out = d + t;
    return true;
}

bool DateTimeToDosDateTime(TDateTime value, WORD& date, WORD& time) {
    int y, m, d, hh, mm, ss, ms;
    DecodeDate(value, y, m, d);
    DecodeTime(value, hh, mm, ss, ms);
    if (y < 1980 || y > 2107) return false;
    date = WORD(((y - 1980) << 9) | (m << 5) | d);
    time = WORD((hh << 11) | (mm << 5) | (ss / 2));
    return true;
}

bool FileTimeToDateTime(const platform::FileTime& utc, TDateTime& out) {
    platform::FileTime local;
    WORD date, time;
    if (!platform::FileTimeToLocalFileTime(utc, local)) return false;
    if (!platform::FileTimeToDosDateTime(local, date, time)) return false;
    return DosDateTimeToDateTime(date, time, out);
}

bool DateTimeToFileTime(TDateTime value, platform::FileTime& utc) {
    WORD date, time;
    platform::FileTime local;
    if (!DateTimeToDosDateTime(value, date, time)) return false;
    if (!platform::DosDateTimeToFileTime(date, time, local)) return false;
    return platform::LocalFileTimeToFileTime(local, utc);
}

TDateTime FileGetDate(platform::Handle h) {
    platform::FileTime write;
    TDateTime out;
    if (!platform::GetFileTime(h, nullptr, nullptr, &write) || !FileTimeToDateTime(write, out)) return -1;
    return out;
}

TDateTime FileAge(const std::string& path) {
    std::vector<platform::FindData> found;
    if (path.find_first_of("*?") != std::string::npos || !platform::FindFiles(path, found) || found.size() != 1 ||
        (found[0].attributes & platform::FileAttributeDirectory))
        return -1;
    TDateTime out;
    return FileTimeToDateTime(found[0].lastWrite, out) ? out : -1;
}

bool FileSetDate(platform::Handle h, TDateTime value) {
    platform::FileTime utc;
    if (!DateTimeToFileTime(value, utc)) {
        platform::SetLastError(platform::err::InvalidParameter);
        return false;
    }
    return platform::SetFileTime(h, nullptr, nullptr, &utc);
}
