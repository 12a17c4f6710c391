#include "calc/calendar.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <system_error>

namespace duedate {
namespace {

namespace chr = std::chrono;

// One character of a field text as the number reader sees it: skipped
// (blanks), an ASCII character standing for itself or for a full-width form,
// or the end of the number.
struct ReadChar {
  enum Kind { Skip, Char, Stop } kind;
  char ascii;         // for Char
  std::size_t width;  // bytes taken from the text
};

ReadChar NextChar(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
  };
  const unsigned c = byte(0);
  if (c == ' ' || c == '\t' || c == '\n' || c == '\r') return {ReadChar::Skip, 0, 1};
  if (c < 0x80) return {ReadChar::Char, static_cast<char>(c), 1};
  // U+3000 IDEOGRAPHIC SPACE is E3 80 80.
  if (c == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) return {ReadChar::Skip, 0, 3};
  // U+FF0B … U+FF19 (full-width + - . and 0 to 9) are EF BC 8B … EF BC 99.
  if (c == 0xEF && byte(1) == 0xBC) {
    const unsigned t = byte(2);
    if (t == 0x8B) return {ReadChar::Char, '+', 3};
    if (t == 0x8D) return {ReadChar::Char, '-', 3};
    if (t == 0x8E) return {ReadChar::Char, '.', 3};
    if (t >= 0x90 && t <= 0x99) return {ReadChar::Char, static_cast<char>('0' + (t - 0x90)), 3};
  }
  return {ReadChar::Stop, 0, 1};
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits that can still change the nearest double; any further fraction
// digits are dropped unread.
constexpr std::size_t kMaxFractionDigits = 800;
// More whole digits than this (leading zeros aside) exceed every double.
constexpr std::size_t kMaxWholeDigits = std::numeric_limits<double>::max_exponent10 + 1;

chr::sys_days ToDays(const CalendarDate& date) {
  return chr::sys_days{chr::year{date.year} / chr::month{static_cast<unsigned>(date.month)} /
                       chr::day{static_cast<unsigned>(date.day)}};
}

CalendarDate FromDays(chr::sys_days days) {
  const chr::year_month_day ymd{days};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

// A field part as the window would show it, and whether it is a whole number
// from `low` to `high`.
bool WholePart(std::string_view text, int low, int high, int& out) {
  const double shown = LeadingNumber(NumberText(LeadingNumber(text)));
  if (!(shown >= low && shown <= high) || shown != std::floor(shown)) return false;
  out = static_cast<int>(shown);
  return true;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  bool negative = false;
  bool signSeen = false;
  bool pointSeen = false;
  bool anyDigit = false;
  std::string whole;     // without leading zeros
  std::string fraction;  // as written

  for (std::size_t at = 0; at < text.size();) {
    const ReadChar r = NextChar(text, at);
    at += r.width;
    if (r.kind == ReadChar::Skip) continue;
    if (r.kind == ReadChar::Stop) break;
    const char c = r.ascii;
    if ((c == '+' || c == '-') && !signSeen && !anyDigit && !pointSeen) {
      signSeen = true;
      negative = c == '-';
    } else if (c == '.' && !pointSeen) {
      pointSeen = true;
    } else if (IsDigit(c)) {
      anyDigit = true;
      if (pointSeen) {
        if (fraction.size() < kMaxFractionDigits) fraction += c;
      } else if (!(whole.empty() && c == '0')) {
        whole += c;
        // Past every double: the rest of the text cannot bring it back.
        if (whole.size() > kMaxWholeDigits) break;
      }
    } else {
      break;
    }
  }
  if (!anyDigit) return 0.0;

  const double largest = std::numeric_limits<double>::max();
  if (whole.size() > kMaxWholeDigits) return negative ? -largest : largest;

  std::string digits = whole.empty() ? "0" : whole;
  if (!fraction.empty()) digits += "." + fraction;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) {
    // Too large for a double, or too small to tell from zero.
    value = whole.empty() ? 0.0 : largest;
  } else if (ec != std::errc{} || !std::isfinite(value)) {
    value = whole.empty() ? 0.0 : largest;
  }
  return negative ? -value : value;
}

std::string NumberText(double x) {
  if (!std::isfinite(x)) return "0";
  // d.dddddddddddddde±x: fifteen significant digits, rounded to nearest.
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
                                       std::chars_format::scientific, 14);
  if (ec != std::errc{}) return "0";
  const std::string_view sci(buffer.data(), static_cast<std::size_t>(end - buffer.data()));

  const bool negative = sci.front() == '-';
  const std::size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (IsDigit(c)) digits += c;
  int exponent = 0;
  const std::string_view expText = sci.substr(e + 1);
  std::from_chars(expText.data() + (expText.front() == '+' ? 1 : 0),
                  expText.data() + expText.size(), exponent);

  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (digits == "0") return "0";  // zero, negative zero included

  std::string text = negative ? "-" : "";
  if (exponent < 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text += digits;
  } else {
    const auto wholeDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= wholeDigits) {
      text += digits;
      text.append(wholeDigits - digits.size(), '0');
    } else {
      text += digits.substr(0, wholeDigits);
      text += '.';
      text += digits.substr(wholeDigits);
    }
  }
  return text;
}

Result<CalendarDate, DateFault> DateFromParts(std::string_view yearText,
                                              std::string_view monthText,
                                              std::string_view dayText) {
  CalendarDate date;
  if (!WholePart(yearText, kFirstEnteredYear, kLastEnteredYear, date.year) ||
      !WholePart(monthText, 1, 12, date.month) || !WholePart(dayText, 1, 31, date.day) ||
      !IsValidDate(date)) {
    return Fail(DateFault::InvalidDate);
  }
  return date;
}

Result<CalendarDate, DateFault> AddDays(const CalendarDate& date, double days) {
  if (!IsValidDate(date)) return Fail(DateFault::InvalidDate);
  // Beyond this no start date of the years 1 to 9999 stays within them.
  constexpr double kLongestMove = 4'000'000.0;
  if (!std::isfinite(days) || std::fabs(days) > kLongestMove) return Fail(DateFault::OutOfRange);

  // Nearest whole day, ties to even (exact: |days| is small here).
  double whole = std::floor(days);
  const double rest = days - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;

  const chr::sys_days moved = ToDays(date) + chr::days{static_cast<long>(whole)};
  const chr::year_month_day ymd{moved};
  if (ymd.year() < chr::year{kFirstYear} || ymd.year() > chr::year{kLastYear})
    return Fail(DateFault::OutOfRange);
  return FromDays(moved);
}

std::int32_t DaysBetween(const CalendarDate& a, const CalendarDate& b) {
  return static_cast<std::int32_t>((ToDays(b) - ToDays(a)).count());
}

std::int32_t WeeksBetween(const CalendarDate& a, const CalendarDate& b) {
  return DaysBetween(a, b) / 7;  // integer division truncates toward zero
}

std::int32_t MonthsBetween(const CalendarDate& a, const CalendarDate& b) {
  return (b.year * 12 + b.month) - (a.year * 12 + a.month);
}

bool IsValidDate(const CalendarDate& date) {
  if (date.year < kFirstYear || date.year > kLastYear || date.month < 1 || date.month > 12 ||
      date.day < 1 || date.day > 31) {
    return false;
  }
  return (chr::year{date.year} / chr::month{static_cast<unsigned>(date.month)} /
          chr::day{static_cast<unsigned>(date.day)})
      .ok();
}

CalendarDate Today() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);  // one thread: the static buffer is safe
  if (local == nullptr) return FromDays(chr::floor<chr::days>(chr::system_clock::now()));
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

}  // namespace duedate
