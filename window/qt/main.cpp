// 预产期计算器 on Linux (and any other platform Qt runs on).
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "window/qt/command_line.h"
#include "window/qt/data_folder.h"
#include "window/qt/main_window.h"

namespace {

void Print(const QString& text, std::FILE* stream) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication::setApplicationName(QStringLiteral("Tavoren预产期计算器"));
  QApplication::setApplicationVersion(QStringLiteral(YUCHANQI_VERSION));
  QApplication::setOrganizationName(QStringLiteral("Tavoren软件"));
  QApplication::setDesktopFileName(QStringLiteral("com.tavoren.Yuchanqi"));

  // The command line is read before QApplication opens the display, so that
  // --help, --version and a wrong option need none.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const duedate::CommandLine command = duedate::ReadCommandLine(arguments);
  if (!command.openWindow) {
    Print(command.output, stdout);
    Print(command.error, stderr);
    return command.exitCode;
  }

  duedate::ShapeTextAsChinese();
  QApplication app(argc, argv);
  duedate::UseChinese();
  if (command.dataFolder) {
    // Before the entries are read: "time.txt" is then the data folder's.
    const QString problem = duedate::EnterDataFolder(duedate::DataFolder());
    if (!problem.isEmpty())
      QMessageBox::warning(nullptr, QString::fromUtf8(duedate::kMessageTitle), problem);
  }

  duedate::FormSettings settings;
  settings.instructionFiles = duedate::InstructionFilesFor(QApplication::applicationDirPath());
  duedate::MainWindow window(std::move(settings));
  window.Load();
  window.show();
  // The icon is decoded once the window is up: nobody waits for it.
  QTimer::singleShot(0, &window, [&window] { window.setWindowIcon(duedate::WindowIcon()); });
  return app.exec();
}
