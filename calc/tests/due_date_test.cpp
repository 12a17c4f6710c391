#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "calc/due_date.h"

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

}  // namespace
}  // namespace duedate
