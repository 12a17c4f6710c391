// Shared by the Qt window tests: a window in a temporary working directory
// whose clock says 2011-10-01, a way to answer its message boxes, and what
// the core makes of the entries a window holds.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "window/qt/main_window.h"

namespace duedate::qt_testing {

inline constexpr CalendarDate kToday{2011, 10, 1};

inline std::filesystem::path PathOf(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}

inline FormSettings SettingsIn(const QTemporaryDir& dir, CalendarDate today = kToday) {
  FormSettings settings;
  settings.entriesFile = PathOf(dir.filePath(QStringLiteral("time.txt")));
  settings.instructionFiles = InstructionFilesFor(dir.path() + QStringLiteral("/bin"));
  settings.today = [today] { return today; };
  return settings;
}

inline QString TextOf(const MainWindow& window, Control control) {
  return static_cast<QLineEdit*>(window.Widget(control))->text();
}

inline QString Results(const MainWindow& window) {
  QStringList all;
  for (const ResultField& field : kResultFields) all << TextOf(window, field.box);
  return all.join(QLatin1Char(' '));
}

// The seven entries and the method `window` holds, as the core keeps them.
inline SavedEntries EntriesOf(const MainWindow& window) {
  SavedEntries e;
  for (const EntryField& field : kEntryFields) e.*field.text = window.Text(field.box);
  e.method = window.IsSelected(Control::Option1) ? CalcMethod::FromLastPeriod
                                                 : CalcMethod::FromConception;
  return e;
}

// What the core calculates from the entries `window` holds.
inline Result<DueDateResult, DueDateFailure> CoreCalculation(const MainWindow& window,
                                                             CalendarDate today = kToday) {
  const SavedEntries e = EntriesOf(window);
  return CalculateDueDate({e.method, e.lastPeriodYear, e.lastPeriodMonth, e.lastPeriodDay,
                           e.cycleLength, e.conceptionYear, e.conceptionMonth, e.conceptionDay,
                           today});
}

// The result boxes as Results() gives them once 计算 has shown the core's
// figures for what `window` holds now; `otherwise` where the core refuses.
inline QString CoreResults(const MainWindow& window, const QString& otherwise = QString()) {
  const auto result = CoreCalculation(window);
  if (!result) return otherwise;
  QStringList all;
  for (const ResultField& field : kResultFields) all << QString::number((*result).*field.figure);
  return all.join(QLatin1Char(' '));
}

// The bytes 退出 saves for what `window` holds now.
inline QByteArray CoreFileBytes(const MainWindow& window) {
  return QByteArray::fromStdString(EntriesFileText(EntriesOf(window)));
}

inline void Click(const MainWindow& window, Control button) {
  static_cast<QAbstractButton*>(window.Widget(button))->click();
}

// Writes `bytes` to `path`, making its directory first.
inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
         file.write(bytes) == bytes.size();
}

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

struct CaughtMessage {
  bool seen = false;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool modal = false;
  QWidget* parent = nullptr;
};

// Runs `action`, answers the first message box it opens with `answer` (OK
// unless told otherwise), and tells what the box said.
template <class Action>
CaughtMessage AnswerMessageBox(Action action,
                               std::function<void(QMessageBox*)> answer = [](QMessageBox* box) {
                                 box->button(QMessageBox::Ok)->click();
                               }) {
  CaughtMessage caught;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || caught.seen) return;
    caught = {true, box->windowTitle(), box->text(), box->icon(), box->isModal(),
              box->parentWidget()};
    answer(box);
  });
  timer.start();
  action();
  timer.stop();
  return caught;
}

}  // namespace duedate::qt_testing
