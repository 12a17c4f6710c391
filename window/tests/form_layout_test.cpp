#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "window/form_layout.h"

namespace duedate {
namespace {

TEST(Form1Layout, HasEveryControlOnceWithItsNumberedName) {
  std::set<std::string> names;
  std::set<int> ids;
  for (const ControlSpec& spec : Form1Controls()) {
    EXPECT_TRUE(names.insert(ControlName(spec)).second) << ControlName(spec);
    EXPECT_TRUE(ids.insert(ControlId(spec)).second) << ControlName(spec);
  }
  EXPECT_EQ(names.size(), 38u);
  for (int i = 1; i <= 14; ++i) EXPECT_TRUE(names.count("Text" + std::to_string(i))) << i;
  for (int i = 0; i <= 13; ++i) EXPECT_TRUE(names.count("Label1(" + std::to_string(i) + ")")) << i;
  for (const char* n : {"Option1", "Option2", "Command1", "Command2", "Command3", "Command4",
                        "Label2", "Label3", "Label4", "Label6"})
    EXPECT_TRUE(names.count(n)) << n;
}

TEST(Form1Layout, TabOrderFollowsTheKeyboardOrder) {
  std::vector<std::string> order;
  for (const ControlSpec* spec : TabOrder()) order.push_back(ControlName(*spec));
  const std::vector<std::string> expected{
      "Option1", "Text1",  "Text2",  "Text3",    "Text4",    "Option2",  "Text14",
      "Text13",  "Text12", "Text8",  "Text9",    "Text10",   "Text11",   "Text5",
      "Text6",   "Text7",  "Command2", "Command3", "Command4", "Command1"};
  EXPECT_EQ(order, expected);
  // Labels complete the numbering only: 0 to 37 each once.
  std::set<int> tabIndexes;
  for (const ControlSpec& spec : Form1Controls()) tabIndexes.insert(spec.tabIndex);
  EXPECT_EQ(tabIndexes.size(), 38u);
  EXPECT_EQ(*tabIndexes.rbegin(), 37);
}

TEST(Form1Layout, ControlsHaveTheirKindsSizesAndStayInsideTheWindow) {
  for (const ControlSpec& spec : Form1Controls()) {
    const std::string name = ControlName(spec);
    EXPECT_LE(spec.left + spec.width, kClientWidthTwips) << name;
    EXPECT_LE(spec.top + spec.height, kClientHeightTwips) << name;
    switch (spec.kind) {
      case ControlKind::TextBox:
        EXPECT_EQ(spec.width, 735) << name;
        EXPECT_EQ(spec.height, 375) << name;
        ASSERT_NE(spec.accessibleName, nullptr) << name;
        break;
      case ControlKind::CommandButton:
        EXPECT_EQ(spec.width, 1215) << name;
        EXPECT_EQ(spec.height, 495) << name;
        break;
      case ControlKind::Label:
        if (spec.control == Control::Label1) {
          EXPECT_EQ(spec.width, 255) << name;
        }
        break;
      case ControlKind::OptionButton:
        break;
    }
  }
  // Accessible names tell the fourteen boxes apart.
  std::set<std::string> accessible;
  for (const ControlSpec& spec : Form1Controls())
    if (spec.accessibleName) accessible.insert(spec.accessibleName);
  EXPECT_EQ(accessible.size(), 14u);
}

TEST(Form1Layout, InitialTextsAndCaptions) {
  EXPECT_STREQ(SpecOf(Control::Text1).caption, "2011");
  EXPECT_STREQ(SpecOf(Control::Text2).caption, "04");
  EXPECT_STREQ(SpecOf(Control::Text13).caption, "05");
  EXPECT_STREQ(SpecOf(Control::Text8).caption, "");
  EXPECT_STREQ(SpecOf(Control::Command4).caption, "计算");
  EXPECT_STREQ(SpecOf(Control::Label6).caption, "您现在正处于孕期的第");
  EXPECT_STREQ(kWindowCaption, "Tavoren预产期计算器1.0");
}

struct IdCase {
  Control control;
  int index;
  int id;
};

TEST(Form1Layout, ControlIdsComeFromNameAndIndex) {
  for (const IdCase& c : {IdCase{Control::Text1, -1, 101}, IdCase{Control::Text14, -1, 114},
                          IdCase{Control::Option2, -1, 202}, IdCase{Control::Command4, -1, 304},
                          IdCase{Control::Label1, 13, 413}, IdCase{Control::Label6, -1, 506}}) {
    bool found = false;
    for (const ControlSpec& spec : Form1Controls()) {
      if (spec.control == c.control && spec.index == c.index) {
        EXPECT_EQ(ControlId(spec), c.id) << ControlName(spec);
        found = true;
      }
    }
    EXPECT_TRUE(found) << c.id;
  }
}

TEST(Form1Layout, TwipsBecomePixelsAtTheScreensResolution) {
  EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 96), 374);
  EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 96), 240);
  EXPECT_EQ(TwipsToPixels(375, 96), 25);
  EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 144), 561);
  EXPECT_EQ(TwipsToPixels(135, 96), 9);
}

}  // namespace
}  // namespace duedate
