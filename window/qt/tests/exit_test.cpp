// 退出 saves and ends; the close box ends without saving; a failed save
// keeps the window open, and so does a file of the user's own that the user
// would not have replaced.
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
    QByteArray saved;
    {
      MainWindow window(SettingsIn(dir));
      window.Load();
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      saved = CoreFileBytes(window);
      QTest::mouseClick(window.Widget(Control::Command1), Qt::LeftButton);
      QVERIFY(window.Ended());
      QVERIFY(!window.isVisible());
    }
    QCOMPARE(FileBytes(dir.filePath("time.txt")), saved);

    MainWindow next(SettingsIn(dir));
    next.Load();
    const auto read = ReadEntriesFile(PathOf(dir.filePath("time.txt")));
    QVERIFY(read.ok());
    QCOMPARE(TextOf(next, Control::Text2), QString::fromStdString(read->lastPeriodMonth));  // "4"
    QCOMPARE(TextOf(next, Control::Text13), QString::fromStdString(read->conceptionMonth));
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

  // A "time.txt" of the user's own: the window starts with its initial
  // entries, and 退出 asks before the file is replaced.
  void aFileOfTheUsersOwnIsReplacedOnlyWhenTheUserSaysSo_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("Enter") << "Enter" << false;
    QTest::newRow("Esc") << "Esc" << false;
    QTest::newRow("the close box") << "close" << false;
    QTest::newRow("替换文件") << "replace" << true;
  }
  void aFileOfTheUsersOwnIsReplacedOnlyWhenTheUserSaysSo() {
    QFETCH(QString, answer);
    QFETCH(bool, replaced);
    QTemporaryDir dir;
    const QByteArray notes("产检：11月12日 B超\r\n记得带医保卡\r\n");
    QVERIFY(WriteFile(dir.filePath("time.txt"), notes));
    MainWindow window(SettingsIn(dir));
    window.Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(TextOf(window, Control::Text2), QStringLiteral("04"));
    window.SetText(Control::Text1, "2026");
    const QByteArray typed = CoreFileBytes(window);

    QString buttons;
    const CaughtMessage asked = AnswerMessageBox(
        [&] { QTest::mouseClick(window.Widget(Control::Command1), Qt::LeftButton); },
        [&](QMessageBox* box) {
          for (QAbstractButton* button : box->buttons()) buttons += button->text() + QLatin1Char('|');
          if (answer == QLatin1String("Enter")) QTest::keyClick(box, Qt::Key_Return);
          if (answer == QLatin1String("Esc")) QTest::keyClick(box, Qt::Key_Escape);
          if (answer == QLatin1String("close")) box->close();
          if (answer == QLatin1String("replace")) {
            for (QAbstractButton* button : box->buttons())
              if (button->text() == QStringLiteral("替换文件")) button->click();
          }
        });
    QVERIFY(asked.seen);
    QCOMPARE(asked.icon, QMessageBox::Warning);
    QVERIFY2(asked.text.contains(QFileInfo(dir.filePath("time.txt")).absoluteFilePath()),
             qPrintable(asked.text));
    QVERIFY2(asked.text.contains(QStringLiteral("丢失")), qPrintable(asked.text));
    QVERIFY2(buttons.contains(QStringLiteral("替换文件")), qPrintable(buttons));
    QCOMPARE(window.Ended(), replaced);
    if (replaced) {
      QCOMPARE(FileBytes(dir.filePath("time.txt")), typed);
    } else {
      QCOMPARE(FileBytes(dir.filePath("time.txt")), notes);
      QVERIFY(window.isVisible());
      QCOMPARE(TextOf(window, Control::Text1), QStringLiteral("2026"));
    }
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
