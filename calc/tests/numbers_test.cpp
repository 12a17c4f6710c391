#include <gtest/gtest.h>

#include <ostream>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "calc/calendar.h"

namespace duedate {
namespace {

struct LeadingCase {
  const char* text;
  double expected;
};
void PrintTo(const LeadingCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << "\"" << c.text << "\"";
}


class LeadingNumberTest : public testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumberTest, ReadsTheNumberTheTextBeginsWith) {
  const LeadingCase& c = GetParam();
  EXPECT_EQ(LeadingNumber(c.text), c.expected) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumberTest,
    testing::Values(
        LeadingCase{"04", 4}, LeadingCase{"2011年", 2011}, LeadingCase{"", 0},
        LeadingCase{"abc", 0}, LeadingCase{"2 8", 28}, LeadingCase{"-3", -3},
        LeadingCase{"- 3", -3}, LeadingCase{"28.5", 28.5}, LeadingCase{".5", 0.5},
        LeadingCase{"5.", 5}, LeadingCase{"+7", 7}, LeadingCase{"-", 0}, LeadingCase{"+", 0},
        LeadingCase{".", 0}, LeadingCase{"-.", 0}, LeadingCase{"1e3", 1},
        LeadingCase{"&H10", 0}, LeadingCase{"0x10", 0}, LeadingCase{"1.2.3", 1.2},
        LeadingCase{"--3", 0}, LeadingCase{"3-4", 3}, LeadingCase{" \t\n\r 12 \t", 12},
        LeadingCase{"1,5", 1}, LeadingCase{"000000000000000000000000007", 7},
        // Full-width forms from a Chinese input method, and the ideographic space.
        LeadingCase{"２０１１", 2011}, LeadingCase{"\xE3\x80\x80" "28", 28},
        LeadingCase{"－３", -3}, LeadingCase{"＋５", 5}, LeadingCase{"２８．５", 28.5},
        LeadingCase{"2０1１", 2011}, LeadingCase{"二〇一一", 0},
        // Broken UTF-8 ends the number like any other character.
        LeadingCase{"12\xFF" "3", 12}, LeadingCase{"\xEF\xBC", 0}, LeadingCase{"7\xE3\x80", 7}));

TEST(LeadingNumberLimits, HugeDigitStringsStayFinite) {
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(LeadingNumber(std::string(400, '9')), largest);
  EXPECT_EQ(LeadingNumber("-" + std::string(400, '9')), -largest);
  EXPECT_EQ(LeadingNumber("1" + std::string(308, '0')), 1e308);
  EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(LeadingNumber(std::string(10000, '0') + "5"), 5.0);
  EXPECT_EQ(LeadingNumber("1e15"), 1.0);
  EXPECT_EQ(LeadingNumber("1000000000000000"), 1e15);
}

TEST(LeadingNumberLimits, NeverInfiniteOrNanOnRandomText) {
  std::mt19937 random(20111001);
  const char alphabet[] = "0123456789+-. ,eE\t\r\nx\xEF\xBC\x90\x8E\xE3\x80";
  for (int i = 0; i < 20000; ++i) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
    const double x = LeadingNumber(text);
    ASSERT_TRUE(std::isfinite(x)) << text;
  }
}

struct TextCase {
  double number;
  const char* expected;
};
void PrintTo(const TextCase& c, std::ostream* out) {
  std::ostream& os = *out;
  os << c.expected;
}


class NumberTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(NumberTextTest, WritesTheNumberAsTheWindowShowsIt) {
  EXPECT_EQ(NumberText(GetParam().number), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberTextTest,
    testing::Values(TextCase{4, "4"}, TextCase{2011, "2011"}, TextCase{-14, "-14"},
                    TextCase{28.5, "28.5"}, TextCase{0, "0"}, TextCase{-0.0, "0"},
                    TextCase{0.5, "0.5"}, TextCase{-0.25, "-0.25"}, TextCase{0.1, "0.1"},
                    TextCase{1.0 / 3, "0.333333333333333"}, TextCase{2.0 / 3, "0.666666666666667"},
                    TextCase{123456789012345678.0, "123456789012346000"},
                    TextCase{1e15, "1000000000000000"}, TextCase{1e-5, "0.00001"},
                    TextCase{0.1 + 0.2, "0.3"}, TextCase{999999999999999.9, "1000000000000000"},
                    TextCase{std::numeric_limits<double>::infinity(), "0"},
                    TextCase{std::numeric_limits<double>::quiet_NaN(), "0"}));

TEST(NumberTextShape, NoExponentBlankOrPlusEvenAtTheExtremes) {
  for (double x : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::denorm_min(), 1e300, -1e-300}) {
    const std::string text = NumberText(x);
    EXPECT_EQ(text.find_first_not_of("-.0123456789"), std::string::npos) << text;
    EXPECT_NE(text.front(), '.') << text;
    EXPECT_NE(text.back(), '.') << text;
  }
  EXPECT_EQ(NumberText(std::numeric_limits<double>::max()).size(), 309u);
  EXPECT_EQ(NumberText(1e-300), "0." + std::string(299, '0') + "1");
}

// x as a double with fifteen significant digits, computed independently of
// NumberText through printf's rounding.
double RoundedTo15Digits(double x) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", x);
  return std::strtod(buffer, nullptr);
}

TEST(NumberTextRoundTrip, LeadingNumberGivesBackTheNumberTo15Digits) {
  std::mt19937_64 random(42);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    double x;
    const std::uint64_t bits = random();
    std::memcpy(&x, &bits, sizeof x);
    if (!std::isfinite(x)) continue;
    const double expected = RoundedTo15Digits(x);
    if (!std::isfinite(expected)) continue;  // rounds past the largest double
    ASSERT_EQ(LeadingNumber(NumberText(x)), expected) << NumberText(x);
    ++checked;
  }
  // Everyday numbers too: whole days, cycles with fractions.
  for (int i = -100000; i <= 100000; ++i) {
    const double x = i / 8.0;
    ASSERT_EQ(LeadingNumber(NumberText(x)), x);
    ++checked;
  }
  EXPECT_GT(checked, 300000);
}

}  // namespace
}  // namespace duedate
