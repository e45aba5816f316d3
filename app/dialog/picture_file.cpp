#include "app/dialog/picture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QPixmap>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <string>

#include "app/console_streams.h"

namespace {

bool Fail(const QString& file, const std::string& why) {
  console::WriteErr(console::ProgramName() + ": cannot save the picture to " + file.toLocal8Bit().toStdString() + ": " +
                    why + "\n");
  return false;
}

// Written with the system's calls, so that the reason of a failure is known.
bool WriteFile(const QString& file, const QByteArray& bytes) {
  const QByteArray path = file.toLocal8Bit();
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(file, std::strerror(errno));
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = written < 0 ? errno : EIO;
      ::close(fd);
      return Fail(file, std::strerror(error));
    }
    done += written;
  }
  if (::close(fd) != 0) return Fail(file, std::strerror(errno));
  return true;
}

}  // namespace

bool SaveWindowPicture(QWidget& window, const QString& file) {
  QCoreApplication::processEvents();  // let the window settle (layout, polish)
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!window.grab().save(&buffer, "PNG")) return Fail(file, "the picture could not be made");
  return WriteFile(file, png);
}
