#include "calc/reading.h"

#include <array>

namespace duedate {
namespace {

constexpr std::int32_t Days(WeeksAndDays w) { return w.weeks * 7 + w.days; }

constexpr std::int32_t kLastEarlyDay = Days({13, 6});
constexpr std::int32_t kLastMiddleDay = Days({27, 6});
constexpr std::int32_t kFirstTermDay = Days({37, 0});
constexpr std::int32_t kFirstPostTermDay = Days({42, 0});

constexpr std::array<CheckupBand, 8> kBands{{
    {Checkup::First, {6, 0}, {13, 6}},
    {Checkup::NtScan, {11, 0}, {13, 6}},
    {Checkup::Second, {14, 0}, {19, 6}},
    {Checkup::Third, {20, 0}, {24, 6}},
    {Checkup::Fourth, {25, 0}, {28, 6}},
    {Checkup::Fifth, {29, 0}, {32, 6}},
    {Checkup::Sixth, {33, 0}, {36, 6}},
    {Checkup::Weekly, {37, 0}, {41, 6}},
}};

}  // namespace

WeeksAndDays ToWeeksAndDays(std::int32_t days) { return {days / 7, days % 7}; }

Weekday WeekdayOf(const CalendarDate& date) {
  // 1970-01-01 was a Thursday.
  const std::int32_t days = DaysBetween({1970, 1, 1}, date);
  return static_cast<Weekday>(((days % 7) + 7 + 4) % 7);
}

std::span<const CheckupBand> CheckupBands() { return kBands; }

PregnancyReading ReadPregnancy(const DueDateResult& result) {
  PregnancyReading r;
  r.due = {result.dueYear, result.dueMonth, result.dueDay};
  r.dueWeekday = WeekdayOf(r.due);
  r.daysRemaining = result.daysRemaining;
  r.gestationDays = kPregnancyDays - result.daysRemaining;
  r.adjustment = r.gestationDays - result.daysElapsed;

  if (r.gestationDays < 0) {
    r.within = Within::BeforeFirstDay;
  } else if (r.gestationDays > kLastPregnancyDay) {
    r.within = Within::BeyondLastDay;
  } else {
    r.within = Within::Within;
    r.age = ToWeeksAndDays(r.gestationDays);
    r.stage = r.gestationDays <= kLastEarlyDay    ? Stage::Early
              : r.gestationDays <= kLastMiddleDay ? Stage::Middle
                                                  : Stage::Late;
    r.term = r.gestationDays >= kFirstPostTermDay ? Term::PostTerm
             : r.gestationDays >= kFirstTermDay   ? Term::Term
                                                  : Term::NotYet;
  }

  if (r.daysRemaining >= 0) {
    r.remaining = ToWeeksAndDays(r.daysRemaining);
  } else {
    r.daysOverdue = -r.daysRemaining;
  }

  const auto firstDay = AddDays(r.due, -kPregnancyDays);
  if (firstDay) {
    for (const CheckupBand& band : kBands) {
      const auto first = AddDays(*firstDay, Days(band.from));
      const auto last = AddDays(*firstDay, Days(band.to));
      if (first && last) r.checkups.push_back({band.checkup, band.from, band.to, *first, *last});
    }
  }
  return r;
}

}  // namespace duedate
