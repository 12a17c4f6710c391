#include <gtest/gtest.h>

#include <ostream>
#include <string>

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
DueDateInput DaysAgo(int days, std::string cycle) {
  const CalendarDate lmp = *AddDays(kOct1, -days);
  return LastPeriod(std::to_string(lmp.year), std::to_string(lmp.month), std::to_string(lmp.day),
                    std::move(cycle), kOct1);
}

struct ReadingCase {
  const char* what;
  DueDateInput input;
  Within within;
  WeeksAndDays age;
  Stage stage;
  Term term;
  std::int32_t adjustment;
};
void PrintTo(const ReadingCase& c, std::ostream* out) { *out << c.what; }

class ReadPregnancyTest : public testing::TestWithParam<ReadingCase> {};

TEST_P(ReadPregnancyTest, ReadsTheAgeAndStageSoThatTheyAgreeWithTheDueDate) {
  const ReadingCase& c = GetParam();
  const auto result = CalculateDueDate(c.input);
  ASSERT_TRUE(result.ok());
  const PregnancyReading r = ReadPregnancy(*result);
  EXPECT_EQ(r.within, c.within);
  EXPECT_EQ(r.stage, c.stage);
  EXPECT_EQ(r.term, c.term);
  EXPECT_EQ(r.adjustment, c.adjustment);
  EXPECT_EQ(r.gestationDays, result->daysElapsed + c.adjustment);
  EXPECT_EQ(r.gestationDays + result->daysRemaining, 280);
  EXPECT_EQ(r.age, c.age);  // none outside the pregnancy
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ReadPregnancyTest,
    testing::Values(
        ReadingCase{"the first day", DaysAgo(0, "28"), Within::Within, {0, 0}, Stage::Early, Term::NotYet, 0},
        ReadingCase{"the day before", DaysAgo(-1, "28"), Within::BeforeFirstDay, {}, Stage::None,
                    Term::NotYet, 0},
        ReadingCase{"13+6", DaysAgo(97, "28"), Within::Within, {13, 6}, Stage::Early, Term::NotYet, 0},
        ReadingCase{"14+0", DaysAgo(98, "28"), Within::Within, {14, 0}, Stage::Middle, Term::NotYet, 0},
        ReadingCase{"27+6", DaysAgo(195, "28"), Within::Within, {27, 6}, Stage::Middle, Term::NotYet, 0},
        ReadingCase{"28+0", DaysAgo(196, "28"), Within::Within, {28, 0}, Stage::Late, Term::NotYet, 0},
        ReadingCase{"36+6", DaysAgo(258, "28"), Within::Within, {36, 6}, Stage::Late, Term::NotYet, 0},
        ReadingCase{"37+0", DaysAgo(259, "28"), Within::Within, {37, 0}, Stage::Late, Term::Term, 0},
        ReadingCase{"41+6", DaysAgo(293, "28"), Within::Within, {41, 6}, Stage::Late, Term::Term, 0},
        ReadingCase{"42+0", DaysAgo(294, "28"), Within::Within, {42, 0}, Stage::Late, Term::PostTerm, 0},
        ReadingCase{"44+0", DaysAgo(308, "28"), Within::Within, {44, 0}, Stage::Late, Term::PostTerm, 0},
        ReadingCase{"44+1", DaysAgo(309, "28"), Within::BeyondLastDay, {}, Stage::None, Term::NotYet, 0},
        ReadingCase{"far past", DaysAgo(5000, "28"), Within::BeyondLastDay, {}, Stage::None, Term::NotYet, 0},
        ReadingCase{"cycle 21 reads a week later", DaysAgo(150, "21"), Within::Within, {22, 3}, Stage::Middle,
                    Term::NotYet, 7},
        ReadingCase{"cycle 35 reads a week earlier", DaysAgo(150, "35"), Within::Within, {20, 3},
                    Stage::Middle, Term::NotYet, -7},
        ReadingCase{"cycle 35 at 14+6 shown is 13+6", DaysAgo(104, "35"), Within::Within, {13, 6},
                    Stage::Early, Term::NotYet, -7},
        ReadingCase{"cycle 21 at 36+0 shown is 37+0", DaysAgo(252, "21"), Within::Within, {37, 0},
                    Stage::Late, Term::Term, 7},
        ReadingCase{"cycle 28.5 rounds as the due date does", DaysAgo(150, "28.5"), Within::Within, {21, 3},
                    Stage::Middle, Term::NotYet, 0},
        ReadingCase{"cycle 29.5 rounds as the due date does", DaysAgo(150, "29.5"), Within::Within, {21, 1},
                    Stage::Middle, Term::NotYet, -2},
        ReadingCase{"conception", Conception("2011", "05", "15", kOct1), Within::Within, {21, 6},
                    Stage::Middle, Term::NotYet, 0}));

TEST(ReadPregnancyDates, TheDueDatesWeekdayAndTheCheckupsCountFromTheSameDay) {
  // Last period 2011-04-27: due Wednesday 2012-02-01.
  auto r = ReadPregnancy(*CalculateDueDate(LastPeriod("2011", "04", "27", "28", kOct1)));
  EXPECT_EQ(r.due, (CalendarDate{2012, 2, 1}));
  EXPECT_EQ(r.dueWeekday, Weekday::Wednesday);
  EXPECT_EQ(r.remaining, (WeeksAndDays{17, 4}));
  ASSERT_EQ(r.checkups.size(), CheckupBands().size());
  EXPECT_EQ(r.checkups[0].first, (CalendarDate{2011, 6, 8}));  // 6+0
  EXPECT_EQ(r.checkups[1].first, (CalendarDate{2011, 7, 13}));  // NT from 11+0
  EXPECT_EQ(r.checkups[1].last, (CalendarDate{2011, 8, 2}));    // to 13+6
  EXPECT_EQ(r.checkups.back().last, (CalendarDate{2012, 2, 14}));  // 41+6
  // From 14+0 on, each visit begins the day after the one before ends.
  for (std::size_t i = 2; i < r.checkups.size(); ++i)
    EXPECT_EQ(r.checkups[i].first, *AddDays(r.checkups[i - 1].last, 1)) << i;

  // A 35-day cycle moves the due date and every checkup a week later.
  r = ReadPregnancy(*CalculateDueDate(LastPeriod("2011", "04", "27", "35", kOct1)));
  EXPECT_EQ(r.dueWeekday, Weekday::Wednesday);
  EXPECT_EQ(r.checkups.front().first, (CalendarDate{2011, 6, 15}));
  EXPECT_EQ(r.checkups.back().last, (CalendarDate{2012, 2, 21}));

  // Past the due date: the days since, no weeks left.
  r = ReadPregnancy(*CalculateDueDate(LastPeriod("2011", "4", "27", "28", {2012, 2, 11})));
  EXPECT_FALSE(r.remaining.has_value());
  EXPECT_EQ(r.daysOverdue, 10);

  // A due date in the first year: the checkups before it fall outside the
  // calendar and are left out, nothing else.
  r = ReadPregnancy(*CalculateDueDate(LastPeriod("1000", "1", "1", "-365070", kOct1)));
  EXPECT_EQ(r.due, (CalendarDate{1, 3, 1}));
  EXPECT_TRUE(r.checkups.empty());
  EXPECT_EQ(r.within, Within::BeyondLastDay);
}

TEST(ReadPregnancyDates, WeekdaysOfKnownDates) {
  const struct {
    CalendarDate date;
    Weekday weekday;
  } cases[] = {{{2012, 2, 5}, Weekday::Sunday},  {{2000, 1, 1}, Weekday::Saturday},
               {{1969, 12, 31}, Weekday::Wednesday}, {{2024, 2, 29}, Weekday::Thursday},
               {{9999, 12, 31}, Weekday::Friday}, {{1, 1, 1}, Weekday::Monday}};
  for (const auto& c : cases)
    EXPECT_EQ(WeekdayOf(c.date), c.weekday) << c.date.year << "-" << c.date.month << "-" << c.date.day;
}

}  // namespace
}  // namespace duedate
