#include "window/qt/main_window.h"

#include <hb.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTranslator>
#include <QUrl>
#include <clocale>

namespace duedate {
namespace {

// The window is laid out at 96 dots per inch (15 twips to a pixel); Qt
// scales device-independent pixels for screens of higher density itself.
constexpr int kLayoutDpi = 96;

int Px(int twips) { return TwipsToPixels(twips, kLayoutDpi); }

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QFont WindowFont() {
  // Simplified Chinese faces first: a pan-CJK font such as Noto Sans CJK is
  // one face per region, and the face named SC draws the Chinese forms of
  // the Han characters. Asking for the bare family, or for none, lets
  // fontconfig pick by the desktop's language: Japanese forms under ja_JP,
  // and under C as well.
  QFont font;
  font.setFamilies(WindowFontFamilies());
  font.setPixelSize(12);
  return font;
}

QStringList WindowFontFamilies() {
  return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
          QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans SC")};
}

void ShapeTextAsChinese() {
  // HarfBuzz, which shapes Qt's text, takes the language of the C library's
  // locale the first time it is asked and keeps it; Qt never names one. A
  // Japanese locale would make even the Chinese face draw Japanese forms.
  // So HarfBuzz is asked first, under a Chinese locale where the system has
  // one, else under C, which asks for no region's forms at all.
  const bool chinese = std::setlocale(LC_CTYPE, "zh_CN.UTF-8") != nullptr;
  hb_language_get_default();
  if (chinese) std::setlocale(LC_CTYPE, "C");
}

bool UseChinese() {
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
  // Qt's own texts (the buttons of message boxes, the menu of a text box)
  // follow its translation, which Qt loads for nobody by itself.
  static QTranslator qtTexts;
  return qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
         QCoreApplication::installTranslator(&qtTexts);
}

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 32})
    icon.addFile(QStringLiteral(":/yuchanqi/icon-%1.png").arg(size), QSize(size, size));
  return icon;
}

std::vector<std::filesystem::path> InstructionFilesFor(const QString& programDir) {
  const std::filesystem::path dir(programDir.toStdU16String());
  const std::filesystem::path name(std::u8string(
      reinterpret_cast<const char8_t*>(kInstructionsFileName)));
  return {dir / name, dir.parent_path() / "share" / "yuchanqi" / name};
}

MainWindow::MainWindow(FormSettings settings, QWidget* parent)
    : QWidget(parent), form_(*this, std::move(settings)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setFont(WindowFont());
  setFixedSize(Px(kClientWidthTwips), Px(kClientHeightTwips));
  Build();
}

void MainWindow::Build() {
  std::vector<QWidget*> labels;
  for (const ControlSpec& spec : Form1Controls()) {
    const QString caption = QString::fromUtf8(spec.caption);
    QWidget* widget = nullptr;
    switch (spec.kind) {
      case ControlKind::TextBox: {
        auto* box = new QLineEdit(caption, this);
        box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        box->setMaxLength(std::numeric_limits<int>::max());
        box->setAccessibleName(QString::fromUtf8(spec.accessibleName));
        widget = box;
        break;
      }
      case ControlKind::OptionButton: {
        auto* option = new QRadioButton(caption, this);
        option->setChecked(spec.control == Control::Option1);
        options_.addButton(option);
        widget = option;
        break;
      }
      case ControlKind::CommandButton: {
        auto* button = new QPushButton(caption, this);
        button->setAutoDefault(false);  // Enter presses no button
        button->setDefault(false);
        const Control control = spec.control;
        connect(button, &QPushButton::clicked, this, [this, control] {
          form_.Press(control);
        });
        widget = button;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(caption, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        labels.push_back(label);
        widget = label;
        break;
      }
    }
    widget->setObjectName(QString::fromStdString(ControlName(spec)));
    widget->setGeometry(Px(spec.left), Px(spec.top), Px(spec.width), Px(spec.height));
    widgets_.emplace(spec.control, widget);  // Label1 keeps its first label
  }
  options_.setExclusive(true);
  // Tab stops at the selected option button only, as in any group of them.
  const auto keepTabStopOnSelection = [this] {
    for (QAbstractButton* option : options_.buttons()) {
      const auto policy = option->isChecked() ? Qt::StrongFocus
                                              : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus);
      option->setFocusPolicy(policy);
    }
  };
  connect(&options_, &QButtonGroup::buttonToggled, this, keepTabStopOnSelection);
  keepTabStopOnSelection();
  // Labels lie beneath the controls they touch; of the others, a later one
  // lies above an earlier one, so Text1 covers the end of Option1.
  for (QWidget* label : labels) label->lower();

  const auto order = TabOrder();
  for (std::size_t i = 0; i + 1 < order.size(); ++i)
    setTabOrder(widgets_.at(order[i]->control), widgets_.at(order[i + 1]->control));
  widgets_.at(order.front()->control)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::Load() { form_.Load(); }

QWidget* MainWindow::Widget(Control control) const { return widgets_.at(control); }

QLineEdit* MainWindow::Box(Control control) const {
  return static_cast<QLineEdit*>(widgets_.at(control));
}

QAbstractButton* MainWindow::Button(Control control) const {
  return static_cast<QAbstractButton*>(widgets_.at(control));
}

std::string MainWindow::Text(Control control) const { return Box(control)->text().toStdString(); }

void MainWindow::SetText(Control control, const std::string& text) {
  Box(control)->setText(FromUtf8(text));
  Box(control)->setCursorPosition(0);
}

void MainWindow::SetDescription(Control control, const std::string& text) {
  // The texts hold no markup, so the tooltip is plain text, line by line.
  const QString shown = FromUtf8(text);
  Box(control)->setToolTip(shown);
  Box(control)->setAccessibleDescription(shown);
}

bool MainWindow::IsSelected(Control option) const { return Button(option)->isChecked(); }

void MainWindow::Select(Control option) { Button(option)->setChecked(true); }

void MainWindow::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  QString shown = FromUtf8(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                  FromUtf8(title), shown, QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool MainWindow::Confirm(const std::string& title, const std::string& question) {
  QMessageBox box(QMessageBox::Warning, FromUtf8(title), FromUtf8(question), QMessageBox::NoButton,
                  this);
  box.setTextFormat(Qt::PlainText);
  QPushButton* replace = box.addButton(QString::fromUtf8(kReplaceAnswer), QMessageBox::DestructiveRole);
  QPushButton* keep = box.addButton(QString::fromUtf8(kKeepAnswer), QMessageBox::RejectRole);
  // Enter, Esc and the close box all keep the file.
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  return box.clickedButton() == replace;
}

OpenResult MainWindow::OpenInTextEditor(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return OpenResult::FileMissing;
  const QString path = QString::fromStdU16String(file.u16string());
  // The desktop's own handler for text files, started without a shell.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? OpenResult::Opened
                                                               : OpenResult::CannotStart;
}

void MainWindow::EndProgram() {
  // Closing the one window ends the program as soon as this press returns
  // to the event loop; nothing pressed after this point is acted on.
  close();
}

}  // namespace duedate
