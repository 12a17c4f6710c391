// The real program on a real X server: it starts, its window maps with the
// client size of the table, and a screenshot is kept for a person to look at.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "window/form_layout.h"

namespace {

// xwininfo's answer for `arguments`, or an empty text.
QString XWinInfo(const QStringList& arguments) {
  QProcess xwininfo;
  xwininfo.start(QStringLiteral("xwininfo"), arguments);
  if (!xwininfo.waitForFinished(5000)) return {};
  return QString::fromUtf8(xwininfo.readAllStandardOutput());
}

int Field(const QString& info, const QString& name) {
  const QRegularExpression re(QStringLiteral("%1:\\s+(-?\\d+)").arg(QRegularExpression::escape(name)));
  const auto match = re.match(info);
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

class XvfbTest : public QObject {
  Q_OBJECT

 private slots:
  void theProgramsWindowMapsAtItsSizeAndIsPhotographed() {
    QTemporaryDir workingDir;
    QProcess program;
    program.setWorkingDirectory(workingDir.path());
    program.start(QStringLiteral(PROGRAM_PATH), {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    const QString caption = QString::fromUtf8(duedate::kWindowCaption);
    QString windowId;
    for (int i = 0; i < 100 && windowId.isEmpty(); ++i) {
      const QString tree = XWinInfo({QStringLiteral("-root"), QStringLiteral("-tree")});
      for (const QString& line : tree.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1Char('"') + caption + QLatin1Char('"')) &&
            line.contains(QStringLiteral("374x240"))) {
          windowId = line.trimmed().section(QLatin1Char(' '), 0, 0);
        }
      }
      if (windowId.isEmpty()) QTest::qWait(100);
    }
    QVERIFY2(!windowId.isEmpty(), "no window of the program's caption and size appeared");

    QString info;
    for (int i = 0; i < 50; ++i) {
      info = XWinInfo({QStringLiteral("-id"), windowId});
      if (info.contains(QStringLiteral("IsViewable"))) break;
      QTest::qWait(100);
    }
    QVERIFY2(info.contains(QStringLiteral("Map State: IsViewable")), qPrintable(info));
    QCOMPARE(Field(info, QStringLiteral("Width")), 374);
    QCOMPARE(Field(info, QStringLiteral("Height")), 240);

    QTest::qWait(500);  // let it finish painting
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(windowId.toULongLong(nullptr, 16));
    QCOMPARE(shot.size(), QSize(374, 240));
    // Something is drawn: more than a handful of colours.
    const QImage image = shot.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 8);
    QDir().mkpath(QFileInfo(QStringLiteral(SCREENSHOT_PATH)).path());
    QVERIFY(shot.save(QStringLiteral(SCREENSHOT_PATH)));
    qInfo("screenshot: %s", SCREENSHOT_PATH);

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    // Ending without 退出 saved nothing: the empty file of a first start.
    QCOMPARE(QFileInfo(workingDir.filePath(QStringLiteral("time.txt"))).size(), 0);
  }
};

QTEST_MAIN(XvfbTest)
#include "xvfb_test.moc"
