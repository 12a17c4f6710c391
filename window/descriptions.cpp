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
    case Checkup::Weekly: return "第7～11次产检（每周1次）";
  }
  return "";
}

std::string DueDateDescription(const PregnancyReading& r) {
  std::string text = "预产期：" + DateText(r.due) + "，" + WeekdayText(r.dueWeekday);
  if (const std::string lunar = ChineseDateText(r.due); !lunar.empty()) text += "，" + lunar;
  if (r.checkups.empty()) return text;
  text += "\n产检时间（《孕前和孕期保健指南》，2018）：";
  for (const CheckupDates& c : r.checkups) {
    text += "\n" + std::string(CheckupName(c.checkup)) + "  " + GestationalAgeText(c.from) + "～" +
            GestationalAgeText(c.to) + "：" + DateText(c.first) + "～" + DateText(c.last);
  }
  return text;
}

std::string TodayText(const PregnancyReading& r) {
  switch (r.within) {
    case Within::BeforeFirstDay:
      return "按这些日期，今天不在孕期之内：今天早于孕期的第一天（预产期前280天）。";
    case Within::BeyondLastDay:
      return "按这些日期，今天不在孕期之内：今天已超过孕44周+0天。";
    case Within::Within: break;
  }
  return "今天：" + GestationalAgeText(r.age) + "，" + StageText(r);
}

std::string AdjustmentText(const DueDateInput& input, const PregnancyReading& r) {
  // Only a reading within the pregnancy has weeks to adjust.
  if (r.adjustment == 0 || r.within != Within::Within) return "";
  const std::string cycle = NumberText(LeadingNumber(input.cycleLength));
  return "\n您的月经周期是" + cycle + "天，不是28天。\n格中的数字从您输入的末次月经第一天算起；\n" +
         "上面的孕周已按周期" + (r.adjustment < 0 ? "减去" : "加上") + Num(std::abs(r.adjustment)) +
         "天，与预产期一致。";
}

std::string RemainingText(const PregnancyReading& r) {
  const std::string due = "（预产期" + DateText(r.due) + "，" + WeekdayText(r.dueWeekday) + "）";
  if (!r.remaining) return "已超过预产期" + Num(r.daysOverdue) + "天" + due + "。";
  if (r.daysRemaining == 0) return "今天就是预产期" + due + "。";
  return "距预产期还有" + Num(r.remaining->weeks) + "周" + Num(r.remaining->days) + "天，共" +
         Num(r.daysRemaining) + "天" + due + "。";
}

}  // namespace

std::string GestationalAgeText(WeeksAndDays age) {
  return "孕" + Num(age.weeks) + "周+" + Num(age.days) + "天";
}

std::string DateText(const CalendarDate& date) {
  return Num(date.year) + "年" + Num(date.month) + "月" + Num(date.day) + "日";
}

std::string WeekdayText(Weekday weekday) {
  static constexpr const char* kNames[] = {"星期日", "星期一", "星期二", "星期三",
                                           "星期四", "星期五", "星期六"};
  return kNames[static_cast<int>(weekday)];
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
    case Term::Term: return "孕晚期，足月";
    case Term::PostTerm: return "孕晚期，过期妊娠";
  }
  return "孕晚期";
}

std::vector<BoxDescription> ResultDescriptions(const DueDateInput& input, const DueDateResult& result) {
  const PregnancyReading r = ReadPregnancy(result);
  const std::string due = DueDateDescription(r);
  const std::string today = TodayText(r) + AdjustmentText(input, r);
  const std::string from = input.method == CalcMethod::FromLastPeriod
                               ? "从末次月经第一天到今天"
                               : "从排卵受精日期前14天到今天";
  return {
      {Control::Text8, due},
      {Control::Text9, due},
      {Control::Text10, due},
      {Control::Text11, today + "\n本格的月数：" + from +
                            "跨过的月份数（只看年和月，不看日），不是“第几个月”。"},
      {Control::Text5, today + "\n本格的周数：" + from + "满7天的整周数，不足一周的天数不计。"},
      {Control::Text6, today + "\n本格的天数：" + from + "的天数。"},
      {Control::Text7, RemainingText(r)},
  };
}

}  // namespace duedate
