#include "window/qt/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "window/qt/data_folder.h"

namespace duedate {
namespace {

// The options of every Qt program that QApplication reads itself; they take
// no part in the usage, which says only that they are accepted.
const char* const kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
const char* const kQtFlags[] = {"reverse", "widgetcount"};

QString Usage(const QCommandLineParser& parser) {
  // The parser lays out the options; the lines around them are ours, in the
  // program's language.
  QString options = parser.helpText();
  options = options.mid(options.indexOf(QStringLiteral("\n  ")) + 1);
  return QStringLiteral(
             "用法：yuchanqi [选项]\n"
             "%1 %2：根据末次月经第一天日期和月经周期，或者根据排卵受精日期，估算预产期，\n"
             "并显示孕期已经过去了多久、距离预产期还有多少天。\n"
             "\n"
             "选项：\n"
             "%3"
             "\n"
             "按“退出”时，输入保存在 “time.txt” 中，下次启动时读回：\n"
             "  不带 --data-folder 时，在当前文件夹；\n"
             "  带 --data-folder 时（从菜单启动就是这样），在 %4 中。\n"
             "也接受 Qt 程序通用的选项，例如 -platform wayland 或 -platform xcb。\n")
      .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion(), options,
           DataFolder());
}

// The name of an option as typed, without its dashes and any "=value".
QString BareName(const QString& argument) {
  QString bare = argument.section(QLatin1Char('='), 0, 0);
  while (bare.startsWith(QLatin1Char('-'))) bare.remove(0, 1);
  return bare;
}

// The argument `name` came from, as it was typed: "-x" or "--name=value".
QString AsTyped(const QStringList& arguments, const QString& name) {
  for (qsizetype i = 1; i < arguments.size(); ++i)
    if (BareName(arguments[i]) == name) return arguments[i];
  return QStringLiteral("--") + name;
}

bool TakesValue(const QString& name) {
  for (const char* option : kQtOptionsWithValue)
    if (name == QLatin1String(option)) return true;
  return false;
}

// A known option that takes no value, given one ("--data-folder=yes"), or
// one that takes a value, given none: what is wrong, in Chinese, or nothing.
// Found here rather than in the parser's error text, which is in English.
QString MisusedValue(const QStringList& arguments, const QStringList& flags) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--")) break;  // the rest are no options
    if (!argument.startsWith(QLatin1Char('-')) || argument.size() == 1) continue;
    const QString name = BareName(argument);
    const bool valueGiven = argument.contains(QLatin1Char('='));
    const QString typed = argument.section(QLatin1Char('='), 0, 0);
    if (TakesValue(name)) {
      if (valueGiven) continue;
      if (i + 1 == arguments.size()) return QStringLiteral("选项 “%1” 缺少值。").arg(typed);
      ++i;  // its value, whatever it looks like
    } else if (valueGiven && flags.contains(name)) {
      return QStringLiteral("选项 “%1” 不接受值。").arg(typed);
    }
  }
  return {};
}

QString Refusal(const QString& what) {
  return QStringLiteral("yuchanqi：%1\n用 “yuchanqi --help” 查看可以使用的选项。\n").arg(what);
}

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  // -platform xcb, as every Qt program takes it, rather than -p -l -a …
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption dataFolder(
      QStringLiteral("data-folder"),
      QStringLiteral("把输入保存在程序自己的数据文件夹中：$XDG_DATA_HOME/yuchanqi，默认为 "
                     "~/.local/share/yuchanqi；没有时以权限 0700 创建。"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("显示这个帮助，然后退出。"));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("显示版本，然后退出。"));
  parser.addOptions({dataFolder, help, version});
  for (const char* name : kQtOptionsWithValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : kQtFlags) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }

  CommandLine command;
  const auto refuse = [&command](const QString& what) {
    command.openWindow = false;
    command.error = Refusal(what);
    command.exitCode = kUsageExitCode;
    return command;
  };
  QStringList flags;
  for (const QCommandLineOption& option : {dataFolder, help, version}) flags << option.names();
  for (const char* name : kQtFlags) flags << QString::fromLatin1(name);
  if (const QString misuse = MisusedValue(arguments, flags); !misuse.isEmpty()) return refuse(misuse);
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
      return refuse(QStringLiteral("无法识别的选项 “%1”。").arg(AsTyped(arguments, unknown.first())));
    return refuse(QStringLiteral("命令行有误。"));
  }
  if (parser.isSet(help)) {
    command.openWindow = false;
    command.output = Usage(parser);
    return command;
  }
  if (parser.isSet(version)) {
    command.openWindow = false;
    command.output = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                   QCoreApplication::applicationVersion());
    return command;
  }
  if (!parser.positionalArguments().isEmpty())
    return refuse(QStringLiteral("不需要参数，却给了 “%1”。").arg(parser.positionalArguments().first()));
  command.dataFolder = parser.isSet(dataFolder);
  return command;
}

}  // namespace duedate
