#include "calc/chinese_calendar.h"

#include <cstddef>
#include <iterator>

#include "calc/chinese_calendar_table.h"

namespace duedate {
namespace {

using chinese_calendar_data::kFirstYear;
using chinese_calendar_data::kYears;
using chinese_calendar_data::LunarYear;

constexpr int kLastYear = kFirstYear + static_cast<int>(std::size(kYears)) - 1;

const LunarYear* YearOf(int year) {
  if (year < kFirstYear || year > kLastYear) return nullptr;
  return &kYears[static_cast<std::size_t>(year - kFirstYear)];
}

// The days of the year's month at `position`, counting a leap month in its place.
int DaysAt(const LunarYear& y, int position) { return (y.longMonths >> position) & 1 ? 30 : 29; }

// The position of month `month` (or of its leap month) in the year; -1 when none.
int PositionOf(const LunarYear& y, int month, bool leap) {
  if (month < 1 || month > 12 || (leap && month != y.leapMonth)) return -1;
  return month - 1 + ((y.leapMonth != 0 && (leap || month > y.leapMonth)) ? 1 : 0);
}

}  // namespace

std::optional<CalendarDate> ChineseNewYear(int year) {
  const LunarYear* y = YearOf(year);
  if (y == nullptr) return std::nullopt;
  return CalendarDate{year, y->newYearMonth, y->newYearDay};
}

int ChineseMonthDays(int year, int month, bool leap) {
  const LunarYear* y = YearOf(year);
  const int position = y == nullptr ? -1 : PositionOf(*y, month, leap);
  return position < 0 ? 0 : DaysAt(*y, position);
}

std::optional<ChineseDate> ToChineseDate(const CalendarDate& date) {
  if (!IsValidDate(date) || DaysBetween(kFirstChineseCalendarDay, date) < 0 ||
      DaysBetween(date, kLastChineseCalendarDay) < 0) {
    return std::nullopt;
  }
  // The Chinese year of the same number, or the one before it until its 春节.
  int year = date.year;
  int day = DaysBetween(*ChineseNewYear(year), date);
  if (day < 0) day = DaysBetween(*ChineseNewYear(--year), date);

  const LunarYear& y = *YearOf(year);
  int position = 0;
  while (day >= DaysAt(y, position)) day -= DaysAt(y, position++);
  const bool leap = y.leapMonth != 0 && position == y.leapMonth;
  const int month = position + 1 - ((y.leapMonth != 0 && position >= y.leapMonth) ? 1 : 0);
  return ChineseDate{year, month, leap, day + 1};
}

std::string GanzhiText(int year) {
  static constexpr const char* kStems[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
  static constexpr const char* kBranches[] = {"子", "丑", "寅", "卯", "辰", "巳",
                                              "午", "未", "申", "酉", "戌", "亥"};
  const int n = ((year - 4) % 60 + 60) % 60;  // 甲子 in 4, 1984, 2044
  return std::string(kStems[n % 10]) + kBranches[n % 12];
}

std::string ChineseDateText(const CalendarDate& date) {
  static constexpr const char* kMonths[] = {"正", "二", "三", "四", "五", "六",
                                            "七", "八", "九", "十", "冬", "腊"};
  static constexpr const char* kDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
  const std::optional<ChineseDate> c = ToChineseDate(date);
  if (!c) return "";
  std::string day;
  if (c->day <= 10) {
    day = std::string("初") + kDigits[c->day];
  } else if (c->day == 20 || c->day == 30) {
    day = std::string(kDigits[c->day / 10]) + "十";
  } else {
    day = std::string(c->day < 20 ? "十" : "廿") + kDigits[c->day % 10];
  }
  return "农历" + GanzhiText(c->year) + "年" + (c->leap ? "闰" : "") + kMonths[c->month - 1] + "月" + day;
}

}  // namespace duedate
