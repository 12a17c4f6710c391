// The keyboard: the Tab order of the table with its wrap, the first focus,
// and Enter and Esc pressing nothing.
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    window_ = std::make_unique<MainWindow>(SettingsIn(dir_));
    window_->Load();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void theFirstControlOfTheOrderHasTheFocus() {
    QCOMPARE(QApplication::focusWidget(), window_->Widget(Control::Option1));
  }

  // Tab stops at the selected option button only, as in every group of
  // option buttons; every other control of the order takes its turn.
  void tabWalksTheKeyboardOrderAndWraps_data() {
    QTest::addColumn<int>("selected");
    QTest::newRow("Option1 selected") << int(Control::Option1);
    QTest::newRow("Option2 selected") << int(Control::Option2);
  }
  void tabWalksTheKeyboardOrderAndWraps() {
    QFETCH(int, selected);
    window_->Select(static_cast<Control>(selected));
    QStringList expected;
    for (const ControlSpec* spec : TabOrder()) {
      if (spec->kind == ControlKind::OptionButton && int(spec->control) != selected) continue;
      expected << QString::fromStdString(ControlName(*spec));
    }
    QWidget* start = window_->findChild<QWidget*>(expected.front());
    start->setFocus();

    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      walked << QApplication::focusWidget()->objectName();
    }
    expected << expected.takeFirst();  // the last Tab wraps back to the first
    QCOMPARE(walked, expected);
  }

  void shiftTabWalksBack() {
    window_->Widget(Control::Command2)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), window_->Widget(Control::Text7));
    window_->Widget(Control::Option1)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), window_->Widget(Control::Command1));
  }

  void enterAndEscapeInATextBoxPressNoButton_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("box");
    QTest::newRow("Enter in Text1") << int(Qt::Key_Return) << int(Control::Text1);
    QTest::newRow("keypad Enter in Text7") << int(Qt::Key_Enter) << int(Control::Text7);
    QTest::newRow("Esc in Text4") << int(Qt::Key_Escape) << int(Control::Text4);
  }
  void enterAndEscapeInATextBoxPressNoButton() {
    QFETCH(int, key);
    QFETCH(int, box);
    QWidget* focus = window_->Widget(static_cast<Control>(box));
    focus->setFocus();
    const CaughtMessage said =
        AnswerMessageBox([&] { QTest::keyClick(focus, static_cast<Qt::Key>(key)); });
    QVERIFY(!said.seen);
    QCOMPARE(Results(*window_), QStringLiteral("      "));
    QVERIFY(!window_->Ended());
    QVERIFY(window_->isVisible());
    QCOMPARE(FileBytes(dir_.filePath("time.txt")), QByteArray());
  }

  void spaceOnAFocusedButtonPressesIt() {
    const QString calculated = CoreResults(*window_);
    window_->Widget(Control::Command4)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(Results(*window_), calculated);
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
