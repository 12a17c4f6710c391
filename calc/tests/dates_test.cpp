#include <gtest/gtest.h>

#include <ostream>
#include <limits>

#include "calc/calendar.h"

namespace duedate {
namespace {

struct PartsCase {
  const char* year;
  const char* month;
  const char* day;
  bool valid;
  CalendarDate expected;
};
void PrintTo(const PartsCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << c.year << "-" << c.month << "-" << c.day;
}


class DateFromPartsTest : public testing::TestWithParam<PartsCase> {};

TEST_P(DateFromPartsTest, FormsOnlyRealFourDigitYearDates) {
  const PartsCase& c = GetParam();
  const auto date = DateFromParts(c.year, c.month, c.day);
  ASSERT_EQ(date.ok(), c.valid) << c.year << "-" << c.month << "-" << c.day;
  if (c.valid) {
    EXPECT_EQ(*date, c.expected);
  } else {
    EXPECT_EQ(date.error(), DateFault::InvalidDate);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, DateFromPartsTest,
    testing::Values(
        PartsCase{"2011", "04", "27", true, {2011, 4, 27}},
        PartsCase{"2012", "2", "29", true, {2012, 2, 29}},
        PartsCase{"2011", "2", "29", false, {}}, PartsCase{"2000", "2", "29", true, {2000, 2, 29}},
        PartsCase{"1900", "2", "29", false, {}}, PartsCase{"2100", "2", "29", false, {}},
        PartsCase{"2011", "13", "1", false, {}}, PartsCase{"2011", "0", "1", false, {}},
        PartsCase{"2011", "4", "0", false, {}}, PartsCase{"2011", "4", "31", false, {}},
        PartsCase{"2011", "12", "31", true, {2011, 12, 31}},
        PartsCase{"99", "4", "27", false, {}}, PartsCase{"0999", "4", "27", false, {}},
        PartsCase{"12345", "4", "27", false, {}}, PartsCase{"1000", "1", "1", true, {1000, 1, 1}},
        PartsCase{"9999", "12", "31", true, {9999, 12, 31}},
        PartsCase{"-2011", "4", "27", false, {}}, PartsCase{"2011", "-4", "27", false, {}},
        PartsCase{"2011", "4.5", "27", false, {}}, PartsCase{"2011.5", "4", "27", false, {}},
        PartsCase{"", "4", "27", false, {}}, PartsCase{"2011", "", "27", false, {}},
        PartsCase{"2011年", "4月", "27日", true, {2011, 4, 27}},
        PartsCase{"２０１１", "０４", "２７", true, {2011, 4, 27}},
        PartsCase{"2011.0", "4.00", "27.", true, {2011, 4, 27}},
        // Shown as "5" by the window, so taken as 5.
        PartsCase{"2011", "4.9999999999999999", "27", true, {2011, 5, 27}},
        PartsCase{"2011", "4.99999999999999", "27", false, {}},
        PartsCase{"99999999999999999999", "4", "27", false, {}}));

// The day number of a Gregorian date by the Julian day formula, written
// without any calendar library.
long JulianDay(int y, int m, int d) {
  const long a = (14 - m) / 12;
  const long yy = y + 4800 - a;
  const long mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int MonthLength(int y, int m) {
  static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : lengths[m - 1];
}

TEST(DayArithmetic, AgreesWithTheJulianDayCountOnEveryDayOfYears1000To9999) {
  const CalendarDate origin{1000, 1, 1};
  const long originDay = JulianDay(1000, 1, 1);
  CalendarDate previous = origin;
  long days = 0;
  for (int y = 1000; y <= 9999; ++y) {
    for (int m = 1; m <= 12; ++m) {
      for (int d = 1; d <= MonthLength(y, m); ++d) {
        const CalendarDate date{y, m, d};
        const long expected = JulianDay(y, m, d) - originDay;
        ASSERT_EQ(DaysBetween(origin, date), expected) << y << "-" << m << "-" << d;
        ASSERT_EQ(days, expected);
        if (days > 0) {
          const auto next = AddDays(previous, 1);
          ASSERT_TRUE(next.ok());
          ASSERT_EQ(*next, date);
        }
        previous = date;
        ++days;
      }
    }
  }
  EXPECT_EQ(days, JulianDay(10000, 1, 1) - originDay);
}

struct MoveCase {
  CalendarDate from;
  double days;
  CalendarDate to;
};
void PrintTo(const MoveCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << c.from.year << "-" << c.from.month << "-" << c.from.day << " + " << c.days;
}


class AddDaysTest : public testing::TestWithParam<MoveCase> {};

TEST_P(AddDaysTest, MovesByWholeDaysRoundingHalvesToEven) {
  const auto moved = AddDays(GetParam().from, GetParam().days);
  ASSERT_TRUE(moved.ok());
  EXPECT_EQ(*moved, GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, AddDaysTest,
    testing::Values(MoveCase{{2011, 4, 27}, 280, {2012, 2, 1}},
                    MoveCase{{2012, 2, 1}, -280, {2011, 4, 27}},
                    MoveCase{{1900, 2, 28}, 1, {1900, 3, 1}}, MoveCase{{2000, 2, 28}, 1, {2000, 2, 29}},
                    MoveCase{{2100, 2, 28}, 1, {2100, 3, 1}}, MoveCase{{2011, 12, 31}, 1, {2012, 1, 1}},
                    MoveCase{{2011, 4, 27}, 280.5, {2012, 2, 1}},   // tie: 280 is even
                    MoveCase{{2011, 4, 27}, 281.5, {2012, 2, 3}},   // tie: 282 is even
                    MoveCase{{2011, 4, 27}, 280.4, {2012, 2, 1}},
                    MoveCase{{2011, 4, 27}, 280.6, {2012, 2, 2}},
                    MoveCase{{2011, 4, 27}, -0.5, {2011, 4, 27}},
                    MoveCase{{2011, 4, 27}, -1.5, {2011, 4, 25}},
                    MoveCase{{1, 1, 2}, -1, {1, 1, 1}}, MoveCase{{9999, 12, 30}, 1, {9999, 12, 31}}));

TEST(AddDaysRange, FailsOutsideYears1To9999AndOnNonFiniteCounts) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double days : {1.0, 1e6, 4e6, 1e15, inf, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::max()}) {
    const auto moved = AddDays({9999, 12, 31}, days);
    ASSERT_FALSE(moved.ok()) << days;
    EXPECT_EQ(moved.error(), DateFault::OutOfRange);
  }
  for (double days : {-1.0, -1e15, -inf, -std::numeric_limits<double>::max()}) {
    const auto moved = AddDays({1, 1, 1}, days);
    ASSERT_FALSE(moved.ok()) << days;
    EXPECT_EQ(moved.error(), DateFault::OutOfRange);
  }
  EXPECT_EQ(AddDays({2011, 2, 30}, 1).error(), DateFault::InvalidDate);
}

struct BetweenCase {
  CalendarDate a, b;
  int days, weeks, months;
};
void PrintTo(const BetweenCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << c.a.year << "-" << c.a.month << "-" << c.a.day << " to " << c.b.year << "-" << c.b.month << "-" << c.b.day;
}


class BetweenTest : public testing::TestWithParam<BetweenCase> {};

TEST_P(BetweenTest, MeasuresInDaysWeeksAndMonthBoundaries) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(DaysBetween(c.a, c.b), c.days);
  EXPECT_EQ(WeeksBetween(c.a, c.b), c.weeks);
  EXPECT_EQ(MonthsBetween(c.a, c.b), c.months);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, BetweenTest,
    testing::Values(BetweenCase{{2011, 4, 30}, {2011, 5, 1}, 1, 0, 1},
                    BetweenCase{{2011, 4, 1}, {2011, 4, 30}, 29, 4, 0},
                    BetweenCase{{2011, 10, 14}, {2011, 10, 1}, -13, -1, 0},
                    BetweenCase{{2011, 10, 1}, {2011, 10, 14}, 13, 1, 0},
                    BetweenCase{{2011, 10, 1}, {2011, 10, 7}, 6, 0, 0},
                    BetweenCase{{2011, 4, 27}, {2011, 10, 1}, 157, 22, 6},
                    BetweenCase{{2011, 12, 31}, {2012, 1, 1}, 1, 0, 1},
                    BetweenCase{{2012, 1, 1}, {2011, 12, 31}, -1, 0, -1},
                    BetweenCase{{1000, 1, 1}, {9999, 12, 31}, 3287181, 469597, 107999}));

TEST(TodayClock, GivesARealDate) {
  const CalendarDate today = Today();
  EXPECT_TRUE(IsValidDate(today));
  EXPECT_GE(today.year, 2024);
}

}  // namespace
}  // namespace duedate
