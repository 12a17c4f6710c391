// The program's command line: --data-folder, --help and --version, read
// before any display is opened, so that the last two work without one.
#pragma once

#include <QString>
#include <QStringList>

namespace duedate {

struct CommandLine {
  // Open the window, or print `output` and `error` and end with `exitCode`.
  bool openWindow = true;
  // --data-folder: keep "time.txt" in the program's data folder.
  bool dataFolder = false;
  QString output;  // for standard output
  QString error;   // for standard error
  int exitCode = 0;
};

// The status of a command line the program does not understand.
inline constexpr int kUsageExitCode = 2;

// Reads `arguments`, the program's name first. --help prints the usage and
// --version the version, both with status 0; an unknown option or any other
// argument gets a short message and kUsageExitCode. The options every Qt
// program takes (-platform, -style, …) are let through for QApplication.
CommandLine ReadCommandLine(const QStringList& arguments);

}  // namespace duedate
