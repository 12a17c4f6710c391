// Bad input through the real window: every case either warns and leaves the
// result boxes as they were, or calculates exactly what the core computes
// for the same texts; none crashes.
#include <QClipboard>
#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

namespace {

// What the window must show after 计算 for the texts it holds now: the
// core's figures, or nothing new.
QString Expected(const MainWindow& window, const QString& before, bool* warns) {
  *warns = !CoreCalculation(window).ok();
  return CoreResults(window, before);
}

}  // namespace

class BadInputTest : public QObject {
  Q_OBJECT

 private:
  int tried_ = 0;

  // Puts `text` into `field` (typed or pasted), presses 计算 and checks the
  // outcome against the core.
  void Try(MainWindow& window, Control field, const QString& text, bool paste = false) {
    auto* box = static_cast<QLineEdit*>(window.Widget(field));
    if (paste) {
      QGuiApplication::clipboard()->setText(text);
      box->selectAll();
      box->paste();
      QCOMPARE(box->text(), text);
    } else {
      box->setText(text);
    }
    const QString before = Results(window);
    bool warns = false;
    const QString expected = Expected(window, before, &warns);
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command4); });
    QCOMPARE(said.seen, warns);
    if (warns) QCOMPARE(said.icon, QMessageBox::Warning);
    QCOMPARE(Results(window), expected);
    const bool resultBox = std::any_of(std::begin(kResultFields), std::end(kResultFields),
                                       [field](const ResultField& result) { return result.box == field; });
    if (!resultBox) QCOMPARE(box->text(), text);  // what was typed stays
    ++tried_;
  }

 private slots:
  void cleanupTestCase() { qInfo("bad inputs tried through the window: %d", tried_); }

  void badTexts_data() {
    QTest::addColumn<bool>("option2");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("warns");
    QTest::addColumn<QString>("month");  // put into the method's month field first
    const int year = int(Control::Text1), month = int(Control::Text2), day = int(Control::Text3),
              cycle = int(Control::Text4);
    const int cYear = int(Control::Text14), cMonth = int(Control::Text13), cDay = int(Control::Text12);
    QTest::newRow("month 13") << false << month << "13" << true << QString();
    QTest::newRow("2011-2-29") << false << day << "29" << true << QStringLiteral("2");
    QTest::newRow("day 0") << false << day << "0" << true << QString();
    QTest::newRow("year 99") << false << year << "99" << true << QString();
    QTest::newRow("year 12345") << true << cYear << "12345" << true << QString();
    QTest::newRow("negative month") << true << cMonth << "-5" << true << QString();
    QTest::newRow("fractional day") << true << cDay << "15.5" << true << QString();
    QTest::newRow("empty year") << false << year << "" << true << QString();
    QTest::newRow("empty day") << true << cDay << "" << true << QString();
    QTest::newRow("cycle 1e15") << false << cycle << "1e15" << false << QString();
    QTest::newRow("cycle 10^15") << false << cycle << "1000000000000000" << true << QString();
    QTest::newRow("cycle of 400 digits") << false << cycle << QString(400, QLatin1Char('9')) << true << QString();
    QTest::newRow("negative cycle") << false << cycle << "-300" << false << QString();
    QTest::newRow("fractional cycle") << false << cycle << "28.5" << false << QString();
    QTest::newRow("full-width digits") << false << year << QStringLiteral("２０１１") << false << QString();
    QTest::newRow("full-width conception") << true << cDay << QStringLiteral("１５日") << false << QString();
    QTest::newRow("control characters") << false << day << QStringLiteral("2\x01" "7\x7f") << false << QString();
    QTest::newRow("tab and blanks") << false << day << QStringLiteral(" 2\t7 ") << false << QString();
    QTest::newRow("ideographic space") << false << month << QStringLiteral("\u30004") << false << QString();
    QTest::newRow("emoji") << true << cMonth << QStringLiteral("\U0001F476") << true << QString();
    QTest::newRow("lone surrogate") << true << cMonth << QString(QChar(0xD800)) << true << QString();
  }
  void badTexts() {
    QFETCH(bool, option2);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, warns);
    QFETCH(QString, month);
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir, kToday));
    window.Load();
    Click(window, Control::Command4);  // earlier results to keep
    if (option2) window.Select(Control::Option2);
    if (!month.isNull())
      window.SetText(option2 ? Control::Text13 : Control::Text2, month.toStdString());
    bool expectedWarning = false;
    window.SetText(static_cast<Control>(field), text.toStdString());
    Expected(window, Results(window), &expectedWarning);
    QCOMPARE(expectedWarning, warns);  // the case is what its name says
    Try(window, static_cast<Control>(field), text);
  }

  void aLongPasteIntoEveryField() {
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir, kToday));
    window.Load();
    QString paste;
    for (int i = 0; i < 10000; ++i) paste += QChar(u"2011年４月abc,.-\n"[i % 14]);
    for (const ControlSpec& spec : Form1Controls()) {
      if (spec.kind != ControlKind::TextBox) continue;
      for (Control option : {Control::Option1, Control::Option2}) {
        window.Select(option);
        Try(window, spec.control, paste.left(10000 - int(spec.control)), /*paste=*/true);
        window.SetText(spec.control, spec.caption);
      }
    }
  }

  void aDamagedSavedFileStartsTheWindowAsNew_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("invalid UTF-8") << QByteArray("\xC3\x28\xFF\xFE,\xE2\x82,27,28\r\n2011,5,15,0\r\n");
    static const char controls[] = "\x01\x02\x03,\x1b[31m,\x7f,28\r\n\x00,5,15,1\r\n";
    QTest::newRow("control characters") << QByteArray(controls, sizeof controls - 1);
    QTest::newRow("binary") << QByteArray(4096, '\xA5');
    QTest::newRow("truncated") << QByteArray("2011,4,2");
  }
  void aDamagedSavedFileStartsTheWindowAsNew() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("time.txt"), bytes));
    MainWindow window(SettingsIn(dir, kToday));
    const CaughtMessage said = AnswerMessageBox([&] { window.Load(); });
    QVERIFY(!said.seen);
    // Whatever came back calculates or warns like typed text.
    Try(window, Control::Text1, TextOf(window, Control::Text1));
    window.Select(Control::Option2);
    Try(window, Control::Text14, TextOf(window, Control::Text14));
    QCOMPARE(FileBytes(dir.filePath("time.txt")), bytes);  // left as it was
  }

  // Whatever a press meets, Qt's event loop never sees an exception: the
  // user is told, and the window keeps what it holds.
  void anErrorInsideAPressIsShownNotThrown() {
    QTemporaryDir dir;
    FormSettings settings = SettingsIn(dir, kToday);
    settings.today = []() -> CalendarDate { throw std::runtime_error("the clock failed"); };
    MainWindow window(std::move(settings));
    window.show();
    window.SetText(Control::Text1, "2012");
    const CaughtMessage said = AnswerMessageBox([&] { Click(window, Control::Command4); });
    QVERIFY(said.seen);
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY2(said.text.contains(QStringLiteral("程序内部出错")), qPrintable(said.text));
    QVERIFY(window.isVisible());
    QCOMPARE(TextOf(window, Control::Text1), QStringLiteral("2012"));
  }
};

QTEST_MAIN(BadInputTest)
#include "bad_input_test.moc"
