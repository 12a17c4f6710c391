// The floor for start-up: a Qt Widgets program whose one fixed-size window
// shows one label of Chinese text in the program's font.
#include <QApplication>
#include <QFont>
#include <QLabel>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("预产期计算器"));
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(12);
  label.setFont(font);
  label.setWindowTitle(QStringLiteral("minimal"));
  label.setFixedSize(374, 240);
  label.show();
  return app.exec();
}
