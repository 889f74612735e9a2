#pragma once
// TDateTime: days since 1899-12-30 as a double, the fraction being the time of day (local time).
// Date-time patterns: YY, MM, DD, HH, NN (minute), SS, 'quoted' literals, ':' (time separator),
// AM/PM. The station uses "YY-MM-DD HH:NN:SS", "YY'Y'MM'M'", "DD'D'HH'H'NN'M'SS'S'",
// "DD'D'AM/PM" and "HH:NN:SS".
//
// Values are taken within the runtime's date range, 0001-01-01 to 9999-12-31 23:59:59.999;
// anything outside (NaN included) is held to that range rather than decoded into nonsense.
// All functions are safe from any thread (localtime_r and mktime only).

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

using TDateTime = double;

struct DateTimeParts {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Splits a TDateTime the way the runtime does: the value is rounded to whole milliseconds first,
// so 23:59:59.9996 is the next day's 00:00:00.000. A negative value counts its days back from
// 1899-12-30 and its fraction forward as the time of that day (-1.25 is 1899-12-29 06:00).
DateTimeParts DecodeDateTime(TDateTime value);
// The inverse; raises EConvertError ("Invalid argument to date encode" / "... time encode") for
// a date outside 1..9999 or not in the calendar, or a time field out of its range.
TDateTime EncodeDateTime(const DateTimeParts& parts);

// Local wall-clock time <-> TDateTime (the time zone's rules, daylight saving included).
// The milliseconds are held to 0..999. Raises EConvertError when the system has no local date
// for t or its year lies outside 1..9999.
TDateTime DateTimeFromTimeT(std::time_t t, int milliseconds = 0);
// The milliseconds are dropped; a local time that falls into a daylight-saving gap is read as
// mktime reads it.
std::time_t DateTimeToTimeT(TDateTime value);
// True for a finite value within the date range above, 0001-01-01 to 9999-12-31 23:59:59.999
// (for checking a time read from a file).
bool IsInDateRange(TDateTime value);
// Whole milliseconds since 1899-12-30 00:00, llround(value * 86,400,000) (integer index
// arithmetic without drift).
std::int64_t DateTimeToMs(TDateTime value);
TDateTime MsToDateTime(std::int64_t ms);

// Formats with the pattern: YY, MM, DD, HH, NN and SS give two digits each, text in single quotes
// stands for itself (an unclosed quote runs to the end), ':' gives the time separator (a colon),
// AM/PM gives "AM" before noon and "PM" from noon; every other character is copied as it stands.
std::string FormatDateTime(std::string_view pattern, TDateTime value);

// "YY-MM-DD HH:NN:SS": the clock, grids, labels and the export.
inline constexpr std::string_view kDisplayDateTimePattern = "YY-MM-DD HH:NN:SS";
