// A window without a toolkit: the controls' texts and the selected option in
// memory, and a record of every message, question, editor start and
// program end.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "window/form1.h"

namespace duedate::testing_support {

class FakeView : public FormView {
 public:
  struct Message {
    MessageIcon icon;
    std::string title, text;
  };

  FakeView() {
    for (const ControlSpec& spec : Form1Controls())
      if (spec.kind == ControlKind::TextBox) texts[spec.control] = spec.caption;
  }

  std::string Text(Control c) const override { return texts.at(c); }
  void SetText(Control c, const std::string& text) override { texts.at(c) = text; }
  void SetDescription(Control c, const std::string& text) override { descriptions[c] = text; }
  bool IsSelected(Control option) const override { return option == selected; }
  void Select(Control option) override { selected = option; }
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    messages.push_back({icon, title, text});
  }
  bool Confirm(const std::string& title, const std::string& question) override {
    questions.push_back({MessageIcon::Warning, title, question});
    return confirms;
  }
  OpenResult OpenInTextEditor(const std::filesystem::path& file) override {
    opened.push_back(file);
    return openResult;
  }
  void EndProgram() override { ++ended; }

  std::map<Control, std::string> texts;
  std::map<Control, std::string> descriptions;  // none until one is set
  Control selected = Control::Option1;
  std::vector<Message> messages;
  std::vector<Message> questions;
  bool confirms = false;  // the answer to every question: no, as Enter and Esc give
  std::vector<std::filesystem::path> opened;
  OpenResult openResult = OpenResult::Opened;
  int ended = 0;
};

}  // namespace duedate::testing_support
