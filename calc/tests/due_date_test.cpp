#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "calc/due_date.h"
#include "calc/reading.h"

namespace duedate {
namespace {

DueDateInput LastPeriod(std::string y, std::string m, std::string d, std::string cycle,
                        CalendarDate today) {
  DueDateInput input;
  input.method = CalcMethod::FromLastPeriod;
  input.lastPeriodYear = std::move(y);
  input.lastPeriodMonth = std::move(m);
  input.lastPeriodDay = std::move(d);
  input.cycleLength = std::move(cycle);
  // The other method's fields hold nonsense: they must not be read.
  input.conceptionYear = input.conceptionMonth = input.conceptionDay = "x";
  input.today = today;
  return input;
}

DueDateInput Conception(std::string y, std::string m, std::string d, CalendarDate today) {
  DueDateInput input;
  input.method = CalcMethod::FromConception;
  input.conceptionYear = std::move(y);
  input.conceptionMonth = std::move(m);
  input.conceptionDay = std::move(d);
  input.lastPeriodYear = input.lastPeriodMonth = input.lastPeriodDay = "x";
  input.cycleLength = "x";
  input.today = today;
  return input;
}

struct DueCase {
  const char* what;
  DueDateInput input;
  DueDateResult expected;
};
void PrintTo(const DueCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << c.what;
}


class CalculateDueDateTest : public testing::TestWithParam<DueCase> {};

TEST_P(CalculateDueDateTest, GivesTheSevenFigures) {
  const auto result = CalculateDueDate(GetParam().input);
  ASSERT_TRUE(result.ok()) << GetParam().what;
  EXPECT_EQ(*result, GetParam().expected) << GetParam().what;
}

constexpr CalendarDate kOct1{2011, 10, 1};

INSTANTIATE_TEST_SUITE_P(
    Examples, CalculateDueDateTest,
    testing::Values(
        DueCase{"cycle 28", LastPeriod("2011", "04", "27", "28", kOct1), {2012, 2, 1, 6, 22, 157, 123}},
        DueCase{"cycle 35", LastPeriod("2011", "04", "27", "35", kOct1), {2012, 2, 8, 6, 22, 157, 130}},
        DueCase{"empty cycle", LastPeriod("2011", "04", "27", "", kOct1), {2012, 1, 4, 6, 22, 157, 95}},
        DueCase{"cycle 28.5 rounds to even", LastPeriod("2011", "4", "27", "28.5", kOct1),
                {2012, 2, 1, 6, 22, 157, 123}},
        DueCase{"cycle 29.5 rounds to even", LastPeriod("2011", "4", "27", "29.5", kOct1),
                {2012, 2, 3, 6, 22, 157, 125}},
        DueCase{"conception", Conception("2011", "05", "15", kOct1), {2012, 2, 5, 5, 21, 153, 127}},
        DueCase{"one day across a month end", LastPeriod("2011", "4", "30", "28", {2011, 5, 1}),
                {2012, 2, 4, 1, 0, 1, 279}},
        DueCase{"today 13 days before", LastPeriod("2011", "10", "14", "28", kOct1),
                {2012, 7, 20, 0, -1, -13, 293}},
        DueCase{"today 13 days before, across a month", LastPeriod("2011", "10", "5", "28",
                                                                   {2011, 9, 22}),
                {2012, 7, 11, -1, -1, -13, 293}},
        DueCase{"past the due date", LastPeriod("2011", "4", "27", "28", {2012, 2, 11}),
                {2012, 2, 1, 10, 41, 290, -10}},
        DueCase{"cycle 1e15 reads as 1", LastPeriod("2011", "4", "27", "1e15", kOct1),
                {2012, 1, 5, 6, 22, 157, 96}},
        DueCase{"conception near the first year", Conception("1000", "1", "10", {1000, 1, 10}),
                {1000, 10, 3, 1, 2, 14, 266}}));

struct FailCase {
  const char* what;
  DueDateInput input;
  DateField field;
  DateFault fault;
};
void PrintTo(const FailCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << c.what;
}


class CalculateDueDateFailure : public testing::TestWithParam<FailCase> {};

TEST_P(CalculateDueDateFailure, SaysWhichDateAndWhy) {
  const auto result = CalculateDueDate(GetParam().input);
  ASSERT_FALSE(result.ok()) << GetParam().what;
  EXPECT_EQ(result.error().field, GetParam().field) << GetParam().what;
  EXPECT_EQ(result.error().fault, GetParam().fault) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CalculateDueDateFailure,
    testing::Values(
        FailCase{"30 February", LastPeriod("2011", "2", "30", "28", kOct1), DateField::LastPeriod,
                 DateFault::InvalidDate},
        FailCase{"two-digit year", LastPeriod("11", "4", "27", "28", kOct1), DateField::LastPeriod,
                 DateFault::InvalidDate},
        FailCase{"month 13", Conception("2011", "13", "15", kOct1), DateField::Conception,
                 DateFault::InvalidDate},
        FailCase{"empty day", Conception("2011", "5", "", kOct1), DateField::Conception,
                 DateFault::InvalidDate},
        FailCase{"cycle of 10^15", LastPeriod("2011", "4", "27", "1000000000000000", kOct1),
                 DateField::LastPeriod, DateFault::OutOfRange},
        FailCase{"cycle of 400 digits", LastPeriod("2011", "4", "27", std::string(400, '9'), kOct1),
                 DateField::LastPeriod, DateFault::OutOfRange},
        FailCase{"negative cycle of 400 digits",
                 LastPeriod("2011", "4", "27", "-" + std::string(400, '9'), kOct1),
                 DateField::LastPeriod, DateFault::OutOfRange},
        FailCase{"due after 9999", Conception("9999", "12", "1", kOct1), DateField::Conception,
                 DateFault::OutOfRange},
        FailCase{"cycle 3000000", LastPeriod("9000", "1", "1", "3000000", kOct1),
                 DateField::LastPeriod, DateFault::OutOfRange}));

TEST(EffectiveLastPeriodRule, IsTheEnteredDateOrFourteenDaysBeforeConception) {
  EXPECT_EQ(*EffectiveLastPeriod(CalcMethod::FromLastPeriod, {2011, 4, 27}),
            (CalendarDate{2011, 4, 27}));
  EXPECT_EQ(*EffectiveLastPeriod(CalcMethod::FromConception, {2011, 5, 15}),
            (CalendarDate{2011, 5, 1}));
  EXPECT_EQ(EffectiveLastPeriod(CalcMethod::FromConception, {1, 1, 10}).error(),
            DateFault::OutOfRange);
}

// A last period `days` days before 2011-10-01.
DueDateInput DaysAgo(int days, std::string cycle = "28") {
  const CalendarDate lmp = *AddDays(kOct1, -days);
  return LastPeriod(std::to_string(lmp.year), std::to_string(lmp.month), std::to_string(lmp.day),
                    std::move(cycle), kOct1);
}

struct ReadingCase {
  const char* what;
  DueDateInput input;
  WeeksAndDays age;  // {0, 0} outside the pregnancy
  Stage stage;
  Term term = Term::NotYet;
  // The visits whose dates hold today. The bands are the guideline's:
  // 6–13+6, NT 11–13+6, 14–19+6, 20–24+6, 25–28+6, 29–32+6, 33–36+6, 37–41+6.
  std::vector<Checkup> visits = {};
};
void PrintTo(const ReadingCase& c, std::ostream* out) { *out << c.what; }

class ReadPregnancyTest : public testing::TestWithParam<ReadingCase> {};

TEST_P(ReadPregnancyTest, ReadsTheAgeAndStageSoThatTheyAgreeWithTheDueDate) {
  const ReadingCase& c = GetParam();
  const auto result = CalculateDueDate(c.input);
  ASSERT_TRUE(result.ok());
  const PregnancyReading r = ReadPregnancy(*result);
  EXPECT_EQ(r.age, c.age);
  EXPECT_EQ(r.stage, c.stage);
  EXPECT_EQ(r.term, c.term);
  EXPECT_EQ(r.within == Within::Within, c.stage != Stage::None);
  std::vector<Checkup> visits;
  for (const CheckupDates& d : r.checkups)
    if (DaysBetween(d.first, c.input.today) >= 0 && DaysBetween(c.input.today, d.last) >= 0)
      visits.push_back(d.checkup);
  EXPECT_EQ(visits, c.visits);
}

using C = Checkup;
INSTANTIATE_TEST_SUITE_P(
    Boundaries, ReadPregnancyTest,
    testing::Values(
        ReadingCase{"the first day", DaysAgo(0), {0, 0}, Stage::Early},
        ReadingCase{"the day before", DaysAgo(-1), {}, Stage::None},
        ReadingCase{"5+6", DaysAgo(41), {5, 6}, Stage::Early},
        ReadingCase{"6+0", DaysAgo(42), {6, 0}, Stage::Early, Term::NotYet, {C::First}},
        ReadingCase{"10+6", DaysAgo(76), {10, 6}, Stage::Early, Term::NotYet, {C::First}},
        ReadingCase{"11+0", DaysAgo(77), {11, 0}, Stage::Early, Term::NotYet, {C::First, C::NtScan}},
        ReadingCase{"13+6", DaysAgo(97), {13, 6}, Stage::Early, Term::NotYet, {C::First, C::NtScan}},
        ReadingCase{"14+0", DaysAgo(98), {14, 0}, Stage::Middle, Term::NotYet, {C::Second}},
        ReadingCase{"19+6", DaysAgo(139), {19, 6}, Stage::Middle, Term::NotYet, {C::Second}},
        ReadingCase{"20+0", DaysAgo(140), {20, 0}, Stage::Middle, Term::NotYet, {C::Third}},
        ReadingCase{"24+6", DaysAgo(174), {24, 6}, Stage::Middle, Term::NotYet, {C::Third}},
        ReadingCase{"25+0", DaysAgo(175), {25, 0}, Stage::Middle, Term::NotYet, {C::Fourth}},
        ReadingCase{"27+6", DaysAgo(195), {27, 6}, Stage::Middle, Term::NotYet, {C::Fourth}},
        ReadingCase{"28+0", DaysAgo(196), {28, 0}, Stage::Late, Term::NotYet, {C::Fourth}},
        ReadingCase{"28+6", DaysAgo(202), {28, 6}, Stage::Late, Term::NotYet, {C::Fourth}},
        ReadingCase{"29+0", DaysAgo(203), {29, 0}, Stage::Late, Term::NotYet, {C::Fifth}},
        ReadingCase{"32+6", DaysAgo(230), {32, 6}, Stage::Late, Term::NotYet, {C::Fifth}},
        ReadingCase{"33+0", DaysAgo(231), {33, 0}, Stage::Late, Term::NotYet, {C::Sixth}},
        ReadingCase{"36+6", DaysAgo(258), {36, 6}, Stage::Late, Term::NotYet, {C::Sixth}},
        ReadingCase{"37+0", DaysAgo(259), {37, 0}, Stage::Late, Term::Term, {C::Weekly}},
        ReadingCase{"41+6", DaysAgo(293), {41, 6}, Stage::Late, Term::Term, {C::Weekly}},
        ReadingCase{"42+0", DaysAgo(294), {42, 0}, Stage::Late, Term::PostTerm},
        ReadingCase{"44+0", DaysAgo(308), {44, 0}, Stage::Late, Term::PostTerm},
        ReadingCase{"44+1", DaysAgo(309), {}, Stage::None},
        ReadingCase{"far past", DaysAgo(5000), {}, Stage::None},
        ReadingCase{"cycle 21: a week later", DaysAgo(150, "21"), {22, 3}, Stage::Middle, Term::NotYet, {C::Third}},
        ReadingCase{"cycle 35: a week earlier", DaysAgo(150, "35"), {20, 3}, Stage::Middle, Term::NotYet, {C::Third}},
        ReadingCase{"cycle 35, 14+6 shown", DaysAgo(104, "35"), {13, 6}, Stage::Early, Term::NotYet, {C::First, C::NtScan}},
        ReadingCase{"cycle 21, 36+0 shown", DaysAgo(252, "21"), {37, 0}, Stage::Late, Term::Term, {C::Weekly}},
        ReadingCase{"cycle 35, before its first day", DaysAgo(6, "35"), {}, Stage::None},
        ReadingCase{"cycle 28.5 rounds as the due date", DaysAgo(150, "28.5"), {21, 3}, Stage::Middle, Term::NotYet, {C::Third}},
        ReadingCase{"cycle 29.5 rounds as the due date", DaysAgo(150, "29.5"), {21, 1}, Stage::Middle, Term::NotYet, {C::Third}},
        ReadingCase{"conception", Conception("2011", "05", "15", kOct1), {21, 6}, Stage::Middle, Term::NotYet, {C::Third}}));

TEST(ReadPregnancyDates, TheWeekdayTheTimeLeftAndTheCheckupsCountFromTheSameDay) {
  auto r = ReadPregnancy(*CalculateDueDate(LastPeriod("2011", "04", "27", "28", kOct1)));
  EXPECT_EQ(r.dueWeekday, Weekday::Wednesday);  // 2012-02-01
  EXPECT_EQ(r.remaining, (WeeksAndDays{17, 4}));
  ASSERT_EQ(r.checkups.size(), CheckupBands().size());
  EXPECT_EQ(r.checkups[0].first, (CalendarDate{2011, 6, 8}));      // 6+0
  EXPECT_EQ(r.checkups[1].first, (CalendarDate{2011, 7, 13}));     // NT from 11+0
  EXPECT_EQ(r.checkups.back().last, (CalendarDate{2012, 2, 14}));  // 41+6
  for (std::size_t i = 2; i < r.checkups.size(); ++i)  // from 14+0 on the visits meet
    EXPECT_EQ(r.checkups[i].first, *AddDays(r.checkups[i - 1].last, 1)) << i;
  // A 35-day cycle moves every checkup a week later, as the due date.
  r = ReadPregnancy(*CalculateDueDate(LastPeriod("2011", "04", "27", "35", kOct1)));
  EXPECT_EQ(r.checkups[0].first, (CalendarDate{2011, 6, 15}));
  r = ReadPregnancy(*CalculateDueDate(LastPeriod("2011", "4", "27", "28", {2012, 2, 11})));
  EXPECT_FALSE(r.remaining.has_value());
  EXPECT_EQ(r.daysOverdue, 10);
  // Due in the year 1: the checkups before it fall outside the calendar.
  r = ReadPregnancy(*CalculateDueDate(LastPeriod("1000", "1", "1", "-365070", kOct1)));
  EXPECT_TRUE(r.checkups.empty());

  const std::pair<CalendarDate, Weekday> weekdays[] = {
      {{2000, 1, 1}, Weekday::Saturday}, {{1969, 12, 31}, Weekday::Wednesday},
      {{2024, 2, 29}, Weekday::Thursday}, {{9999, 12, 31}, Weekday::Friday}, {{1, 1, 1}, Weekday::Monday}};
  for (const auto& [date, weekday] : weekdays) EXPECT_EQ(WeekdayOf(date), weekday) << date.year;
}

}  // namespace
}  // namespace duedate
