#include "window/form_layout.h"

#include <algorithm>

namespace duedate {
namespace {

using K = ControlKind;
using C = Control;

// clang-format off
constexpr std::array<ControlSpec, 38> kControls{{
  // Row 1: the first day of the last menstrual period.
  {C::Option1,  -1, K::OptionButton,   120,  120, 2175, 375,  0, "末次月经第一天日期", nullptr},
  {C::Text1,    -1, K::TextBox,       2160,  120,  735, 375,  1, "2011", "末次月经第一天日期 年"},
  {C::Label1,    0, K::Label,         3000,  180,  255, 375, 20, "年", nullptr},
  {C::Text2,    -1, K::TextBox,       3240,  120,  735, 375,  2, "04", "末次月经第一天日期 月"},
  {C::Label1,    1, K::Label,         4080,  180,  255, 375, 25, "月", nullptr},
  {C::Text3,    -1, K::TextBox,       4320,  120,  735, 375,  3, "27", "末次月经第一天日期 日"},
  {C::Label1,    2, K::Label,         5160,  180,  255, 375, 26, "日", nullptr},
  // Row 2: the length of the cycle.
  {C::Label2,   -1, K::Label,          600,  720, 1575, 255, 21, "您的月经周期是：", nullptr},
  {C::Text4,    -1, K::TextBox,       2160,  600,  735, 375,  4, "28", "月经周期 天"},
  {C::Label1,    3, K::Label,         3000,  720,  255, 375, 27, "天", nullptr},
  // Row 3: the date of ovulation and fertilisation.
  {C::Option2,  -1, K::OptionButton,   120, 1080, 1935, 375,  5, "排卵受精日期：", nullptr},
  {C::Text14,   -1, K::TextBox,       2160, 1080,  735, 375,  6, "2011", "排卵受精日期 年"},
  {C::Label1,    4, K::Label,         3000, 1200,  255, 375, 28, "年", nullptr},
  {C::Text13,   -1, K::TextBox,       3240, 1080,  735, 375,  7, "05", "排卵受精日期 月"},
  {C::Label1,    5, K::Label,         4080, 1200,  255, 375, 29, "月", nullptr},
  {C::Text12,   -1, K::TextBox,       4320, 1080,  735, 375,  8, "15", "排卵受精日期 日"},
  {C::Label1,    6, K::Label,         5160, 1200,  255, 375, 30, "日", nullptr},
  // Row 4: the due date.
  {C::Label4,   -1, K::Label,          120, 1680, 1695, 375, 22, "您的预产期是：", nullptr},
  {C::Text8,    -1, K::TextBox,       2160, 1560,  735, 375,  9, "", "预产期 年"},
  {C::Label1,    7, K::Label,         3000, 1680,  255, 375, 31, "年", nullptr},
  {C::Text9,    -1, K::TextBox,       3240, 1560,  735, 375, 10, "", "预产期 月"},
  {C::Label1,    8, K::Label,         4080, 1680,  255, 375, 32, "月", nullptr},
  {C::Text10,   -1, K::TextBox,       4320, 1560,  735, 375, 11, "", "预产期 日"},
  {C::Label1,    9, K::Label,         5160, 1680,  255, 375, 33, "日", nullptr},
  // Row 5: months, weeks and days elapsed, three separate totals.
  {C::Label6,   -1, K::Label,          120, 2160, 2055, 375, 23, "您现在正处于孕期的第", nullptr},
  {C::Text11,   -1, K::TextBox,       2160, 2040,  735, 375, 12, "", "已怀孕 月数"},
  {C::Label1,   10, K::Label,         3000, 2160,  255, 375, 34, "月", nullptr},
  {C::Text5,    -1, K::TextBox,       3240, 2040,  735, 375, 13, "", "已怀孕 周数"},
  {C::Label1,   11, K::Label,         4080, 2160,  255, 375, 35, "周", nullptr},
  {C::Text6,    -1, K::TextBox,       4320, 2040,  735, 375, 14, "", "已怀孕 天数"},
  {C::Label1,   12, K::Label,         5160, 2160,  255, 375, 36, "天", nullptr},
  // Row 6: the days remaining.
  {C::Label3,   -1, K::Label,          120, 2640, 2055, 255, 24, "您的宝宝距出生还有：", nullptr},
  {C::Text7,    -1, K::TextBox,       2160, 2520,  735, 375, 15, "", "距预产期 天数"},
  {C::Label1,   13, K::Label,         3000, 2640,  255, 375, 37, "天", nullptr},
  // Row 7: the buttons.
  {C::Command2, -1, K::CommandButton,  120, 3000, 1215, 495, 16, "关于", nullptr},
  {C::Command3, -1, K::CommandButton, 1560, 3000, 1215, 495, 17, "说明", nullptr},
  {C::Command4, -1, K::CommandButton, 2880, 3000, 1215, 495, 18, "计算", nullptr},
  {C::Command1, -1, K::CommandButton, 4320, 3000, 1215, 495, 19, "退出", nullptr},
}};
// clang-format on

// The number in a control's name: 14 for Text14, 6 for Label6.
int NameNumber(Control c) {
  const int v = static_cast<int>(c);
  if (c <= C::Text14) return v - static_cast<int>(C::Text1) + 1;
  if (c <= C::Option2) return v - static_cast<int>(C::Option1) + 1;
  if (c <= C::Command4) return v - static_cast<int>(C::Command1) + 1;
  switch (c) {
    case C::Label2: return 2;
    case C::Label3: return 3;
    case C::Label4: return 4;
    case C::Label6: return 6;
    default: return 1;
  }
}

const char* NameStem(ControlKind kind) {
  switch (kind) {
    case K::TextBox: return "Text";
    case K::OptionButton: return "Option";
    case K::CommandButton: return "Command";
    case K::Label: break;
  }
  return "Label";
}

}  // namespace

std::span<const ControlSpec> Form1Controls() { return kControls; }

const ControlSpec& SpecOf(Control control) {
  return *std::find_if(kControls.begin(), kControls.end(),
                       [&](const ControlSpec& s) { return s.control == control; });
}

std::string ControlName(const ControlSpec& spec) {
  std::string name = NameStem(spec.kind) + std::to_string(NameNumber(spec.control));
  if (spec.index >= 0) name += "(" + std::to_string(spec.index) + ")";
  return name;
}

std::vector<const ControlSpec*> TabOrder() {
  std::vector<const ControlSpec*> order;
  for (const ControlSpec& spec : kControls)
    if (spec.kind != K::Label) order.push_back(&spec);
  std::sort(order.begin(), order.end(),
            [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
  return order;
}

int ControlId(const ControlSpec& spec) {
  const int number = NameNumber(spec.control);
  switch (spec.kind) {
    case K::TextBox: return 100 + number;
    case K::OptionButton: return 200 + number;
    case K::CommandButton: return 300 + number;
    case K::Label: break;
  }
  return spec.control == C::Label1 ? 400 + spec.index : 500 + number;
}

int TwipsToPixels(int twips, int dotsPerInch) {
  return (twips * dotsPerInch + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace duedate
