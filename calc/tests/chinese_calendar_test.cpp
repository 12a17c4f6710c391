#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "calc/chinese_calendar.h"

namespace duedate {
namespace {

struct ChineseCase {
  CalendarDate date;
  const char* text;  // empty: no Chinese date
};
void PrintTo(const ChineseCase& c, std::ostream* out) {
  *out << c.date.year << "-" << c.date.month << "-" << c.date.day;
}

class ChineseDateTest : public testing::TestWithParam<ChineseCase> {};

TEST_P(ChineseDateTest, NamesTheDayAsChineseCalendarsPrintIt) {
  const ChineseCase& c = GetParam();
  EXPECT_EQ(ChineseDateText(c.date), c.text);
  EXPECT_EQ(ToChineseDate(c.date).has_value(), *c.text != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Days, ChineseDateTest,
    testing::Values(
        // The range and one day on each side.
        ChineseCase{{1901, 2, 18}, ""}, ChineseCase{{1901, 2, 19}, "农历辛丑年正月初一"},
        ChineseCase{{2099, 12, 31}, "农历己未年冬月二十"}, ChineseCase{{2100, 1, 1}, ""},
        ChineseCase{{2023, 2, 30}, ""},
        // 春节; 2027's new moon comes at 23:56 China time, a 29-day 腊月 ends the day before.
        ChineseCase{{2000, 2, 5}, "农历庚辰年正月初一"}, ChineseCase{{2024, 2, 10}, "农历甲辰年正月初一"},
        ChineseCase{{2027, 2, 5}, "农历丙午年腊月廿九"}, ChineseCase{{2027, 2, 6}, "农历丁未年正月初一"},
        // New moons at 23:55 China time and at 00:02 the next day.
        ChineseCase{{1954, 2, 3}, "农历甲午年正月初一"}, ChineseCase{{2018, 11, 7}, "农历戊戌年九月三十"},
        ChineseCase{{2018, 11, 8}, "农历戊戌年十月初一"},
        // Before 1929 the day is Beijing's local mean time: 00:05 China time is 23:51 there.
        ChineseCase{{1916, 2, 3}, "农历丙辰年正月初一"},
        // Leap months: their first and last days, and the day after.
        ChineseCase{{1917, 3, 23}, "农历丁巳年闰二月初一"}, ChineseCase{{1917, 4, 20}, "农历丁巳年闰二月廿九"},
        ChineseCase{{1917, 4, 21}, "农历丁巳年三月初一"}, ChineseCase{{2023, 3, 22}, "农历癸卯年闰二月初一"},
        ChineseCase{{2023, 4, 19}, "农历癸卯年闰二月廿九"}, ChineseCase{{2023, 4, 20}, "农历癸卯年三月初一"},
        ChineseCase{{2033, 12, 22}, "农历癸丑年闰冬月初一"}, ChineseCase{{2034, 1, 19}, "农历癸丑年闰冬月廿九"},
        ChineseCase{{2034, 1, 20}, "农历癸丑年腊月初一"},
        // Due dates.
        ChineseCase{{2028, 7, 1}, "农历戊申年闰五月初九"}, ChineseCase{{2027, 1, 20}, "农历丙午年腊月十三"},
        ChineseCase{{2027, 4, 18}, "农历丁未年三月十二"}, ChineseCase{{2011, 10, 1}, "农历辛卯年九月初五"}));

// Every day of the range follows the one before by the table: the next day
// of its month, the first of the next month or leap month, or 正月初一 on the
// table's 春节, with the next year of the cycle of sixty.
TEST(ChineseCalendarTest, EveryDayFollowsTheOneBeforeByTheTable) {
  const std::string stems = "甲乙丙丁戊己庚辛壬癸", branches = "子丑寅卯辰巳午未申酉戌亥";
  int cycle = 37;  // 辛丑, 1901
  ChineseDate expected{1901, 1, false, 1};
  int days = 0;
  for (CalendarDate date = kFirstChineseCalendarDay;; date = *AddDays(date, 1), ++days) {
    const std::optional<ChineseDate> got = ToChineseDate(date);
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(*got, expected) << date.year << "-" << date.month << "-" << date.day;
    if (expected.day == 1 && expected.month == 1) {
      ASSERT_EQ(ChineseNewYear(expected.year), date);
      ASSERT_EQ(ChineseDateText(date), "农历" + stems.substr(3 * (cycle % 10), 3) +
                                           branches.substr(3 * (cycle % 12), 3) + "年正月初一");
    }
    if (date == kLastChineseCalendarDay) break;

    const int length = ChineseMonthDays(expected.year, expected.month, expected.leap);
    ASSERT_TRUE(length == 29 || length == 30);
    if (expected.day < length) {
      ++expected.day;
    } else if (!expected.leap && ChineseMonthDays(expected.year, expected.month, true) != 0) {
      expected = {expected.year, expected.month, true, 1};
    } else if (expected.month < 12) {
      expected = {expected.year, expected.month + 1, false, 1};
    } else {
      expected = {expected.year + 1, 1, false, 1};
      ++cycle;
    }
  }
  EXPECT_EQ(days, 72'634);  // 1901-02-19 to 2099-12-31
  EXPECT_EQ(expected.year, 2099);
}

}  // namespace
}  // namespace duedate
