// Numbers and calendar dates: the fixed rules every figure of the window
// passes through.
//
// Field texts are UTF-8. LeadingNumber turns a text into a number,
// NumberText a number back into a text, DateFromParts three field texts into
// a CalendarDate, and AddDays / DaysBetween / WeeksBetween / MonthsBetween
// move and compare dates in whole days, weeks and calendar months.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "calc/result.h"

namespace duedate {

// One day of the Gregorian calendar, without time of day.
struct CalendarDate {
  int year = 1;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to the length of the month

  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// Why no date could be given.
enum class DateFault {
  InvalidDate,  // the parts form no date (month 13, 30 February, year 99 …)
  OutOfRange,   // the date would fall outside the years 1 to 9999
};

// The years a date may be formed in from field texts (four digits).
inline constexpr int kFirstEnteredYear = 1000;
inline constexpr int kLastEnteredYear = 9999;
// The years a moved date may reach.
inline constexpr int kFirstYear = 1;
inline constexpr int kLastYear = 9999;

// The decimal number a text begins with.
// Blanks, tabs, CR, LF and the ideographic space U+3000 are skipped wherever
// they stand; full-width digits, point and signs (as typed with a Chinese
// input method) count as their ASCII forms. The number is an optional sign,
// then digits with an optional point; the first character that cannot
// continue it ends it. A text that does not begin with a number gives 0.
// There is no exponent or radix notation ("1e3" gives 1). The result is
// always finite: a number too large for a double gives the largest finite
// double of its sign, one too small to tell from zero gives 0.
double LeadingNumber(std::string_view text);

// A number as the window shows it: at most 15 significant digits (rounded to
// nearest at the 15th), no trailing zeros after the point, no exponent, no
// leading blank or plus sign, "." as the point whatever the locale, and
// negative zero as "0". Infinities and NaN, which the program never makes,
// are written "0".
std::string NumberText(double x);

// The date named by three field texts. Each part is reduced as the window
// shows it (NumberText of LeadingNumber); the date exists when the year is a
// whole number of four digits, the month a whole number from 1 to 12 and the
// day a whole number from 1 to the length of that month. Every other case
// fails with DateFault::InvalidDate.
Result<CalendarDate, DateFault> DateFromParts(std::string_view yearText,
                                              std::string_view monthText,
                                              std::string_view dayText);

// The date `days` days later (earlier when negative). A count that is not
// whole is rounded to the nearest day, ties to even. A count that is not
// finite, or a result outside the years 1 to 9999, fails with
// DateFault::OutOfRange.
Result<CalendarDate, DateFault> AddDays(const CalendarDate& date, double days);

// b minus a, in days; positive when b is the later date.
std::int32_t DaysBetween(const CalendarDate& a, const CalendarDate& b);

// DaysBetween divided by 7, truncated toward zero.
std::int32_t WeeksBetween(const CalendarDate& a, const CalendarDate& b);

// The month boundaries crossed from a to b; the day of month plays no part.
std::int32_t MonthsBetween(const CalendarDate& a, const CalendarDate& b);

// Whether the date names a real day of the years 1 to 9999.
bool IsValidDate(const CalendarDate& date);

// The current date of the machine's local clock.
CalendarDate Today();

}  // namespace duedate
