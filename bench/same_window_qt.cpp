// The floor for start-up of the program's window on Linux: the same window,
// with the same 38 controls at the same places, the same caption and size, in
// Chinese as the program is (Qt's Simplified Chinese translation loaded, the
// Simplified Chinese faces asked for first), in the plainest Qt code: no
// names for screen readers, no saved entries, no icon, no Tab order, no
// actions.
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTranslator>

#include "window/form_layout.h"

int main(int argc, char* argv[]) {
  using namespace duedate;
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  QWidget window;
  window.setWindowTitle(QString::fromUtf8(kWindowCaption));
  QFont font;
  font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans SC")});
  font.setPixelSize(12);
  window.setFont(font);
  const auto px = [](int twips) { return TwipsToPixels(twips, 96); };
  window.setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));
  for (const ControlSpec& spec : Form1Controls()) {
    const QString caption = QString::fromUtf8(spec.caption);
    QWidget* control = nullptr;
    switch (spec.kind) {
      case ControlKind::TextBox: control = new QLineEdit(caption, &window); break;
      case ControlKind::OptionButton: control = new QRadioButton(caption, &window); break;
      case ControlKind::CommandButton: control = new QPushButton(caption, &window); break;
      case ControlKind::Label:
        control = new QLabel(caption, &window);
        static_cast<QLabel*>(control)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        break;
    }
    control->setGeometry(px(spec.left), px(spec.top), px(spec.width), px(spec.height));
  }
  window.show();
  return app.exec();
}
