// The window Form1 as data: every control with its name, kind, place and
// size in twips, keyboard order and caption or initial text. Every front end
// builds its window from this one table.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

namespace duedate {

enum class ControlKind { TextBox, OptionButton, CommandButton, Label };

// The controls the window's actions address, and the labels. The numbers are
// the controls' own names and do not follow their places on the window.
enum class Control {
  Text1, Text2, Text3, Text4, Text5, Text6, Text7,
  Text8, Text9, Text10, Text11, Text12, Text13, Text14,
  Option1, Option2,
  Command1, Command2, Command3, Command4,
  Label1,  // the array of unit words, told apart by index
  Label2, Label3, Label4, Label6,
};

struct ControlSpec {
  Control control;
  int index;  // within the array Label1; -1 for every other control
  ControlKind kind;
  int left, top, width, height;  // twips, from the client area's top-left corner
  int tabIndex;
  const char* caption;  // caption, or a text box's initial text
  const char* accessibleName;  // what a text box holds, for screen readers
};

inline constexpr const char* kWindowCaption = "Tavoren预产期计算器1.0";
inline constexpr int kClientWidthTwips = 5610;
inline constexpr int kClientHeightTwips = 3600;
inline constexpr int kTwipsPerInch = 1440;

// The whole window, in the order of the table rows.
std::span<const ControlSpec> Form1Controls();

// The table row of a control (for Label1, the row of its first label).
const ControlSpec& SpecOf(Control control);

// "Text14", "Command1", "Label1(3)".
std::string ControlName(const ControlSpec& spec);

// The controls the Tab key stops at, in its order (labels take no focus).
std::vector<const ControlSpec*> TabOrder();

// The numeric identifier of a control in the Windows program: a base for the
// kind of name plus the name's number, plus the index for Label1:
//   TextN → 100 + N, OptionN → 200 + N, CommandN → 300 + N,
//   Label1(i) → 400 + i, LabelN (N = 2, 3, 4, 6) → 500 + N.
int ControlId(const ControlSpec& spec);

// Twips to pixels at `dotsPerInch`, rounded to nearest.
int TwipsToPixels(int twips, int dotsPerInch);

}  // namespace duedate
