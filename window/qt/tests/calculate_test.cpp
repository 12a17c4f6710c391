// 计算: the seven figures and what each box says of them, or a warning
// that names the wrong date.
#include <QRegularExpression>
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

namespace {

// Each result box's tooltip and accessible description, which must agree.
QString Descriptions(const MainWindow& window) {
  QStringList all;
  for (const ResultField& field : kResultFields) {
    const QWidget* box = window.Widget(field.box);
    all << box->toolTip();
    if (box->accessibleDescription() != box->toolTip()) all << QStringLiteral("<differs>");
  }
  return all.join(QLatin1Char('|'));
}

}  // namespace

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

  void aFailedCalculationLeavesTheDescriptions() {
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    QCOMPARE(Descriptions(window), QStringLiteral("||||||"));  // none before the first result
    window.SetText(Control::Text3, "32");
    AnswerMessageBox([&] { Click(window, Control::Command4); });
    QCOMPARE(Descriptions(window), QStringLiteral("||||||"));

    window.SetText(Control::Text3, "27");
    Click(window, Control::Command4);
    const QString before = Descriptions(window);
    QVERIFY(before.contains(QStringLiteral("孕22周+3天")));
    window.SetText(Control::Text4, QString(400, '9').toStdString());
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command4); });
    QVERIFY(said.seen);
    QCOMPARE(Descriptions(window), before);
  }

  void theBoxesSayTheWeeksAndStageAndTheDueDatesWeekday_data() {
    QTest::addColumn<QString>("cycle");
    QTest::addColumn<QString>("age");
    QTest::addColumn<bool>("adjusted");
    QTest::newRow("cycle 28") << "28" << QStringLiteral("孕21周+3天") << false;
    QTest::newRow("cycle 35") << "35" << QStringLiteral("孕20周+3天") << true;
  }
  void theBoxesSayTheWeeksAndStageAndTheDueDatesWeekday() {
    QFETCH(QString, cycle);
    QFETCH(QString, age);
    QFETCH(bool, adjusted);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    // The cycle box says what a cycle is from the start.
    const QString cycleSays = window.Widget(Control::Text4)->toolTip();
    QVERIFY2(cycleSays.contains(QStringLiteral("下一次月经第一天")), qPrintable(cycleSays));
    QVERIFY(cycleSays.contains(QStringLiteral("不是月经（出血）持续的天数")));
    QCOMPARE(window.Widget(Control::Text4)->accessibleDescription(), cycleSays);

    // The last period 150 days before today.
    window.SetText(Control::Text1, "2011");
    window.SetText(Control::Text2, "5");
    window.SetText(Control::Text3, "4");
    window.SetText(Control::Text4, cycle.toStdString());
    Click(window, Control::Command4);
    QCOMPARE(TextOf(window, Control::Text6), QStringLiteral("150"));

    const QWidget* weeks = window.Widget(Control::Text5);
    const QString said = weeks->toolTip();
    QVERIFY2(said.startsWith(QStringLiteral("今天：") + age + QStringLiteral("，孕中期\n")), qPrintable(said));
    QCOMPARE(weeks->accessibleDescription(), said);
    QCOMPARE(said.contains(QStringLiteral("不是28天")), adjusted);
    // The reading agrees with the due date: 280 days less the days left.
    const auto match = QRegularExpression(QStringLiteral("孕(\\d+)周\\+(\\d+)天")).match(said);
    QVERIFY(match.hasMatch());
    QCOMPARE(match.captured(1).toInt() * 7 + match.captured(2).toInt(),
             280 - TextOf(window, Control::Text7).toInt());

    for (Control box : {Control::Text8, Control::Text9, Control::Text10}) {
      const QString due = window.Widget(box)->toolTip();
      QVERIFY2(due.contains(QRegularExpression(QStringLiteral("^预产期：\\d{4}年\\d+月\\d+日，星期[一二三四五六日]\\n"))),
               qPrintable(due));
      QVERIFY(due.contains(QStringLiteral("NT检查")));
      QCOMPARE(window.Widget(box)->accessibleDescription(), due);
    }
    QVERIFY(window.Widget(Control::Text7)->toolTip().startsWith(QStringLiteral("距预产期还有")));
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
