// The window Form1 on Qt 6 Widgets: built from the controls table, wired to
// the shared actions.
#pragma once

#include <QButtonGroup>
#include <QIcon>
#include <QWidget>
#include <map>

#include "window/form1.h"

class QAbstractButton;
class QLineEdit;

namespace duedate {

class MainWindow : public QWidget, public FormView {
  Q_OBJECT

 public:
  explicit MainWindow(FormSettings settings, QWidget* parent = nullptr);

  // Applies the saved entries; call before the window is first shown.
  void Load();

  // The widget built for a control (for Label1, its first label).
  QWidget* Widget(Control control) const;
  bool Ended() const { return form_.Ended(); }

  // FormView
  std::string Text(Control control) const override;
  void SetText(Control control, const std::string& text) override;
  // The box's tooltip and its accessible description, which AT-SPI carries.
  void SetDescription(Control control, const std::string& text) override;
  bool IsSelected(Control option) const override;
  void Select(Control option) override;
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
  bool Confirm(const std::string& title, const std::string& question) override;
  OpenResult OpenInTextEditor(const std::filesystem::path& file) override;
  void EndProgram() override;

 private:
  void Build();
  QLineEdit* Box(Control control) const;
  QAbstractButton* Button(Control control) const;

  Form1 form_;
  std::map<Control, QWidget*> widgets_;
  QButtonGroup options_;
};

// The font the window is drawn in: one with Chinese glyphs, at the size of
// the classic 9-point system font.
QFont WindowFont();
// The faces it asks for, best first.
QStringList WindowFontFamilies();

// Makes text shaping ask for the Chinese forms of the Han characters. Call
// it first thing, before QApplication reads the desktop's locale.
void ShapeTextAsChinese();

// Makes Qt speak Chinese (Simplified) whatever the desktop's language: its
// locale, and the translation of its own texts. False where the translation
// is not installed; the program then goes on, with Qt's texts in English.
bool UseChinese();

// The program's icon, for its window and the desktop.
QIcon WindowIcon();

// Where the instructions file may be for a program in `programDir`: beside
// it, or in the data directory of an installed program.
std::vector<std::filesystem::path> InstructionFilesFor(const QString& programDir);

}  // namespace duedate
