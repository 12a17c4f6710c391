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
    Click(window, Control::Command4);
    const QString before = Descriptions(window);
    QVERIFY(before.contains(QStringLiteral("孕22周+3天")));
    window.SetText(Control::Text3, "32");
    QVERIFY(AnswerMessageBox([&] { Click(window, Control::Command4); }).seen);
    QCOMPARE(Descriptions(window), before);
  }

  void theBoxesSayTheWeeksAndStageAndTheDueDatesWeekday_data() {
    QTest::addColumn<QString>("cycle");
    QTest::addColumn<QString>("reading");
    QTest::newRow("cycle 28") << "28" << QStringLiteral("今天：孕21周+3天，孕中期\n本格");
    QTest::newRow("cycle 35") << "35" << QStringLiteral("今天：孕20周+3天，孕中期\n您的月经周期是35天，不是28天。");
  }
  void theBoxesSayTheWeeksAndStageAndTheDueDatesWeekday() {
    QFETCH(QString, cycle);
    QFETCH(QString, reading);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    const QString cycleSays = window.Widget(Control::Text4)->toolTip();  // from the start
    QVERIFY2(cycleSays.contains(QStringLiteral("从一次月经的第一天到下一次月经第一天的天数")), qPrintable(cycleSays));
    QCOMPARE(window.Widget(Control::Text4)->accessibleDescription(), cycleSays);

    // The last period 150 days before today.
    for (const auto& [box, text] : {std::pair{Control::Text1, "2011"}, {Control::Text2, "5"}, {Control::Text3, "4"}})
      window.SetText(box, text);
    window.SetText(Control::Text4, cycle.toStdString());
    Click(window, Control::Command4);
    QCOMPARE(TextOf(window, Control::Text6), QStringLiteral("150"));
    const QString said = window.Widget(Control::Text5)->toolTip();
    QVERIFY2(said.startsWith(reading), qPrintable(said));
    QVERIFY(!Descriptions(window).contains(QStringLiteral("<differs>")));
    // The reading agrees with the due date: 280 days less the days left.
    const auto age = QRegularExpression(QStringLiteral("孕(\\d+)周\\+(\\d+)天")).match(said);
    QCOMPARE(age.captured(1).toInt() * 7 + age.captured(2).toInt(), 280 - TextOf(window, Control::Text7).toInt());
    const QRegularExpression weekday(QStringLiteral("^预产期：\\d{4}年\\d+月\\d+日，星期[一二三四五六日]，农历\\S+\\n"));
    for (Control box : {Control::Text8, Control::Text9, Control::Text10})
      QVERIFY2(window.Widget(box)->toolTip().contains(weekday), qPrintable(window.Widget(box)->toolTip()));
  }

  // With a 28-day cycle the due date is 280 days after the last period.
  void theDueDatesDescriptionGivesTheChineseCalendarDate_data() {
    QTest::addColumn<QStringList>("lastPeriod");
    QTest::addColumn<QString>("due");
    QTest::newRow("leap month") << QStringList{"2027", "9", "25"}
                                << QStringLiteral("预产期：2028年7月1日，星期六，农历戊申年闰五月初九");
    QTest::newRow("before 春节") << QStringList{"2026", "4", "15"}
                                 << QStringLiteral("预产期：2027年1月20日，星期三，农历丙午年腊月十三");
    QTest::newRow("today") << QStringList{"2010", "12", "25"}
                           << QStringLiteral("预产期：2011年10月1日，星期六，农历辛卯年九月初五");
  }
  void theDueDatesDescriptionGivesTheChineseCalendarDate() {
    QFETCH(QStringList, lastPeriod);
    QFETCH(QString, due);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    window.SetText(Control::Text1, lastPeriod[0].toStdString());
    window.SetText(Control::Text2, lastPeriod[1].toStdString());
    window.SetText(Control::Text3, lastPeriod[2].toStdString());
    Click(window, Control::Command4);
    for (Control box : {Control::Text8, Control::Text9, Control::Text10}) {
      const QWidget* w = window.Widget(box);
      QCOMPARE(w->accessibleDescription().section(QLatin1Char('\n'), 0, 0), due);
      QCOMPARE(w->toolTip(), w->accessibleDescription());
    }
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
