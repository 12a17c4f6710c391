#include "window/descriptions.h"

#include <cstdlib>

#include "calc/calendar.h"
#include "calc/chinese_calendar.h"

namespace duedate {
namespace {

std::string Num(std::int32_t n) { return std::to_string(n); }

// The name of a visit of the schedule, before its weeks.
const char* CheckupName(Checkup checkup) {
  switch (checkup) {
    case Checkup::First: return "第1次产检";
    case Checkup::NtScan: return "NT检查";
    case Checkup::Second: return "第2次产检";
    case Checkup::Third: return "第3次产检";
    case Checkup::Fourth: return "第4次产检";
    case Checkup::Fifth: return "第5次产检";
    case Checkup::Sixth: return "第6次产检";
    case Checkup::Weekly: return "第7～11次产检";
  }
  return "";
}

// "21周+3天", without the 孕 that a range writes once.
std::string WeeksAndDaysText(WeeksAndDays age) { return Num(age.weeks) + "周+" + Num(age.days) + "天"; }

// "2011年6月8日～8月2日": the year once when both days share it.
std::string DateRangeText(const CalendarDate& first, const CalendarDate& last) {
  if (first.year != last.year) return DateText(first) + "～" + DateText(last);
  return DateText(first) + "～" + Num(last.month) + "月" + Num(last.day) + "日";
}

// What every box of the due date says first: the date, and that it is an
// estimate.
std::string DueDateLines(const PregnancyReading& r) {
  return DueDateLine(r) + "\n这是估计的日期：正好在这一天分娩的只有约4%，在孕37周+0天～41周+6天分娩都属于足月。";
}

// The year box's: the due date and the checkup schedule.
std::string ScheduleDescription(const PregnancyReading& r) {
  std::string text = DueDateLines(r);
  if (r.checkups.empty()) return text;
  text += "\n产检时间（依据《孕前和孕期保健指南（2018）》，具体以医生安排为准）：";
  for (const CheckupDates& c : r.checkups) {
    text += "\n" + std::string(CheckupName(c.checkup)) + "（" + GestationalAgeText(c.from) + "～" +
            WeeksAndDaysText(c.to) + (c.checkup == Checkup::Weekly ? "，每周1次" : "") + "）：" +
            DateRangeText(c.first, c.last);
  }
  return text;
}

// The month and day boxes': the due date, and where the schedule is.
std::string DueDateDescription(const PregnancyReading& r) {
  if (r.checkups.empty()) return DueDateLines(r);
  return DueDateLines(r) + "\n各次产检的日期见预产期的“年”框。";
}

// The one line of context that the three elapsed boxes share.
std::string TodayText(const PregnancyReading& r) {
  switch (r.within) {
    case Within::BeforeFirstDay:
      return "按这些日期，今天不在孕期之内：今天早于孕期的第一天（预产期前280天）。";
    case Within::BeyondLastDay:
      return "按这些日期，今天不在孕期之内：今天已超过孕44周+0天。请核对输入的日期。";
    case Within::Within: break;
  }
  std::string text = "今天：" + GestationalAgeText(r.age) + "，" + StageText(r);
  if (r.term == Term::PostTerm) return text + "。请尽快去医院，由医生决定如何处理。";
  if (r.age.weeks >= 41) return text + "。已满孕41周，请按医生的安排复诊或住院。";
  return text;
}

// A cycle within the usual 21～35 days; the conception method has none.
bool UsualCycle(const DueDateInput& input) {
  if (input.method != CalcMethod::FromLastPeriod) return true;
  const double cycle = LeadingNumber(input.cycleLength);
  return cycle >= 21 && cycle <= 35;
}

// The days box's note on where the pregnancy is counted from: how the cycle
// moves the weeks read against the box's days, why today may come before
// the first day, and a cycle that is unlikely to be one.
std::string StartNote(const DueDateInput& input, const PregnancyReading& r, std::int32_t daysElapsed) {
  std::string note;
  if (daysElapsed < 0) {
    note += input.method == CalcMethod::FromLastPeriod ? "\n您输入的末次月经第一天在今天之后，请核对日期。"
                                                       : "\n孕期从排卵受精日期前14天算起，这一天在今天之后，请核对日期。";
  }
  if (input.method != CalcMethod::FromLastPeriod) return note;
  const double cycle = LeadingNumber(input.cycleLength);
  const std::string days = NumberText(cycle) + "天";
  if (!UsualCycle(input)) {
    // A cycle unlikely to be one moves nothing worth explaining.
    return note + "\n月经周期通常为21～35天，这次按" + days +
           "计算，不在此范围内。请核对“月经周期”框是否空着，或填的是月经（出血）持续的天数。\n"
           "如果周期确实不在这个范围内，按末次月经推算的预产期不够准确，请以医生根据B超核定的预产期为准。";
  }
  if (r.adjustment != 0 && r.within == Within::Within) {
    note += "\n按月经周期" + days + "推算，上面的孕周比本框的天数" + (r.adjustment < 0 ? "少" : "多") + "算" +
            Num(std::abs(r.adjustment)) + "天，与预产期一致。";
  } else if (r.within == Within::BeforeFirstDay && daysElapsed >= 0) {
    // Only a cycle above 28 puts the first day after the last period.
    note += "\n按月经周期" + days + "推算，孕期的第一天比末次月经第一天晚" + Num(-r.adjustment) +
            "天，还在今天之后。";
  }
  return note;
}

// The months and weeks boxes' pointer to the days box's note, where the
// weeks read differ from the window's count.
std::string AdjustedNote(const DueDateInput& input, const PregnancyReading& r) {
  if (r.adjustment == 0 || r.within != Within::Within || !UsualCycle(input)) return "";
  return "\n上面的孕周已按月经周期调整，说明见本行的“天”框。";
}

// Text7's: the due date once, in brackets after the word.
std::string RemainingText(const PregnancyReading& r) {
  const std::string due = "预产期（" + DateText(r.due) + "，" + WeekdayText(r.dueWeekday) + "）";
  if (!r.remaining) {
    const std::string overdue = "已超过" + due + Num(r.daysOverdue) + "天";
    if (r.within == Within::BeyondLastDay) return overdue + "。";
    if (r.term == Term::PostTerm) return overdue + "，已是过期妊娠，请尽快去医院。";
    return overdue + "。请按医生约定的时间复诊。";
  }
  if (r.daysRemaining == 0) return "今天就是" + due + "。";
  return "距" + due + "还有" + Num(r.remaining->weeks) + "周" + Num(r.remaining->days) + "天，共" +
         Num(r.daysRemaining) + "天。";
}

}  // namespace

std::string GestationalAgeText(WeeksAndDays age) { return "孕" + WeeksAndDaysText(age); }

std::string DateText(const CalendarDate& date) {
  return Num(date.year) + "年" + Num(date.month) + "月" + Num(date.day) + "日";
}

std::string WeekdayText(Weekday weekday) {
  static constexpr const char* kNames[] = {"星期日", "星期一", "星期二", "星期三",
                                           "星期四", "星期五", "星期六"};
  return kNames[static_cast<int>(weekday)];
}

std::string DueDateLine(const PregnancyReading& r) {
  std::string text = "预产期：" + DateText(r.due) + "，" + WeekdayText(r.dueWeekday);
  if (const std::string lunar = ChineseDateText(r.due); !lunar.empty()) text += "，" + lunar;
  return text;
}

std::string StageText(const PregnancyReading& r) {
  switch (r.stage) {
    case Stage::None: return "";
    case Stage::Early: return "孕早期";
    case Stage::Middle: return "孕中期";
    case Stage::Late: break;
  }
  switch (r.term) {
    case Term::NotYet: return "孕晚期";
    case Term::Term: return "孕晚期，已足月";
    case Term::PostTerm: return "孕晚期，过期妊娠";
  }
  return "孕晚期";
}

std::vector<BoxDescription> ResultDescriptions(const DueDateInput& input, const DueDateResult& result) {
  const PregnancyReading r = ReadPregnancy(result);
  const std::string due = DueDateDescription(r);
  const std::string today = TodayText(r);
  const std::string from = input.method == CalcMethod::FromLastPeriod
                               ? "从末次月经第一天到今天"
                               : "从排卵受精日期前14天到今天";
  return {
      {Control::Text8, ScheduleDescription(r)},
      {Control::Text9, due},
      {Control::Text10, due},
      {Control::Text11, today + "\n本框的月数：" + from +
                            "跨过的月份数（只看年和月，不看日），不是“第几个月”。" + AdjustedNote(input, r)},
      {Control::Text5, today + "\n本框的周数：" + from + "满7天的整周数，不足一周的天数不计。" +
                           AdjustedNote(input, r)},
      {Control::Text6, today + "\n本框的天数：" + from + "的天数。" + StartNote(input, r, result.daysElapsed)},
      {Control::Text7, RemainingText(r)},
  };
}

}  // namespace duedate
