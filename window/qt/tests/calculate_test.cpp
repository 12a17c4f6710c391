// 计算: the seven figures and what each box says of them, or a warning
// that names the wrong date.
#include <QRegularExpression>
#include <QtTest>
#include <string>

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

  // What a screen reader hears (the accessible description, which AT-SPI
  // carries) of a last period `daysAgo` days before today.
  void theBoxesSayTheWeeksAndStageAndTheDueDatesWeekday_data() {
    QTest::addColumn<QString>("cycle");
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<QString>("reading");  // how the weeks box begins
    QTest::addColumn<bool>("questioned");  // a box names the usual cycle
    QTest::newRow("cycle 28") << "28" << 150 << QStringLiteral("今天：孕21周+3天，孕中期\n本框") << false;
    QTest::newRow("cycle 35") << "35" << 150 << QStringLiteral("今天：孕20周+3天，孕中期\n本框") << false;
    QTest::newRow("cycle 5") << "5" << 150 << QStringLiteral("今天：孕24周+5天，孕中期\n本框") << true;
    QTest::newRow("300 days") << "28" << 300 << QStringLiteral("今天：孕42周+6天，孕晚期，过期妊娠。请尽快去医院，由医生")
                              << false;
  }
  void theBoxesSayTheWeeksAndStageAndTheDueDatesWeekday() {
    QFETCH(QString, cycle);
    QFETCH(int, daysAgo);
    QFETCH(QString, reading);
    QFETCH(bool, questioned);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    window.Load();
    const QString cycleSays = window.Widget(Control::Text4)->toolTip();  // from the start
    QVERIFY2(cycleSays.contains(QStringLiteral("从一次月经的第一天到下一次月经第一天的天数")), qPrintable(cycleSays));
    QCOMPARE(window.Widget(Control::Text4)->accessibleDescription(), cycleSays);

    const CalendarDate lastPeriod = *AddDays(kToday, -daysAgo);
    window.SetText(Control::Text1, std::to_string(lastPeriod.year));
    window.SetText(Control::Text2, std::to_string(lastPeriod.month));
    window.SetText(Control::Text3, std::to_string(lastPeriod.day));
    window.SetText(Control::Text4, cycle.toStdString());
    Click(window, Control::Command4);
    QCOMPARE(TextOf(window, Control::Text6), QString::number(daysAgo));
    QVERIFY(!Descriptions(window).contains(QStringLiteral("<differs>")));
    const auto heard = [&window](Control box) { return window.Widget(box)->accessibleDescription(); };
    const QString said = heard(Control::Text5);
    QVERIFY2(said.startsWith(reading), qPrintable(said));
    // The reading agrees with the due date: 280 days less the days left.
    const auto age = QRegularExpression(QStringLiteral("孕(\\d+)周\\+(\\d+)天")).match(said);
    QCOMPARE(age.captured(1).toInt() * 7 + age.captured(2).toInt(), 280 - TextOf(window, Control::Text7).toInt());

    // Each of the due date's boxes names it with its weekday; one of them
    // holds the checkup schedule, and says the doctor decides.
    const QRegularExpression weekday(QStringLiteral("^预产期：\\d{4}年\\d+月\\d+日，星期[一二三四五六日]，农历\\S+\\n"));
    QStringList schedules;
    for (Control box : {Control::Text8, Control::Text9, Control::Text10}) {
      QVERIFY2(heard(box).contains(weekday), qPrintable(heard(box)));
      if (heard(box).contains(QStringLiteral("第1次产检"))) schedules << heard(box);
    }
    QCOMPARE(schedules.size(), 1);
    QVERIFY2(schedules[0].contains(QStringLiteral("具体以医生安排为准")), qPrintable(schedules[0]));

    QString all;
    for (const ResultField& field : kResultFields) all += heard(field.box) + QLatin1Char('|');
    QCOMPARE(all.contains(QStringLiteral("21～35天")), questioned);
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
