// What the boxes of the window say when the pointer rests on them, and what
// a screen reader reads as their description: the reading of the results as
// a clinic gives it, and what the cycle length is. Each box says its own
// part once: the due date's year box the checkup schedule, its month and
// day boxes the due date and where the schedule is; the three elapsed boxes
// share one line of context (today's weeks and stage), and only the days
// box adds the note on the cycle and on the first day counted.
#pragma once

#include <string>
#include <vector>

#include "calc/due_date.h"
#include "calc/reading.h"
#include "window/form_layout.h"

namespace duedate {

// Text4's, from the start.
inline constexpr const char* kCycleDescription =
    "月经周期：从一次月经的第一天到下一次月经第一天的天数，通常为21～35天，最常见的是28天。\n"
    "注意：它不是月经（出血）持续的天数。";

// "孕21周+3天".
std::string GestationalAgeText(WeeksAndDays age);
// "2012年2月1日".
std::string DateText(const CalendarDate& date);
// "星期三".
std::string WeekdayText(Weekday weekday);
// "预产期：2012年2月1日，星期三", the first line of the due date's boxes.
std::string DueDateLine(const PregnancyReading& reading);
// "孕中期", "孕晚期，已足月"; empty outside the pregnancy.
std::string StageText(const PregnancyReading& reading);

struct BoxDescription {
  Control box;
  std::string text;
};

// The description of each of the seven result boxes after a calculation
// of `input` that gave `result`.
std::vector<BoxDescription> ResultDescriptions(const DueDateInput& input, const DueDateResult& result);

}  // namespace duedate
