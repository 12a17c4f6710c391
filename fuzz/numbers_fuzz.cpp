// LeadingNumber and NumberText on any text: never a crash, never an
// infinity or NaN, the written form is plain decimal, and reading it back
// gives the number rounded to 15 significant digits.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/calendar.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "violated: %s\n", what);
    std::abort();
  }
}

bool PlainDecimal(const std::string& text) {
  std::size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') digits = true;
    else if (text[i] == '.' && !point && digits) point = true;
    else return false;
  }
  return digits && text.back() != '.';
}

double RoundedTo15Digits(double x) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", x);
  return std::strtod(buffer, nullptr);
}

void CheckNumber(double x) {
  const std::string text = duedate::NumberText(x);
  Require(PlainDecimal(text), "NumberText writes plain decimal");
  Require(text != "-0", "negative zero is written 0");
  const double back = duedate::LeadingNumber(text);
  const double rounded = RoundedTo15Digits(x);
  if (std::isfinite(rounded)) Require(back == rounded, "round trip to 15 significant digits");
  Require(duedate::NumberText(back) == text, "writing what was read gives the same text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double x = duedate::LeadingNumber(text);
  Require(std::isfinite(x), "LeadingNumber is finite");
  CheckNumber(x);
  if (size >= sizeof(double)) {  // the bytes as a double too
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    if (std::isfinite(raw)) CheckNumber(raw);
  }
  return 0;
}
