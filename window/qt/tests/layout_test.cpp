// The window as built from the controls table: places, sizes, captions that
// fit, stacking, font and accessible names.
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QtTest>

#include "window/qt/tests/window_test_support.h"

using namespace duedate;
using namespace duedate::qt_testing;

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { window_ = std::make_unique<MainWindow>(SettingsIn(dir_)); }
  void cleanup() { window_.reset(); }

  void windowHasTheCaptionAndAFixedClientSize() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tavoren预产期计算器1.0"));
    QCOMPARE(window_->minimumSize(), QSize(374, 240));
    QCOMPARE(window_->maximumSize(), QSize(374, 240));
  }

  void theProgramsIconHasItsSizes() {
    const QIcon icon = WindowIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
    QCOMPARE(icon.pixmap(32, 32).toImage().pixelColor(16, 16).alpha(), 255);  // drawn, not blank
  }

  void everyControlStandsWhereTheTableSays() {
    int count = 0;
    for (const ControlSpec& spec : Form1Controls()) {
      const QString name = QString::fromStdString(ControlName(spec));
      auto* widget = window_->findChild<QWidget*>(name);
      QVERIFY2(widget, qPrintable(name));
      const QRect expected(TwipsToPixels(spec.left, 96), TwipsToPixels(spec.top, 96),
                           TwipsToPixels(spec.width, 96), TwipsToPixels(spec.height, 96));
      QCOMPARE(widget->geometry(), expected);
      ++count;
    }
    QCOMPARE(count, 38);
  }

  void initialTextsAndTheFirstOption() {
    QCOMPARE(TextOf(*window_, Control::Text1), QStringLiteral("2011"));
    QCOMPARE(TextOf(*window_, Control::Text2), QStringLiteral("04"));
    QCOMPARE(TextOf(*window_, Control::Text3), QStringLiteral("27"));
    QCOMPARE(TextOf(*window_, Control::Text4), QStringLiteral("28"));
    QCOMPARE(TextOf(*window_, Control::Text14), QStringLiteral("2011"));
    QCOMPARE(TextOf(*window_, Control::Text13), QStringLiteral("05"));
    QCOMPARE(TextOf(*window_, Control::Text12), QStringLiteral("15"));
    QCOMPARE(Results(*window_), QStringLiteral("      "));
    QVERIFY(window_->IsSelected(Control::Option1));
    QVERIFY(!window_->IsSelected(Control::Option2));
  }

  void theFontHasChineseGlyphs() {
    const QFontInfo info(window_->font());
    QVERIFY2(info.family().contains(QStringLiteral("WenQuanYi")), qPrintable(info.family()));
    QVERIFY(QFontMetrics(window_->font()).inFontUcs4(U'预'));
  }

  void noCaptionIsCutOff() {
    for (QLabel* label : window_->findChildren<QLabel*>()) {
      const QFontMetrics fm(label->font());
      QVERIFY2(fm.horizontalAdvance(label->text()) <= label->width(), qPrintable(label->objectName()));
      QVERIFY2(fm.height() <= label->height(), qPrintable(label->objectName()));
    }
    for (QRadioButton* option : window_->findChildren<QRadioButton*>()) {
      QVERIFY2(option->sizeHint().width() <= option->width(), qPrintable(option->objectName()));
      // Where Text1 covers Option1, the caption has ended already.
      const int visible = option->objectName() == QLatin1String("Option1")
                              ? window_->Widget(Control::Text1)->x() - option->x()
                              : option->width();
      QVERIFY2(option->sizeHint().width() <= visible, qPrintable(option->objectName()));
    }
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
      QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->objectName()));
      QVERIFY2(button->sizeHint().height() <= button->height(), qPrintable(button->objectName()));
    }
  }

  void text1LiesAboveOption1AndLabelsBeneathEverything() {
    QWidget* text1 = window_->Widget(Control::Text1);
    const QRect overlap = text1->geometry() & window_->Widget(Control::Option1)->geometry();
    QVERIFY(!overlap.isEmpty());
    QCOMPARE(window_->childAt(overlap.center()), text1);

    const QObjectList stack = window_->children();  // bottom first
    qsizetype lastLabel = -1, firstOther = stack.size();
    for (qsizetype i = 0; i < stack.size(); ++i) {
      if (!stack[i]->isWidgetType()) continue;
      if (qobject_cast<QLabel*>(stack[i])) lastLabel = i;
      else firstOther = std::min(firstOther, i);
    }
    QVERIFY(lastLabel < firstOther);
  }

  void everyTextBoxHasItsOwnAccessibleName() {
    QSet<QString> names;
    for (QLineEdit* box : window_->findChildren<QLineEdit*>()) {
      QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->objectName()));
      names.insert(box->accessibleName());
    }
    QCOMPARE(names.size(), 14);
    QCOMPARE(window_->Widget(Control::Text9)->accessibleName(), QStringLiteral("预产期 月"));
    QCOMPARE(window_->Widget(Control::Text7)->accessibleName(), QStringLiteral("距出生还有 天"));
  }

  void optionsAreOneExclusiveGroup() {
    window_->Select(Control::Option2);
    QVERIFY(!window_->IsSelected(Control::Option1));
    static_cast<QAbstractButton*>(window_->Widget(Control::Option1))->click();
    QVERIFY(window_->IsSelected(Control::Option1));
    QVERIFY(!window_->IsSelected(Control::Option2));
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
