#include "common/DateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "platform/Errors.h"

namespace {

DateTimeParts Parts(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return DateTimeParts{y, mo, d, h, mi, s, ms};
}

std::string Text(const DateTimeParts& p) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day,
                p.Hour, p.Minute, p.Second, p.Millisecond);
  return text;
}

std::string Decoded(TDateTime value) { return Text(DecodeDateTime(value)); }

const TDateTime kSample = EncodeDateTime(Parts(2019, 12, 3, 14, 5, 9));

TEST(DateTime, KnownDaysOfTheCalendar) {
  EXPECT_EQ(EncodeDateTime(Parts(1899, 12, 30)), 0.0);
  EXPECT_EQ(EncodeDateTime(Parts(1970, 1, 1)), 25569.0);
  EXPECT_EQ(EncodeDateTime(Parts(2000, 2, 29, 18)), 36585.75);
  EXPECT_EQ(EncodeDateTime(Parts(1, 1, 1)), -693593.0);
  EXPECT_EQ(EncodeDateTime(Parts(9999, 12, 31)), 2958465.0);
  EXPECT_EQ(Decoded(36585.75), "2000-02-29 18:00:00.000");
  EXPECT_EQ(Decoded(kSample), "2019-12-03 14:05:09.000");
}

TEST(DateTime, EveryMillisecondStepOfADayRoundTrips) {
  const std::int64_t dayMs = DateTimeToMs(EncodeDateTime(Parts(2024, 3, 31)));
  for (int ms = 0; ms < 86'400'000; ms += 997) {
    const DateTimeParts p = Parts(2024, 3, 31, ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60,
                                  ms % 1000);
    const TDateTime t = EncodeDateTime(p);
    ASSERT_EQ(DateTimeToMs(t) - dayMs, ms);
    ASSERT_EQ(Text(DecodeDateTime(t)), Text(p));
  }
}

TEST(DateTime, TimeThatRoundsToMidnightBelongsToTheNextDay) {
  const TDateTime nextDay = EncodeDateTime(Parts(2020, 1, 1));
  EXPECT_EQ(Decoded(nextDay - 0.4 / 86'400'000), "2020-01-01 00:00:00.000");
  EXPECT_EQ(Decoded(nextDay - 0.6 / 86'400'000), "2019-12-31 23:59:59.999");
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, nextDay - 0.4 / 86'400'000),
            "20-01-01 00:00:00");
}

TEST(DateTime, NegativeAndOutOfRangeValuesAreHandledSafely) {
  EXPECT_EQ(Decoded(-1.25), "1899-12-29 06:00:00.000");
  EXPECT_EQ(EncodeDateTime(Parts(1899, 12, 29, 6)), -1.25);
  EXPECT_EQ(Decoded(std::numeric_limits<double>::quiet_NaN()), "1899-12-30 00:00:00.000");
  EXPECT_EQ(Decoded(std::numeric_limits<double>::infinity()), "9999-12-31 23:59:59.999");
  EXPECT_EQ(Decoded(-1e300), "0001-01-01 23:59:59.999");
}

TEST(DateTime, DateRangeTakesTheWholeFirstAndLastDays) {
  EXPECT_TRUE(IsInDateRange(EncodeDateTime(Parts(1, 1, 1, 23, 59, 59, 999))));
  EXPECT_TRUE(IsInDateRange(EncodeDateTime(Parts(9999, 12, 31, 23, 59, 59, 999))));
  EXPECT_TRUE(IsInDateRange(kSample));
  EXPECT_FALSE(IsInDateRange(EncodeDateTime(Parts(9999, 12, 31)) + 1.0));
  EXPECT_FALSE(IsInDateRange(EncodeDateTime(Parts(1, 1, 1)) - 1.0));
  EXPECT_FALSE(IsInDateRange(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(IsInDateRange(-std::numeric_limits<double>::infinity()));
}

TEST(DateTime, EncodeRefusesImpossibleParts) {
  for (const DateTimeParts& p : {Parts(2019, 2, 29), Parts(1900, 2, 29), Parts(2019, 13, 1),
                                 Parts(2019, 4, 31), Parts(0, 1, 1), Parts(10000, 1, 1),
                                 Parts(2019, 1, 1, 24), Parts(2019, 1, 1, 0, 0, 0, 1000)}) {
    EXPECT_THROW(EncodeDateTime(p), EConvertError) << Text(p);
  }
}

TEST(DateTime, MillisecondIndexDoesNotDrift) {
  EXPECT_EQ(DateTimeToMs(-1.0), -86'400'000);
  EXPECT_EQ(MsToDateTime(86'400'000), 1.0);
  for (int k = 0; k < 20'000; k += 7) {
    ASSERT_EQ(DateTimeToMs(kSample + k / 86'400.0) - DateTimeToMs(kSample), k * 1000LL) << k;
  }
}

TEST(DateTime, FormatsTheStationPatterns) {
  EXPECT_EQ(FormatDateTime("YY'Y'MM'M'", kSample), "19Y12M");
  EXPECT_EQ(FormatDateTime("DD'D'HH'H'NN'M'SS'S'", kSample), "03D14H05M09S");
  EXPECT_EQ(FormatDateTime("DD'D'AM/PM", kSample), "03DPM");
  EXPECT_EQ(FormatDateTime("HH:NN:SS", kSample), "14:05:09");
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, kSample), "19-12-03 14:05:09");
  EXPECT_EQ(FormatDateTime("AM/PM", EncodeDateTime(Parts(2019, 1, 1, 11, 59, 59, 999))), "AM");
  EXPECT_EQ(FormatDateTime("AM/PM", EncodeDateTime(Parts(2019, 1, 1, 12))), "PM");
}

TEST(DateTime, PatternEdges) {
  const TDateTime t = EncodeDateTime(Parts(2100, 1, 2, 3, 4, 5));
  EXPECT_EQ(FormatDateTime("YYMMDD", t), "000102");
  EXPECT_EQ(FormatDateTime("'YY:MM'", t), "YY:MM");     // quoted text is not interpreted
  EXPECT_EQ(FormatDateTime("HH'h", t), "03h");          // an unclosed quote runs to the end
  EXPECT_EQ(FormatDateTime("Y-M-D x/", t), "Y-M-D x/");  // single letters stand as they are
  EXPECT_EQ(FormatDateTime("SSS AM/P", t), "05S AM/P");
}

TEST(DateTime, LocalTimeFollowsDaylightSaving) {
  const char* savedZone = std::getenv("TZ");
  const std::string saved = savedZone ? savedZone : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  const std::time_t winter = 1575378309;  // 2019-12-03 13:05:09 UTC, 14:05:09 CET
  const std::time_t summer = 1561982400;  // 2019-07-01 12:00:00 UTC, 14:00:00 CEST
  const std::string winterText = FormatDateTime(kDisplayDateTimePattern, DateTimeFromTimeT(winter));
  const std::string summerText = Decoded(DateTimeFromTimeT(summer, 250));
  const std::time_t winterBack = DateTimeToTimeT(DateTimeFromTimeT(winter));
  const std::time_t summerBack = DateTimeToTimeT(DateTimeFromTimeT(summer, 999));
  if (savedZone != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ(winterText, "19-12-03 14:05:09");
  EXPECT_EQ(summerText, "2019-07-01 14:00:00.250");
  EXPECT_EQ(winterBack, winter);
  EXPECT_EQ(summerBack, summer);
}

}  // namespace
