#pragma once
// TDateTime: days since 1899-12-30 as a double, the fraction being the time of day (local time).
// Date-time patterns: YY, MM, DD, HH, NN (minute), SS, 'quoted' literals, ':' (time separator),
// AM/PM. The station uses "YY-MM-DD HH:NN:SS", "YY'Y'MM'M'", "DD'D'HH'H'NN'M'SS'S'",
// "DD'D'AM/PM" and "HH:NN:SS".

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

using TDateTime = double;

struct DateTimeParts {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Splits a TDateTime the way the runtime does: the time of day is rounded to whole milliseconds.
DateTimeParts DecodeDateTime(TDateTime value);
TDateTime EncodeDateTime(const DateTimeParts& parts);

// Local wall-clock time <-> TDateTime.
TDateTime DateTimeFromTimeT(std::time_t t, int milliseconds = 0);
// Whole milliseconds since 1899-12-30 00:00 (integer index arithmetic without drift).
std::int64_t DateTimeToMs(TDateTime value);
TDateTime MsToDateTime(std::int64_t ms);

// Formats with one of the patterns above.
std::string FormatDateTime(std::string_view pattern, TDateTime value);

// "YY-MM-DD HH:NN:SS": the clock, grids, labels and the export.
inline constexpr std::string_view kDisplayDateTimePattern = "YY-MM-DD HH:NN:SS";
