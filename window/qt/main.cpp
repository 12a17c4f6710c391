// 预产期计算器 on Linux (and any other platform Qt runs on).
#include <QApplication>
#include <QTimer>

#include "window/qt/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavoren预产期计算器"));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
  QApplication::setOrganizationName(QStringLiteral("Tavoren软件"));
  QApplication::setDesktopFileName(QStringLiteral("com.tavoren.Yuchanqi"));

  duedate::FormSettings settings;
  settings.instructionFiles = duedate::InstructionFilesFor(QApplication::applicationDirPath());
  duedate::MainWindow window(std::move(settings));
  window.Load();
  window.show();
  // The icon is decoded once the window is up: nobody waits for it.
  QTimer::singleShot(0, &window, [&window] { window.setWindowIcon(duedate::WindowIcon()); });
  return app.exec();
}
