// The real program on real display servers: on the X server the test command
// starts (Xvfb), its window maps with the client size of the table; natively
// on Wayland (a headless weston this test starts), the installed program
// opens its window there. Both times a screenshot shows the table's layout,
// and is kept for a person to look at.
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

int Px(int twips) { return duedate::TwipsToPixels(twips, 96); }

const QSize kClientSize(Px(duedate::kClientWidthTwips), Px(duedate::kClientHeightTwips));

bool IsWhite(QRgb pixel) { return qRed(pixel) > 250 && qGreen(pixel) > 250 && qBlue(pixel) > 250; }
// A text box's frame is darker than the window around it and its inside.
bool IsFrame(QRgb pixel) { return qGray(pixel) < 200; }

// Whether `image` shows the window's client area with its top-left corner at
// `origin`: each of the fourteen text boxes where the table puts it, to the
// pixel, its frame on its four sides and white inside.
bool ShowsLayoutAt(const QImage& image, QPoint origin) {
  for (const duedate::ControlSpec& spec : duedate::Form1Controls()) {
    if (spec.kind != duedate::ControlKind::TextBox) continue;
    const QRect box(origin + QPoint(Px(spec.left), Px(spec.top)),
                    QSize(Px(spec.width), Px(spec.height)));
    if (!image.rect().contains(box)) return false;
    const QPoint middle = box.center();
    for (const QPoint frame : {QPoint(box.left(), middle.y()), QPoint(box.right(), middle.y()),
                               QPoint(middle.x(), box.top()), QPoint(middle.x(), box.bottom())})
      if (!IsFrame(image.pixel(frame))) return false;
    for (const QPoint inside :
         {QPoint(box.right() - 3, middle.y()), QPoint(middle.x(), box.bottom() - 3)})
      if (!IsWhite(image.pixel(inside))) return false;
  }
  return true;
}

// Every place in `image` where the window's client area shows.
QList<QPoint> ClientAreasIn(const QImage& image) {
  QList<QPoint> found;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (ShowsLayoutAt(image, {x, y})) found << QPoint(x, y);
  return found;
}

// More than a handful of colours: something is drawn.
int Colours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  return static_cast<int>(colours.size());
}

// The windows in the X server's tree, each id with its line.
QMap<QString, QString> WindowTree() {
  QMap<QString, QString> windows;
  for (const QString& line : XWinInfo({QStringLiteral("-root"), QStringLiteral("-tree")}).split(QLatin1Char('\n'))) {
    const QString id = line.trimmed().section(QLatin1Char(' '), 0, 0);
    if (id.startsWith(QStringLiteral("0x"))) windows.insert(id, line);
  }
  return windows;
}

bool Viewable(const QString& id) {
  return XWinInfo({QStringLiteral("-id"), id}).contains(QStringLiteral("Map State: IsViewable"));
}

// A window that is not in `before`, shown and at least `least` pixels each
// way (larger than a tooltip unless told), whose line in the tree holds
// `text`; waited for a few seconds.
QString NewWindow(const QMap<QString, QString>& before, const QString& text = {}, int least = 60) {
  const QRegularExpression size(QStringLiteral("\\s(\\d+)x(\\d+)[+-]"));
  for (int i = 0; i < 50; ++i) {
    const QMap<QString, QString> now = WindowTree();
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
      const auto match = size.match(it.value());
      if (before.contains(it.key()) || !it.value().contains(text) || !match.hasMatch() ||
          match.captured(1).toInt() < least || match.captured(2).toInt() < least || !Viewable(it.key()))
        continue;
      return it.key();
    }
    QTest::qWait(100);
  }
  return {};
}

bool XDoTool(const QStringList& arguments) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), arguments);
  return xdotool.waitForFinished(5000) && xdotool.exitCode() == 0;
}

// Moves the pointer to the middle of `control` of the window, and clicks
// `button` of the mouse there unless none is given.
bool ClickOn(const QString& windowId, duedate::Control control, const char* button) {
  const duedate::ControlSpec& spec = duedate::SpecOf(control);
  QStringList arguments = {QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
                           windowId, QString::number(Px(spec.left + spec.width / 2)),
                           QString::number(Px(spec.top + spec.height / 2))};
  if (button != nullptr) arguments << QStringLiteral("click") << QString::fromLatin1(button);
  return XDoTool(arguments);
}

// Photographs the window `id` into the screenshots folder as `name`.
bool Photograph(const QString& id, const char* name) {
  const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(id.toULongLong(nullptr, 16));
  const QString path = QFileInfo(QStringLiteral(SCREENSHOT_PATH)).dir().filePath(QString::fromLatin1(name));
  if (shot.isNull() || Colours(shot.toImage()) <= 8 || !shot.save(path)) return false;
  qInfo("screenshot: %s", qPrintable(path));
  return true;
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  for (int waited = 0; !done(); waited += 100) {
    if (waited >= milliseconds) return false;
    QTest::qWait(100);
  }
  return true;
}

}  // namespace

class DisplayServerTest : public QObject {
  Q_OBJECT

 private slots:
  void theProgramsWindowMapsAtItsSizeAndIsPhotographed() {
    QTemporaryDir workingDir;
    QTemporaryDir dataHome;
    QProcess program;
    program.setWorkingDirectory(workingDir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    // A desktop in no language at all: what the program draws is Chinese still.
    for (const char* name : {"LANG", "LC_ALL"}) environment.insert(QString::fromLatin1(name), QStringLiteral("C"));
    program.setProcessEnvironment(environment);
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
    QCOMPARE(shot.size(), kClientSize);
    const QImage image = shot.toImage();
    QVERIFY(Colours(image) > 8);
    QVERIFY2(ShowsLayoutAt(image, {0, 0}), "the text boxes are not where the table puts them");
    QDir().mkpath(QFileInfo(QStringLiteral(SCREENSHOT_PATH)).path());
    QVERIFY(shot.save(QStringLiteral(SCREENSHOT_PATH)));
    qInfo("screenshot: %s", SCREENSHOT_PATH);

    // What Qt draws of its own, photographed for a person to look at: the
    // menu of a text box, and the About box with its button.
    QMap<QString, QString> before = WindowTree();
    QVERIFY(ClickOn(windowId, duedate::Control::Text1, "3"));
    const QString menu = NewWindow(before);
    QVERIFY2(!menu.isEmpty(), "no menu opened on the text box");
    QTest::qWait(300);
    QVERIFY(Photograph(menu, "yuchanqi-context-menu.png"));
    QVERIFY(XDoTool({QStringLiteral("key"), QStringLiteral("Escape")}));
    QVERIFY(WaitFor([&] { return !Viewable(menu); }, 5000));

    before = WindowTree();
    QVERIFY(ClickOn(windowId, duedate::Control::Command2, "1"));
    const QString about = NewWindow(before, QStringLiteral("关于预产期计算器"));
    QVERIFY2(!about.isEmpty(), "no About box opened");
    QTest::qWait(300);
    QVERIFY(Photograph(about, "yuchanqi-about.png"));
    QVERIFY(XDoTool({QStringLiteral("key"), QStringLiteral("Return")}));
    QVERIFY(WaitFor([&] { return !Viewable(about); }, 5000));

    // A last period 150 days ago and 计算: the pointer resting on the weeks
    // box shows the reading.
    const QDate lastPeriod = QDate::currentDate().addDays(-150);
    for (const auto& [box, part] : {std::pair{duedate::Control::Text1, lastPeriod.year()},
                                    {duedate::Control::Text2, lastPeriod.month()},
                                    {duedate::Control::Text3, lastPeriod.day()}}) {
      QVERIFY(ClickOn(windowId, box, "1"));
      QVERIFY(XDoTool({QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("type"), QString::number(part)}));
    }
    QVERIFY(ClickOn(windowId, duedate::Control::Command4, "1"));
    QTest::qWait(300);
    before = WindowTree();
    QVERIFY(ClickOn(windowId, duedate::Control::Text5, nullptr));
    const QString tooltip = NewWindow(before, {}, 20);
    QVERIFY2(!tooltip.isEmpty(), "no tooltip opened on the weeks box");
    QTest::qWait(300);
    QVERIFY(Photograph(tooltip, "yuchanqi-tooltip.png"));

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    // Started without --data-folder, it keeps to the working folder, and
    // ending without 退出 saved nothing: the empty file of a first start.
    QCOMPARE(QFileInfo(workingDir.filePath(QStringLiteral("time.txt"))).size(), 0);
    QVERIFY(QDir(dataHome.path()).isEmpty());
  }

  void theInstalledProgramRunsNativelyOnWayland() {
    QTemporaryDir scratch;
    const QString prefix = scratch.filePath(QStringLiteral("usr"));
    QProcess install;
    install.start(QStringLiteral(CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(BUILD_DIR),
                                                  QStringLiteral("--prefix"), prefix});
    QVERIFY(install.waitForFinished(60000));
    QCOMPARE(install.exitCode(), 0);

    // A compositor of our own, with no X server anywhere in reach: the
    // headless backend, drawing in memory, and no weston.ini of whoever runs
    // the tests; --debug lets the screenshooter in.
    const QString runtimeDir = scratch.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtimeDir));
    QVERIFY(QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
      environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    const QString socket = QStringLiteral("yuchanqi-test");
    QProcess weston;
    weston.setProcessEnvironment(environment);
    weston.setProcessChannelMode(QProcess::MergedChannels);
    weston.start(QStringLiteral("weston"),
                 {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
                  QStringLiteral("--no-config"), QStringLiteral("--debug"),
                  QStringLiteral("--socket=") + socket, QStringLiteral("--width=1024"),
                  QStringLiteral("--height=768"), QStringLiteral("--idle-time=0")});
    QVERIFY2(weston.waitForStarted(10000), qPrintable(weston.errorString()));
    const auto stopWeston = qScopeGuard([&weston] {
      weston.terminate();
      if (!weston.waitForFinished(10000)) weston.kill();
    });
    QVERIFY2(WaitFor([&] { return QFileInfo::exists(QDir(runtimeDir).filePath(socket)); }, 10000),
             weston.readAll().constData());

    // As a Wayland desktop starts it: Qt picks its platform by itself.
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    const QString shots = scratch.filePath(QStringLiteral("shots"));
    QVERIFY(QDir().mkpath(shots));
    const QProcessEnvironment screenshooterEnvironment = environment;
    const QString dataHome = scratch.filePath(QStringLiteral("data"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    const QString workingDir = scratch.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(workingDir));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(workingDir);
    program.start(prefix + QStringLiteral("/bin/yuchanqi"), {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    // Its protocol log says it titled a window of its own on the compositor.
    QByteArray protocol;
    const QRegularExpression titled(QStringLiteral("xdg_toplevel@\\d+\\.set_title\\(\"%1\"\\)")
                                        .arg(QString::fromUtf8(duedate::kWindowCaption)));
    const bool named = WaitFor(
        [&] {
          protocol += program.readAllStandardError();
          return titled.match(QString::fromUtf8(protocol)).hasMatch();
        },
        20000);
    QVERIFY2(named, protocol.right(2000).constData());

    // Screenshots until the window is drawn: the client area with its layout,
    // in one place.
    QImage screen;
    QList<QPoint> areas;
    for (int attempt = 0; attempt < 40 && areas.size() != 1; ++attempt) {
      QProcess screenshooter;
      screenshooter.setProcessEnvironment(screenshooterEnvironment);
      screenshooter.setWorkingDirectory(shots);
      screenshooter.setProcessChannelMode(QProcess::MergedChannels);
      screenshooter.start(QStringLiteral("weston-screenshooter"), {});
      QVERIFY2(screenshooter.waitForFinished(10000), qPrintable(screenshooter.errorString()));
      const QFileInfoList files = QDir(shots).entryInfoList({QStringLiteral("*.png")}, QDir::Files);
      QVERIFY2(files.size() == 1, screenshooter.readAll().constData());
      screen = QImage(files.front().filePath());
      QVERIFY(QFile::remove(files.front().filePath()));
      areas = ClientAreasIn(screen);
      if (areas.size() != 1) QTest::qWait(250);
    }
    // Kept whatever it shows, for a person to look at.
    const QString path = QStringLiteral(WAYLAND_SCREENSHOT_PATH);
    QDir().mkpath(QFileInfo(path).path());
    QVERIFY(screen.save(path));
    qInfo("screenshot: %s", qPrintable(path));
    QCOMPARE(screen.size(), QSize(1024, 768));
    QCOMPARE(areas.size(), 1);
    qInfo("the window's client area is at %d,%d", areas.front().x(), areas.front().y());
    QVERIFY(Colours(screen.copy(QRect(areas.front(), kClientSize))) > 8);
    QCOMPARE(program.state(), QProcess::Running);

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(QFileInfo(QDir(workingDir).filePath(QStringLiteral("time.txt"))).size(), 0);
    QVERIFY(!QFileInfo::exists(dataHome));
  }
};

QTEST_MAIN(DisplayServerTest)
#include "xvfb_test.moc"
