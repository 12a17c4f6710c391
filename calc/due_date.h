// The due-date calculation: from the entries of the window and today's date,
// the expected date of delivery and how far the pregnancy has come.
#pragma once

#include <cstdint>
#include <string>

#include "calc/calendar.h"
#include "calc/result.h"

namespace duedate {

// How the due date is found: from the first day of the last menstrual period
// and the cycle length (Option1), or from the date of ovulation and
// fertilisation (Option2).
enum class CalcMethod { FromLastPeriod, FromConception };

// A due date falls this many days after conception …
inline constexpr double kDaysConceptionToDue = 266;
// … and conception this many days after the last period, in a cycle of
// 28 days, or this many days before the end of a cycle of any length.
inline constexpr double kDaysLastPeriodToConception = 14;

// The entries of the window as typed, and today's date. The texts of the
// method that is not selected are not read.
struct DueDateInput {
  CalcMethod method = CalcMethod::FromLastPeriod;
  std::string lastPeriodYear, lastPeriodMonth, lastPeriodDay;
  std::string cycleLength;
  std::string conceptionYear, conceptionMonth, conceptionDay;
  CalendarDate today;
};

// The seven figures the window shows. The three elapsed figures are separate
// totals from the effective last period to today, each in its own unit.
struct DueDateResult {
  std::int32_t dueYear = 0, dueMonth = 0, dueDay = 0;
  std::int32_t monthsElapsed = 0, weeksElapsed = 0, daysElapsed = 0;
  std::int32_t daysRemaining = 0;

  friend bool operator==(const DueDateResult&, const DueDateResult&) = default;
};

// Which entered date could not be used, and why.
enum class DateField { LastPeriod, Conception };
struct DueDateFailure {
  DateField field;
  DateFault fault;
};

// The date elapsed time is counted from: the entered last period, or the
// conception date less 14 days.
Result<CalendarDate, DateFault> EffectiveLastPeriod(CalcMethod method,
                                                    const CalendarDate& entered);

Result<DueDateResult, DueDateFailure> CalculateDueDate(const DueDateInput& input);

}  // namespace duedate
