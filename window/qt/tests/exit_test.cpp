// 退出 saves and ends; the close box ends without saving; a failed save
// keeps the window open.
#include <QCloseEvent>
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

class ExitTest : public QObject {
  Q_OBJECT

 private slots:
  void exitWritesThe27ByteFileAndTheNextStartShowsItsNumbers() {
    QTemporaryDir dir;
    {
      MainWindow window(SettingsIn(dir));
      window.Load();
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QTest::mouseClick(window.Widget(Control::Command1), Qt::LeftButton);
      QVERIFY(window.Ended());
      QVERIFY(!window.isVisible());
    }
    QCOMPARE(FileBytes(dir.filePath("time.txt")), QByteArray("2011,4,27,28\r\n2011,5,15,0\r\n"));

    MainWindow next(SettingsIn(dir));
    next.Load();
    QCOMPARE(TextOf(next, Control::Text2), QStringLiteral("4"));
    QCOMPARE(TextOf(next, Control::Text13), QStringLiteral("5"));
  }

  void theCloseBoxSavesNothing() {
    QTemporaryDir dir;
    {
      MainWindow window(SettingsIn(dir));
      window.Load();
      window.show();
      window.Select(Control::Option2);
      window.SetText(Control::Text1, "1999");
      QVERIFY(window.close());
    }
    QCOMPARE(FileBytes(dir.filePath("time.txt")), QByteArray());
    MainWindow next(SettingsIn(dir));
    next.Load();
    QCOMPARE(TextOf(next, Control::Text1), QStringLiteral("2011"));
    QVERIFY(next.IsSelected(Control::Option1));
  }

  void theEntriesOfTheLastExitThroughTheButtonComeBack() {
    QTemporaryDir dir;
    {
      MainWindow window(SettingsIn(dir));
      window.SetText(Control::Text1, "2020");
      Click(window, Control::Command1);
    }
    {
      MainWindow window(SettingsIn(dir));
      window.Load();
      window.SetText(Control::Text1, "1999");
      window.close();  // not saved
    }
    MainWindow window(SettingsIn(dir));
    window.Load();
    QCOMPARE(TextOf(window, Control::Text1), QStringLiteral("2020"));
  }

  void aFailedSaveSaysWhyAndKeepsTheWindowOpen() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("time.txt"));  // a directory stands in the file's place
    MainWindow window(SettingsIn(dir));
    window.show();
    window.SetText(Control::Text1, "1999");
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command1); });
    QVERIFY2(said.seen, window.Ended() ? "ended" : "not ended");
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY2(said.text.contains(QStringLiteral("无法保存")), qPrintable(said.text));
    QVERIFY2(said.text.contains(dir.filePath("time.txt")), qPrintable(said.text));
    QVERIFY(!window.Ended());
    QVERIFY(window.isVisible());
    QCOMPARE(TextOf(window, Control::Text1), QStringLiteral("1999"));
    QVERIFY(QFileInfo(dir.filePath("time.txt")).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
  }
};

QTEST_MAIN(ExitTest)
#include "exit_test.moc"
