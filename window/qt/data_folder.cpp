#include "window/qt/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <string>
#include <system_error>

#include "window/form1.h"

namespace duedate {
namespace {

// The reason, in words a user reads; the system's own text follows in
// brackets.
QString Reason(int error) {
  const std::string system = std::generic_category().message(error);
  const char* reason = nullptr;
  switch (error) {
    case EACCES:
    case EPERM: reason = "没有创建或使用这个文件夹的权限"; break;
    case EEXIST:
    case ENOTDIR: reason = "路径上已有一个同名的文件，不是文件夹"; break;
    default: break;
  }
  if (reason != nullptr) return QString::fromStdString(std::string(reason) + "（" + system + "）");
  return QString::fromStdString(
      ProblemText(std::error_code(error, std::generic_category()), system, "无法创建或进入这个文件夹"));
}

// mkdir -p with mode 0700 for every folder it creates; 0 or the errno.
int MakeFolders(const QByteArray& path) {
  for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
    const QByteArray part = slash < 0 ? path : path.left(slash);
    if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) return errno;
    if (slash < 0) break;
  }
  struct stat status {};
  if (::stat(path.constData(), &status) != 0) return errno;
  return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

QString DataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  // The XDG base directory rules ignore a relative path.
  if (base.isEmpty() || QDir::isRelativePath(base))
    base = QDir::homePath() + QStringLiteral("/.local/share");
  return QDir::cleanPath(base + QStringLiteral("/yuchanqi"));
}

QString EnterDataFolder(const QString& folder) {
  const QByteArray path =
      QFile::encodeName(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
  int error = MakeFolders(path);
  if (error == 0 && ::chdir(path.constData()) != 0) error = errno;
  if (error == 0) return {};
  return QStringLiteral(
             "无法使用保存输入的文件夹：\n%1\n原因：%2\n\n"
             "这次改用当前文件夹：按“退出”时，输入保存在\n%3\n中。")
      .arg(folder, Reason(error), QDir::current().absoluteFilePath(QStringLiteral("time.txt")));
}

}  // namespace duedate
