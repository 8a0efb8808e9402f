#include <gtest/gtest.h>

#include "platform/TimeFormat.h"

namespace qel::platform {
namespace {

struct FormatCase {
  const char* format;
  const char* expected;
};

// Tuesday, 1995-03-14 09:05:07, the 73rd day of the year.
LocalTime MorningTime() {
  LocalTime time;
  time.year = 1995;
  time.month = 3;
  time.day = 14;
  time.hour = 9;
  time.minute = 5;
  time.second = 7;
  time.dayOfWeek = 2;
  time.dayOfYear = 72;
  return time;
}

class TimeFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TimeFormatTest, FormatsTheMorningTime) {
  EXPECT_EQ(FormatTime(GetParam().format, MorningTime()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, TimeFormatTest,
    ::testing::Values(FormatCase{"%H:%M:%S", "09:05:07"},
                      FormatCase{"%#H:%#M:%#S:", "9:5:7:"},
                      FormatCase{"%#d/%#m/%#y", "14/3/95"},
                      FormatCase{"%d.%m.%Y", "14.03.1995"},
                      FormatCase{"%x", "03/14/95"},
                      FormatCase{"%X", "09:05:07"},
                      FormatCase{"%#X", "9:5:7"},
                      FormatCase{"%c", "03/14/95 09:05:07"},
                      FormatCase{"%#x", "Tuesday, March 14, 1995"},
                      FormatCase{"%#c", "Tuesday, March 14, 1995 09:05:07"},
                      FormatCase{"%A, %B %d, %Y -- %I:%M %p", "Tuesday, March 14, 1995 -- 09:05 AM"},
                      FormatCase{"%a %b", "Tue Mar"},
                      FormatCase{"%j %#j", "073 73"},
                      FormatCase{"100%% done", "100% done"},
                      FormatCase{"%q and %#q", "%q and %#q"},
                      FormatCase{"ends with %", "ends with %"},
                      FormatCase{"ends with %#", "ends with %#"},
                      FormatCase{"", ""}));

TEST(TimeFormatHoursTest, TwelveHourClockAroundMidnightAndNoon) {
  struct HourCase {
    int hour;
    const char* expected;
  };
  for (auto [hour, expected] : {HourCase{0, "12 AM 0"}, HourCase{11, "11 AM 11"}, HourCase{12, "12 PM 12"},
                                HourCase{13, "01 PM 13"}, HourCase{23, "11 PM 23"}}) {
    LocalTime time = MorningTime();
    time.hour = hour;
    EXPECT_EQ(FormatTime("%I %p %#H", time), expected) << hour;
  }
}

TEST(TimeFormatHoursTest, FieldsOutOfRangeNeverReadPastTheNameTables) {
  LocalTime time = MorningTime();
  time.month = 13;
  time.dayOfWeek = -1;
  EXPECT_EQ(FormatTime("%A %B %b", time), "? ? ?");
}

}  // namespace
}  // namespace qel::platform
