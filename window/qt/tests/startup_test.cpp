// Start-up: the command line, the data folder a start from the menu keeps
// "time.txt" in, and the saved entries replacing the initial ones, quietly.
#include <sys/stat.h>

#include <QtTest>

#include "window/qt/command_line.h"
#include "window/qt/data_folder.h"
#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

namespace {

int ModeOf(const QString& path) {
  struct stat status {};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0) return -1;
  return static_cast<int>(status.st_mode & 07777);
}

// Sets an environment variable for one test; unset when `value` is null.
void SetVariable(const char* name, const QString& value) {
  if (value.isNull())
    qunsetenv(name);
  else
    qputenv(name, QFile::encodeName(value));
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

  QString workingDir_;
  QByteArray home_, dataHome_;

 private slots:
  void initTestCase() {
    QCoreApplication::setApplicationName(QStringLiteral("Tavoren预产期计算器"));
    QCoreApplication::setApplicationVersion(QStringLiteral(YUCHANQI_VERSION));
  }
  void init() {
    workingDir_ = QDir::currentPath();
    home_ = qgetenv("HOME");
    dataHome_ = qgetenv("XDG_DATA_HOME");
  }
  void cleanup() {
    QDir::setCurrent(workingDir_);
    qputenv("HOME", home_);
    SetVariable("XDG_DATA_HOME", dataHome_.isNull() ? QString() : QString::fromLocal8Bit(dataHome_));
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("openWindow");
    QTest::addColumn<bool>("dataFolder");
    QTest::addColumn<int>("exitCode");
    // Texts the one stream printed to must hold; the other stays empty.
    QTest::addColumn<QStringList>("printed");
    const QStringList help{"用法：yuchanqi [选项]", "--data-folder", "-h, --help", "-v, --version",
                           "“time.txt”", "当前文件夹", "/xdg/data/yuchanqi"};
    const QStringList none;
    QTest::newRow("nothing") << QStringList{} << true << false << 0 << none;
    QTest::newRow("data folder") << QStringList{"--data-folder"} << true << true << 0 << none;
    QTest::newRow("Qt's own options")
        << QStringList{"-platform", "xcb", "--data-folder", "-style=Fusion", "-reverse", "--qwindowtitle", "x"}
        << true << true << 0 << none;
    QTest::newRow("--help") << QStringList{"--help"} << false << false << 0 << help;
    QTest::newRow("-h") << QStringList{"-h"} << false << false << 0 << help;
    QTest::newRow("help before anything")
        << QStringList{"--data-folder", "--help"} << false << false << 0 << help;
    QTest::newRow("--version") << QStringList{"--version"} << false << false << 0
                               << QStringList{"Tavoren预产期计算器 " YUCHANQI_VERSION "\n"};
    QTest::newRow("-v") << QStringList{"-v"} << false << false << 0 << QStringList{YUCHANQI_VERSION};
    const QString hint = QStringLiteral("用 “yuchanqi --help” 查看可以使用的选项。\n");
    QTest::newRow("unknown option") << QStringList{"--datafolder"} << false << false << 2
                                    << QStringList{"yuchanqi：无法识别的选项 “--datafolder”。\n", hint};
    QTest::newRow("unknown short option") << QStringList{"-x"} << false << false << 2
                                          << QStringList{"“-x”", hint};
    QTest::newRow("an argument") << QStringList{"time.txt"} << false << false << 2
                                 << QStringList{"不需要参数", "“time.txt”", hint};
    QTest::newRow("a value missing") << QStringList{"-platform"} << false << false << 2
                                     << QStringList{"“-platform” 缺少值", hint};
    QTest::newRow("a value too many") << QStringList{"--data-folder=yes"} << false << false << 2
                                      << QStringList{"“--data-folder” 不接受值", hint};
    QTest::newRow("a value missing, long form") << QStringList{"--data-folder", "--style"} << false << false
                                                << 2 << QStringList{"“--style” 缺少值", hint};
    QTest::newRow("a value too many for Qt's flag") << QStringList{"-reverse=1"} << false << false << 2
                                                    << QStringList{"“-reverse” 不接受值", hint};
    QTest::newRow("a value that looks like an option")
        << QStringList{"-platform", "--data-folder"} << true << false << 0 << none;
    QTest::newRow("after --, no option") << QStringList{"--", "--data-folder=yes"} << false << false << 2
                                         << QStringList{"不需要参数", "“--data-folder=yes”", hint};
  }
  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, openWindow);
    QFETCH(bool, dataFolder);
    QFETCH(int, exitCode);
    QFETCH(QStringList, printed);
    qputenv("XDG_DATA_HOME", "/xdg/data");
    const CommandLine command = ReadCommandLine(QStringList{"/usr/bin/yuchanqi"} + arguments);
    QCOMPARE(command.openWindow, openWindow);
    QCOMPARE(command.dataFolder, dataFolder);
    QCOMPARE(command.exitCode, exitCode);
    const QString& stream = exitCode == 0 ? command.output : command.error;
    const QString& other = exitCode == 0 ? command.error : command.output;
    QCOMPARE(stream.isEmpty(), openWindow);
    QVERIFY2(other.isEmpty(), qPrintable(other));
    for (const QString& text : printed) QVERIFY2(stream.contains(text), qPrintable(stream));
  }

  void dataFolderFollowsXdgDataHome_data() {
    QTest::addColumn<QString>("dataHome");  // null: unset
    QTest::addColumn<QString>("folder");
    QTest::newRow("set") << "/srv/people/ann/data" << "/srv/people/ann/data/yuchanqi";
    QTest::newRow("trailing slash") << "/srv/data/" << "/srv/data/yuchanqi";
    QTest::newRow("unset") << QString() << "/home/ann/.local/share/yuchanqi";
    QTest::newRow("empty") << "" << "/home/ann/.local/share/yuchanqi";
    QTest::newRow("relative, ignored") << "data" << "/home/ann/.local/share/yuchanqi";
  }
  void dataFolderFollowsXdgDataHome() {
    QFETCH(QString, dataHome);
    QFETCH(QString, folder);
    qputenv("HOME", "/home/ann");
    SetVariable("XDG_DATA_HOME", dataHome);
    QCOMPARE(DataFolder(), folder);
  }

  void aMissingDataFolderIsCreatedPrivateAndEntered() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("home/.local/share/yuchanqi"));
    QCOMPARE(EnterDataFolder(folder), QString());
    QCOMPARE(QDir::currentPath(), QDir(folder).canonicalPath());
    // The folder and every parent it made: 0700.
    for (const char* made : {"home", "home/.local", "home/.local/share", "home/.local/share/yuchanqi"})
      QCOMPARE(ModeOf(dir.filePath(QString::fromLatin1(made))), 0700);
    // Its "time.txt" is the one a relative path reaches now.
    QVERIFY(WriteFile(QStringLiteral("time.txt"), "2011,4,27,28\r\n2011,5,15,0\r\n"));
    QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("time.txt"))));
  }

  void anExistingDataFolderKeepsItsMode() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("yuchanqi"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0750) == 0);
    const QByteArray entries = "2020,12,1,30.5\r\n2021,1,2,1\r\n";
    QVERIFY(WriteFile(QDir(folder).filePath(QStringLiteral("time.txt")), entries));
    QCOMPARE(EnterDataFolder(folder), QString());
    QCOMPARE(QDir::currentPath(), QDir(folder).canonicalPath());
    QCOMPARE(ModeOf(folder), 0750);
    QCOMPARE(FileBytes(QStringLiteral("time.txt")), entries);
  }

  void aDataFolderThatCannotBeMadeIsExplainedAndTheWorkingFolderStays_data() {
    QTest::addColumn<QString>("blocker");  // a file where a folder should be
    QTest::addColumn<QString>("folder");
    QTest::newRow("the folder itself") << "yuchanqi" << "yuchanqi";
    QTest::newRow("a parent") << "share" << "share/yuchanqi";
  }
  void aDataFolderThatCannotBeMadeIsExplainedAndTheWorkingFolderStays() {
    QFETCH(QString, blocker);
    QFETCH(QString, folder);
    QTemporaryDir dir, working;
    QVERIFY(WriteFile(dir.filePath(blocker), "mine"));
    QVERIFY(QDir::setCurrent(working.path()));
    const QString path = dir.filePath(folder);
    const QString said = EnterDataFolder(path);
    QVERIFY2(said.startsWith(QStringLiteral("无法使用保存输入的文件夹：\n") + path + QLatin1Char('\n')),
             qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("原因：路径上已有一个同名的文件，不是文件夹（")),
             qPrintable(said));
    QVERIFY2(said.contains(QDir(working.path()).filePath(QStringLiteral("time.txt"))), qPrintable(said));
    QCOMPARE(QDir::currentPath(), QDir(working.path()).canonicalPath());
    QCOMPARE(FileBytes(dir.filePath(blocker)), QByteArray("mine"));
  }

  void firstStartShowsTheInitialEntriesAndLeavesAnEmptyFile() {
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    const CaughtMessage said = AnswerMessageBox([&] { window.Load(); });
    QVERIFY(!said.seen);
    QCOMPARE(TextOf(window, Control::Text2), QStringLiteral("04"));
    QCOMPARE(TextOf(window, Control::Text13), QStringLiteral("05"));
    QCOMPARE(Results(window), QStringLiteral("      "));
    QVERIFY(window.IsSelected(Control::Option1));
    QCOMPARE(FileBytes(dir.filePath("time.txt")), QByteArray());
  }

  void savedEntriesAndMethodComeBack_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("option2");
    QTest::newRow("example") << QByteArray("2011,4,27,28\r\n2011,5,15,0\r\n") << false;
    QTest::newRow("conception") << QByteArray("2020,12,1,30.5\r\n2021,1,2,1\r\n") << true;
  }
  void savedEntriesAndMethodComeBack() {
    QFETCH(QByteArray, file);
    QFETCH(bool, option2);
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("time.txt"), file));
    const auto saved = ReadEntriesFile(PathOf(dir.filePath("time.txt")));
    QVERIFY(saved.ok());
    QCOMPARE(saved->method == CalcMethod::FromConception, option2);  // the case is what its name says

    MainWindow window(SettingsIn(dir));
    window.Load();
    QVERIFY(EntriesOf(window) == *saved);
    QCOMPARE(window.IsSelected(Control::Option2), option2);
    QCOMPARE(window.IsSelected(Control::Option1), !option2);
  }

  void aDamagedFileIsIgnoredWithoutAMessage() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("time.txt"), "\xFF\xFE garbage \x01\x02,,\r\n"));
    MainWindow window(SettingsIn(dir));
    const CaughtMessage said = AnswerMessageBox([&] { window.Load(); });
    QVERIFY(!said.seen);
    QCOMPARE(TextOf(window, Control::Text1), QStringLiteral("2011"));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
