// 关于 and 说明: the About notice, and the instructions file in an editor.
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

namespace {

// The window with the editor start recorded instead of performed.
class RecordingWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;
  OpenResult OpenInTextEditor(const std::filesystem::path& file) override {
    opened.push_back(file);
    return answer;
  }
  std::vector<std::filesystem::path> opened;
  OpenResult answer = OpenResult::Opened;
};

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT

 private slots:
  void aboutShowsTheNoticeModallyAndChangesNothing() {
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    window.show();
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command2); });
    QVERIFY(said.seen);
    QCOMPARE(said.title, QStringLiteral("关于预产期计算器"));
    QCOMPARE(said.icon, QMessageBox::Information);
    QVERIFY(said.modal);
    QCOMPARE(said.parent, &window);
    const QStringList lines = said.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("预产期计算器，Tavoren软件，TAB键在文本框之间切换。"));
    QCOMPARE(lines[1], QStringLiteral("             ------Tavoren软件QQ20110427。"));
    QCOMPARE(TextOf(window, Control::Text2), QStringLiteral("04"));
    QCOMPARE(Results(window), QStringLiteral("      "));
    QVERIFY(!window.Ended());
  }

  void instructionsOpenTheFileBesideTheProgram() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bin/详细说明.txt"));
    QVERIFY(WriteFile(file, {}));
    RecordingWindow window(SettingsIn(dir));
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command3); });
    QVERIFY(!said.seen);
    QCOMPARE(window.opened.size(), size_t(1));
    QCOMPARE(QString::fromStdU16String(window.opened[0].u16string()), file);
  }

  void instructionsOfAnInstalledProgramAreInItsDataDirectory() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("share/yuchanqi/详细说明.txt"));
    QVERIFY(WriteFile(file, {}));
    RecordingWindow window(SettingsIn(dir));
    Click(window, Control::Command3);
    QCOMPARE(window.opened.size(), size_t(1));
    QCOMPARE(QString::fromStdU16String(window.opened[0].u16string()), file);
  }

  void aMissingFileIsReportedWithItsPath() {
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));  // the real editor start
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command3); });
    QVERIFY(said.seen);
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY2(said.text.contains(QStringLiteral("找不到说明文件")), qPrintable(said.text));
    QVERIFY2(said.text.contains(dir.filePath(QStringLiteral("bin/详细说明.txt"))),
             qPrintable(said.text));
  }

  void anEditorThatCannotStartIsReported() {
    QTemporaryDir dir;
    RecordingWindow window(SettingsIn(dir));
    window.answer = OpenResult::CannotStart;
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command3); });
    QVERIFY(said.seen);
    QVERIFY2(said.text.contains(QStringLiteral("无法打开说明文件")), qPrintable(said.text));
  }

  void theProgramFindsItsInstructionsBesideItInTheBuild() {
    const auto files = InstructionFilesFor(QStringLiteral(PROGRAM_DIR));
    QVERIFY(std::filesystem::is_regular_file(files.front()));
    QFile file(QString::fromStdU16String(files.front().u16string()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith("\xEF\xBB\xBF"));  // UTF-8 with byte-order mark, for every Notepad
    QVERIFY(QString::fromUtf8(text).contains(QStringLiteral("266")));
  }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
