// The Chinese calendar (农历) for the days 1901-02-19 to 2099-12-31, from a
// table of its years computed from the Moon and the Sun in China time (before
// 1929, Beijing's local mean time; tools/chinese_calendar_table.py). Nothing is
// computed before it is asked.
#pragma once

#include <optional>
#include <string>

#include "calc/calendar.h"

namespace duedate {

// The first and last days the table covers.
inline constexpr CalendarDate kFirstChineseCalendarDay{1901, 2, 19};
inline constexpr CalendarDate kLastChineseCalendarDay{2099, 12, 31};

// A day of the Chinese calendar. The year is numbered as the Gregorian year
// in which its 正月初一 (春节) falls: 2027 for 丁未年.
struct ChineseDate {
  int year = 0;
  int month = 1;  // 1 (正月) to 12 (腊月)
  bool leap = false;
  int day = 1;  // 1 to 29 or 30

  friend bool operator==(const ChineseDate&, const ChineseDate&) = default;
};

// The Chinese date of a Gregorian day; none outside the table's days.
std::optional<ChineseDate> ToChineseDate(const CalendarDate& date);

// The year's 正月初一, for the years 1901 to 2099.
std::optional<CalendarDate> ChineseNewYear(int year);

// The days of a month (29 or 30); 0 when the year has no such month.
int ChineseMonthDays(int year, int month, bool leap);

// "丁未" for 2027: the year's place in the cycle of sixty.
std::string GanzhiText(int year);

// "农历丁未年三月十二", "农历戊申年闰五月初九"; empty outside the table's days.
std::string ChineseDateText(const CalendarDate& date);

}  // namespace duedate
