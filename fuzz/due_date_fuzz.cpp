// CalculateDueDate on any field texts and any date for today: it fails
// cleanly on the selected method's date, or gives figures that agree with
// the date arithmetic and the due date, and a reading of them with a stage
// only within the pregnancy.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "calc/due_date.h"
#include "calc/reading.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "violated: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace duedate;
  FuzzedDataProvider in(data, size);
  DueDateInput input;
  input.method = in.ConsumeBool() ? CalcMethod::FromConception : CalcMethod::FromLastPeriod;
  const auto today = AddDays({1, 1, 1}, in.ConsumeIntegralInRange<int>(0, 3652058));
  Require(today.ok(), "every day of the years 1 to 9999 can be today");
  input.today = *today;
  input.lastPeriodYear = in.ConsumeRandomLengthString(16);
  input.lastPeriodMonth = in.ConsumeRandomLengthString(8);
  input.lastPeriodDay = in.ConsumeRandomLengthString(8);
  input.cycleLength = in.ConsumeRandomLengthString(32);
  input.conceptionYear = in.ConsumeRandomLengthString(16);
  input.conceptionMonth = in.ConsumeRandomLengthString(8);
  input.conceptionDay = in.ConsumeRandomLengthString(8);

  const bool fromLastPeriod = input.method == CalcMethod::FromLastPeriod;
  const auto entered =
      fromLastPeriod
          ? DateFromParts(input.lastPeriodYear, input.lastPeriodMonth, input.lastPeriodDay)
          : DateFromParts(input.conceptionYear, input.conceptionMonth, input.conceptionDay);
  const auto result = CalculateDueDate(input);
  if (!result) {
    Require(result.error().field == (fromLastPeriod ? DateField::LastPeriod : DateField::Conception),
            "the failure names the selected method's date");
    Require(!entered.ok() || result.error().fault == DateFault::OutOfRange,
            "a date that forms fails only for range");
    return 0;
  }
  Require(entered.ok(), "a result comes only from a date that forms");
  const DueDateResult& r = *result;
  const CalendarDate due{r.dueYear, r.dueMonth, r.dueDay};
  Require(IsValidDate(due), "the due date is a real date");
  const CalendarDate start = *EffectiveLastPeriod(input.method, *entered);
  Require(r.daysElapsed == DaysBetween(start, input.today), "days elapsed");
  Require(r.weeksElapsed == r.daysElapsed / 7, "weeks elapsed truncate toward zero");
  Require(r.monthsElapsed == MonthsBetween(start, input.today), "months elapsed");
  Require(r.daysRemaining == DaysBetween(input.today, due), "days remaining");
  const std::int32_t span = r.daysElapsed + r.daysRemaining;
  if (fromLastPeriod) {
    const double offset = (LeadingNumber(input.cycleLength) - 14) + 266;
    Require(std::abs(span - offset) <= 0.5, "the due date is the offset, rounded, after the last period");
  } else {
    Require(span == 280, "the due date is 280 days after the effective last period");
  }
  // Within the pregnancy the reading has a stage, and its days over are
  // fewer than a week.
  const PregnancyReading reading = ReadPregnancy(r);
  Require((reading.stage != Stage::None) == (reading.within == Within::Within), "a stage only within");
  Require(reading.age.days >= 0 && reading.age.days < 7, "the days over are fewer than a week");
  return 0;
}
