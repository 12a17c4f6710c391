// The window as built from the controls table: places, sizes, captions that
// fit, stacking, font and accessible names.
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
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
    QVERIFY2(WindowFontFamilies().contains(info.family()), qPrintable(info.family()));
    QCOMPARE(info.pixelSize(), 12);
    QVERIFY(QFontMetrics(window_->font()).inFontUcs4(U'预'));
  }

  // Drawn with only Noto Sans CJK installed, a pan-CJK font of one face per
  // region: the same pixels whatever the desktop's language, and those of
  // the Chinese face; fontconfig alone would pick the Japanese face under
  // C and ja_JP.
  void theHanCharactersTakeTheirChineseFormsWhateverTheLanguage() {
    const QString noto = QStringLiteral("/usr/share/fonts/opentype/noto");
    if (!QFileInfo::exists(noto + QStringLiteral("/NotoSansCJK-Regular.ttc")))
      QSKIP("fonts-noto-cjk is not installed");
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("fonts.conf")),
                      QStringLiteral("<?xml version=\"1.0\"?>\n"
                                     "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                                     "<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                          .arg(noto, dir.filePath(QStringLiteral("cache")))
                          .toUtf8()));
    // The languages' locales, for the C library's part (text shaping asks
    // it): both, and the Japanese one alone, as on a system without Chinese.
    const QString locales = dir.filePath(QStringLiteral("locales"));
    for (const char* name : {"ja_JP/all", "zh_CN/all", "ja_JP/japanese"}) {
      const QString language = QString::fromLatin1(name).section(QLatin1Char('/'), 0, 0);
      const QString folder = locales + QLatin1Char('/') + QString::fromLatin1(name).section(QLatin1Char('/'), 1);
      QVERIFY(QDir().mkpath(folder));
      QCOMPARE(QProcess::execute(QStringLiteral("localedef"),
                                 {QStringLiteral("-i"), language, QStringLiteral("-f"), QStringLiteral("UTF-8"),
                                  folder + QLatin1Char('/') + language + QStringLiteral(".UTF-8")}),
               0);
    }
    const auto drawn = [&](const char* language, const char* font, const char* installed = "all") {
      const QString picture = dir.filePath(QStringLiteral("%1-%2-%3.png")
                                               .arg(QLatin1String(language), QLatin1String(font),
                                                    QLatin1String(installed)));
      QProcess child;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      for (const char* name : {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE", "FC_LANG"})
        environment.remove(QString::fromLatin1(name));
      environment.insert(QStringLiteral("LANG"), QString::fromLatin1(language));
      environment.insert(QStringLiteral("LOCPATH"), locales + QLatin1Char('/') + QLatin1String(installed));
      environment.insert(QStringLiteral("FONTCONFIG_FILE"), dir.filePath(QStringLiteral("fonts.conf")));
      environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
      child.setProcessEnvironment(environment);
      child.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--draw"), picture, QString::fromLatin1(font)});
      const bool done = child.waitForFinished(60000) && child.exitCode() == 0;
      return done ? QImage(picture) : QImage();
    };
    const QImage chinese = drawn("zh_CN.UTF-8", "ours");
    QVERIFY(!chinese.isNull());
    QCOMPARE(drawn("C", "ours"), chinese);
    QCOMPARE(drawn("ja_JP.UTF-8", "ours"), chinese);
    // Without a Chinese locale the shaping asks for no region: the face
    // named SC draws its own forms.
    QCOMPARE(drawn("C", "ours", "japanese"), chinese);
    QCOMPARE(drawn("ja_JP.UTF-8", "ours", "japanese"), chinese);
    // One family named alone, with no language asked of the shaping: the
    // Chinese desktop draws the same, the others differ, so the comparison
    // above sees the glyphs' forms.
    QCOMPARE(drawn("zh_CN.UTF-8", "plain"), chinese);
    QVERIFY(drawn("C", "plain") != chinese);
    QVERIFY(drawn("ja_JP.UTF-8", "plain") != chinese);
  }

  // What Qt draws of its own: the buttons of a message box and the menu of
  // a text box.
  void qtsOwnTextsAreChinese() {
    QVERIFY(UseChinese());
    QMessageBox box(QMessageBox::Information, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    auto* text1 = static_cast<QLineEdit*>(window_->Widget(Control::Text1));
    const std::unique_ptr<QMenu> menu(text1->createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
      if (!action->isSeparator()) texts << action->text().section(QLatin1Char('\t'), 0, 0);
    QCOMPARE(texts, (QStringList{"撤消(&U)", "重做(&R)", "剪切(&T)", "复制(&C)", "粘贴(&P)", "删除", "全选"}));
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
    QCOMPARE(window_->Widget(Control::Text7)->accessibleName(), QStringLiteral("距预产期 天数"));
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

// Started as `--draw PICTURE ours|plain`: draws the window to PICTURE, as
// the program does, or in one family named alone and shaped in the
// desktop's language.
int main(int argc, char* argv[]) {
  const bool draw = argc == 4 && std::string_view(argv[1]) == "--draw";
  const bool plain = draw && std::string_view(argv[3]) == "plain";
  if (draw && !plain) ShapeTextAsChinese();
  QApplication app(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (draw) {
    UseChinese();
    QTemporaryDir dir;
    MainWindow window(SettingsIn(dir));
    if (plain) {
      QFont font(QStringLiteral("WenQuanYi Micro Hei"));
      font.setPixelSize(12);
      window.setFont(font);
    }
    return window.grab().save(arguments[2]) ? 0 : 1;
  }
  LayoutTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "layout_test.moc"
