#include "common/DateTime.h"

#include <cmath>

#include "platform/Errors.h"

namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int64_t kMsPerDay = 24 * kMsPerHour;  // 86,400,000
// Day 0 of TDateTime, 1899-12-30, counted from 1970-01-01.
constexpr std::int64_t kUnixEpochDay = 25569;
// The runtime's date range: 0001-01-01 (day -693,593) to 9999-12-31 (day 2,958,465).
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;
// Values are held to that range in milliseconds, so decoding never leaves the calendar.
constexpr std::int64_t kMinMs = kFirstDay * kMsPerDay - (kMsPerDay - 1);
constexpr std::int64_t kMaxMs = kLastDay * kMsPerDay + (kMsPerDay - 1);

struct CivilDate {
  int Year, Month, Day;
};

// Proleptic Gregorian calendar, days counted from 1970-01-01 (H. Hinnant's algorithms).
CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ValidDate(const DateTimeParts& p) {
  return p.Year >= 1 && p.Year <= 9999 && p.Month >= 1 && p.Month <= 12 && p.Day >= 1 &&
         p.Day <= DaysInMonth(p.Year, p.Month);
}

bool ValidTime(const DateTimeParts& p) {
  return p.Hour >= 0 && p.Hour < 24 && p.Minute >= 0 && p.Minute < 60 && p.Second >= 0 &&
         p.Second < 60 && p.Millisecond >= 0 && p.Millisecond < 1000;
}

void AppendTwoDigits(std::string& out, int value) {
  out.push_back(static_cast<char>('0' + value / 10 % 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

// The two-letter fields of a pattern; -1 when `a b` is none of them.
int FieldValue(char a, char b, const DateTimeParts& p) {
  if (a != b) return -1;
  switch (a) {
    case 'Y': return p.Year % 100;
    case 'M': return p.Month;
    case 'D': return p.Day;
    case 'H': return p.Hour;
    case 'N': return p.Minute;
    case 'S': return p.Second;
    default: return -1;
  }
}

constexpr std::string_view kAmPm = "AM/PM";
constexpr char kTimeSeparator = ':';

}  // namespace

DateTimeParts DecodeDateTime(TDateTime value) {
  // As the runtime does: the whole value is rounded to milliseconds first, so a time that rounds
  // up to midnight belongs to the next day. A negative value counts its days back from day 0 and
  // its fraction forward as the time of that day (-1.25 is 1899-12-29 06:00).
  const std::int64_t ms = DateTimeToMs(value);
  const std::int64_t magnitude = ms < 0 ? -ms : ms;
  const std::int64_t days = ms < 0 ? -(magnitude / kMsPerDay) : magnitude / kMsPerDay;
  const std::int64_t time = magnitude % kMsPerDay;
  const CivilDate date = CivilFromDays(days - kUnixEpochDay);
  DateTimeParts p;
  p.Year = date.Year;
  p.Month = date.Month;
  p.Day = date.Day;
  p.Hour = static_cast<int>(time / kMsPerHour);
  p.Minute = static_cast<int>(time % kMsPerHour / kMsPerMinute);
  p.Second = static_cast<int>(time % kMsPerMinute / kMsPerSecond);
  p.Millisecond = static_cast<int>(time % kMsPerSecond);
  return p;
}

TDateTime EncodeDateTime(const DateTimeParts& parts) {
  if (!ValidDate(parts)) throw EConvertError("Invalid argument to date encode");
  if (!ValidTime(parts)) throw EConvertError("Invalid argument to time encode");
  const double date =
      static_cast<double>(DaysFromCivil(parts.Year, parts.Month, parts.Day) + kUnixEpochDay);
  const std::int64_t timeMs = parts.Hour * kMsPerHour + parts.Minute * kMsPerMinute +
                              parts.Second * kMsPerSecond + parts.Millisecond;
  const double time = static_cast<double>(timeMs) / static_cast<double>(kMsPerDay);
  return date >= 0 ? date + time : date - time;
}

TDateTime DateTimeFromTimeT(std::time_t t, int milliseconds) {
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) {
    throw EConvertError("Time " + std::to_string(static_cast<long long>(t)) +
                        " has no local date");
  }
  DateTimeParts p;
  p.Year = local.tm_year + 1900;
  p.Month = local.tm_mon + 1;
  p.Day = local.tm_mday;
  p.Hour = local.tm_hour;
  p.Minute = local.tm_min;
  // A leap second (60) is shown as the last second of its minute.
  p.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
  p.Millisecond = milliseconds < 0 ? 0 : (milliseconds > 999 ? 999 : milliseconds);
  return EncodeDateTime(p);
}

std::time_t DateTimeToTimeT(TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  std::tm local{};
  local.tm_year = p.Year - 1900;
  local.tm_mon = p.Month - 1;
  local.tm_mday = p.Day;
  local.tm_hour = p.Hour;
  local.tm_min = p.Minute;
  local.tm_sec = p.Second;
  local.tm_isdst = -1;  // let the zone rules decide whether daylight saving applies
  return std::mktime(&local);
}

std::int64_t DateTimeToMs(TDateTime value) {
  if (std::isnan(value)) return 0;
  const double ms = value * static_cast<double>(kMsPerDay);
  if (ms <= static_cast<double>(kMinMs)) return kMinMs;
  if (ms >= static_cast<double>(kMaxMs)) return kMaxMs;
  return std::llround(ms);
}

bool IsInDateRange(TDateTime value) {
  if (!std::isfinite(value)) return false;
  // Rounded to whole milliseconds first, as DecodeDateTime reads the value.
  const double ms = std::round(value * static_cast<double>(kMsPerDay));
  return ms >= static_cast<double>(kMinMs) && ms <= static_cast<double>(kMaxMs);
}

TDateTime MsToDateTime(std::int64_t ms) {
  return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  std::string out;
  out.reserve(pattern.size() + 4);
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {  // a literal runs to the next quote, or to the end when there is none
      const std::size_t close = pattern.find('\'', i + 1);
      const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
      out.append(pattern.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? end : end + 1;
    } else if (pattern.substr(i, kAmPm.size()) == kAmPm) {
      out.append(p.Hour < 12 ? "AM" : "PM");
      i += kAmPm.size();
    } else if (const int field = i + 1 < pattern.size() ? FieldValue(c, pattern[i + 1], p) : -1;
               field >= 0) {
      AppendTwoDigits(out, field);
      i += 2;
    } else {
      out.push_back(c == ':' ? kTimeSeparator : c);
      ++i;
    }
  }
  return out;
}
