// 计算: the seven figures, or a warning that names the wrong date.
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

class CalculateTest : public QObject {
  Q_OBJECT

 private slots:
  void pressingCalculateFillsTheResultBoxes_data() {
    QTest::addColumn<bool>("option2");
    QTest::newRow("last period") << false;
    QTest::newRow("conception") << true;
  }
  void pressingCalculateFillsTheResultBoxes() {
    QFETCH(bool, option2);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    if (option2) QTest::mouseClick(window.Widget(Control::Option2), Qt::LeftButton);
    QCOMPARE(window.IsSelected(Control::Option2), option2);
    const QString results = CoreResults(window);
    const CaughtMessage said = AnswerMessageBox([&] {
      QTest::mouseClick(window.Widget(Control::Command4), Qt::LeftButton);
    });
    QVERIFY(!said.seen);
    QCOMPARE(Results(window), results);
    QCOMPARE(TextOf(window, Control::Text2), QStringLiteral("04"));  // entries not rewritten
    QCOMPARE(FileBytes(dir.filePath("time.txt")), QByteArray());     // nothing saved
  }

  void anInvalidDateWarnsAndKeepsTheResults_data() {
    QTest::addColumn<bool>("option2");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    const QString lastPeriod = QStringLiteral("末次月经第一天日期");
    const QString conception = QStringLiteral("排卵受精日期");
    QTest::newRow("month 13") << false << int(Control::Text2) << "13" << lastPeriod;
    QTest::newRow("2011-2-29") << false << int(Control::Text3) << "29" << lastPeriod;
    QTest::newRow("year 99") << true << int(Control::Text14) << "99" << conception;
    QTest::newRow("empty day") << true << int(Control::Text12) << "" << conception;
    QTest::newRow("cycle of 400 digits") << false << int(Control::Text4) << QString(400, '9')
                                         << lastPeriod;
  }
  void anInvalidDateWarnsAndKeepsTheResults() {
    QFETCH(bool, option2);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, named);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    Click(window, Control::Command4);  // earlier results
    const QString before = Results(window);
    if (option2) window.Select(Control::Option2);
    window.SetText(static_cast<Control>(field), text.toStdString());
    if (field == int(Control::Text3)) window.SetText(Control::Text2, "2");

    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command4); });
    QVERIFY(said.seen);
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY(said.modal);
    QCOMPARE(said.parent, &window);
    QVERIFY2(said.text.contains(named), qPrintable(said.text));
    QCOMPARE(Results(window), before);
  }

  void fullWidthDigitsCalculate() {
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    const QString inAsciiDigits = CoreResults(window);  // "2011", "04"
    window.SetText(Control::Text1, "２０１１");
    window.SetText(Control::Text2, "０４");
    Click(window, Control::Command4);
    QCOMPARE(Results(window), inAsciiDigits);
  }
};

QTEST_MAIN(CalculateTest)
#include "calculate_test.moc"
