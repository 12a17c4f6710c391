// Start-up: the saved entries replace the initial ones, quietly.
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
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
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("option2");
    QTest::newRow("example") << QByteArray("2011,4,27,28\r\n2011,5,15,0\r\n")
                             << QStringList{"2011", "4", "27", "28", "2011", "5", "15"} << false;
    QTest::newRow("conception") << QByteArray("2020,12,1,30.5\r\n2021,1,2,1\r\n")
                                << QStringList{"2020", "12", "1", "30.5", "2021", "1", "2"} << true;
  }
  void savedEntriesAndMethodComeBack() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, texts);
    QFETCH(bool, option2);
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("time.txt"), file));

    MainWindow window(SettingsIn(dir));
    window.Load();
    const Control fields[] = {Control::Text1,  Control::Text2,  Control::Text3, Control::Text4,
                              Control::Text14, Control::Text13, Control::Text12};
    for (int i = 0; i < 7; ++i) QCOMPARE(TextOf(window, fields[i]), texts[i]);
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
