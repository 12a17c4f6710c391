// The results as a clinic reads them: the gestational age in completed weeks
// and days, the stage, the due date's weekday, the time left, and the dates
// of the checkups.
//
// Everything is counted from the due date backwards, so that the reading
// always agrees with it: the pregnancy is 280 days long (40+0), and its
// first day counted is the due date less 280 days. With a 28-day cycle, and
// for a conception date, that is the date the window's elapsed figures
// count from; with another cycle it lies (cycle − 28) days later, as the
// due date does.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "calc/calendar.h"
#include "calc/due_date.h"

namespace duedate {

// The length of a pregnancy from the first day counted to the due date.
inline constexpr std::int32_t kPregnancyDays = 280;
// Beyond 44+0 a date is no longer read as within the pregnancy.
inline constexpr std::int32_t kLastPregnancyDay = 44 * 7;

// The stages by the Chinese textbook's definitions.
enum class Stage {
  None,    // today is not within the pregnancy
  Early,   // 孕早期: up to 13+6
  Middle,  // 孕中期: 14+0 to 27+6
  Late,    // 孕晚期: from 28+0
};

// Within 孕晚期: term 足月 from 37+0 to 41+6, post-term 过期妊娠 from 42+0.
enum class Term { NotYet, Term, PostTerm };

// Where today lies against the pregnancy.
enum class Within { BeforeFirstDay, Within, BeyondLastDay };

// A span of days given in weeks and days: 13+6 is {13, 6}.
struct WeeksAndDays {
  std::int32_t weeks = 0;
  std::int32_t days = 0;

  friend bool operator==(const WeeksAndDays&, const WeeksAndDays&) = default;
};

// Whole days to completed weeks and the days over; days ≥ 0.
WeeksAndDays ToWeeksAndDays(std::int32_t days);

// The days of the week, Sunday first, as the calendar counts them.
enum class Weekday { Sunday, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };
Weekday WeekdayOf(const CalendarDate& date);

// The visits of the schedule of 《孕前和孕期保健指南（2018）》 and its NT scan.
// Each band runs from the first day of its first week to the last day of
// its last week: "20–24 周" is 20+0 to 24+6, so the bands meet.
enum class Checkup { First, NtScan, Second, Third, Fourth, Fifth, Sixth, Weekly };

struct CheckupBand {
  Checkup checkup;
  WeeksAndDays from, to;  // both days included
};

// The bands in the order of their first days.
std::span<const CheckupBand> CheckupBands();

struct CheckupDates {
  Checkup checkup;
  WeeksAndDays from, to;
  CalendarDate first, last;  // both days included
};

struct PregnancyReading {
  // The days from the first day counted to today: 280 − daysRemaining. It
  // may be negative (before the first day) or beyond 44+0.
  std::int32_t gestationDays = 0;
  Within within = Within::Within;
  // Completed weeks and days; meaningful only within the pregnancy.
  WeeksAndDays age;
  Stage stage = Stage::None;
  Term term = Term::NotYet;
  // How many days later the reading stands than the window's elapsed days:
  // 28 − cycle for the last-period method, as the due date rounds it; 0 for
  // a 28-day cycle and for a conception date.
  std::int32_t adjustment = 0;
  CalendarDate due;
  Weekday dueWeekday = Weekday::Sunday;
  std::int32_t daysRemaining = 0;
  // The time left as weeks and days; when the due date has passed, the
  // days since it.
  std::optional<WeeksAndDays> remaining;
  std::int32_t daysOverdue = 0;
  // The checkups as dates; those that fall outside the calendar's range are
  // left out.
  std::vector<CheckupDates> checkups;
};

// The reading of a calculation's result, on the day it was calculated.
PregnancyReading ReadPregnancy(const DueDateResult& result);

}  // namespace duedate
