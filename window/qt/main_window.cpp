#include "window/qt/main_window.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

namespace duedate {
namespace {

// The window is laid out at 96 dots per inch (15 twips to a pixel); Qt
// scales device-independent pixels for screens of higher density itself.
constexpr int kLayoutDpi = 96;

int Px(int twips) { return TwipsToPixels(twips, kLayoutDpi); }

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QFont WindowFont() {
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(12);
  return font;
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
          if (!ended_) PressSafely(control);
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

void MainWindow::PressSafely(Control button) {
  // Nothing a press meets may escape into Qt's event loop: the window stays,
  // with everything typed in it.
  try {
    form_.Press(button);
  } catch (const std::exception& error) {
    ShowMessage(MessageIcon::Warning, kMessageTitle,
                std::string("程序内部出错，这次操作没有完成。您输入的内容都还在。\n（") + error.what() +
                    "）");
  } catch (...) {
    ShowMessage(MessageIcon::Warning, kMessageTitle,
                "程序内部出错，这次操作没有完成。您输入的内容都还在。");
  }
}

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
  QPushButton* replace = box.addButton(QStringLiteral("替换文件"), QMessageBox::DestructiveRole);
  QPushButton* keep = box.addButton(QStringLiteral("保留文件，不退出"), QMessageBox::RejectRole);
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
#ifdef Q_OS_WIN
  // Notepad, with the path quoted as one argument.
  QProcess notepad;
  notepad.setProgram(QStringLiteral("notepad.exe"));
  notepad.setNativeArguments(QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"'));
  return notepad.startDetached() ? OpenResult::Opened : OpenResult::CannotStart;
#else
  // The desktop's own handler for text files, started without a shell.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? OpenResult::Opened
                                                               : OpenResult::CannotStart;
#endif
}

void MainWindow::EndProgram() {
  // Closing the one window ends the program as soon as this press returns
  // to the event loop; nothing pressed after this point is acted on.
  ended_ = true;
  close();
}

}  // namespace duedate
