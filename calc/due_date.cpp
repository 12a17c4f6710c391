#include "calc/due_date.h"

namespace duedate {

Result<CalendarDate, DateFault> EffectiveLastPeriod(CalcMethod method,
                                                    const CalendarDate& entered) {
  if (method == CalcMethod::FromLastPeriod) return entered;
  return AddDays(entered, -kDaysLastPeriodToConception);
}

Result<DueDateResult, DueDateFailure> CalculateDueDate(const DueDateInput& input) {
  const bool fromLastPeriod = input.method == CalcMethod::FromLastPeriod;
  const DateField field = fromLastPeriod ? DateField::LastPeriod : DateField::Conception;

  // Both dates are formed before any figure exists.
  const auto entered =
      fromLastPeriod
          ? DateFromParts(input.lastPeriodYear, input.lastPeriodMonth, input.lastPeriodDay)
          : DateFromParts(input.conceptionYear, input.conceptionMonth, input.conceptionDay);
  if (!entered) return Fail(DueDateFailure{field, entered.error()});

  double offset = kDaysConceptionToDue;
  if (fromLastPeriod) {
    const double cycle = LeadingNumber(input.cycleLength);
    offset = (cycle - kDaysLastPeriodToConception) + kDaysConceptionToDue;
  }
  const auto due = AddDays(*entered, offset);
  if (!due) return Fail(DueDateFailure{field, due.error()});
  const auto start = EffectiveLastPeriod(input.method, *entered);
  if (!start) return Fail(DueDateFailure{field, start.error()});

  DueDateResult result;
  result.dueYear = due->year;
  result.dueMonth = due->month;
  result.dueDay = due->day;
  result.monthsElapsed = MonthsBetween(*start, input.today);
  result.weeksElapsed = WeeksBetween(*start, input.today);
  result.daysElapsed = DaysBetween(*start, input.today);
  result.daysRemaining = DaysBetween(input.today, *due);
  return result;
}

}  // namespace duedate
