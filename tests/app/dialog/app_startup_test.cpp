#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/dialog/quillmar_app.h"
#include "platform/window/cdialog.h"
#include "platform/framework/message_box.h"
#include "platform/winsock/winsock.h"
#include "tests/support/scoped_working_directory.h"
#include "ui/resource.h"
#include "tests/support/platform_seams/message_box_recorder.h"
#include "tests/support/platform_seams/startup_failure.h"

namespace {

// Records every modal dialog and closes it as soon as it is shown.
struct ModalRecorder {
  std::vector<UINT> opened;
  std::vector<bool> wasMainWindow;
  std::vector<bool> socketsUsable;
  framework::ScopedModalDialogHook hook{[this](CDialog& dialog) {
    opened.push_back(dialog.templateId());
    wasMainWindow.push_back(AfxGetApp()->m_pMainWnd == &dialog);
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    socketsUsable.push_back(s != INVALID_SOCKET);
    if (s != INVALID_SOCKET) closesocket(s);
    dialog.EndDialog(IDCANCEL);
  }};
};

using vqtest::ScopedEmptyAddressBook;

bool SocketsStarted() {
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) return WSAGetLastError() != WSANOTINITIALISED;
  closesocket(s);
  return true;
}

TEST(AppStartupTest, SocketFailureShowsOnlyItsMessageAndNoDialog) {
  vqtest::ScopedStartupFailure failing;
  vqtest::ScopedMessageBoxRecorder boxes;
  ModalRecorder modal;
  CQuillmarApp app;
  EXPECT_EQ(AfxWinMain(), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_STREQ(boxes.boxes()[0].text, "Windows sockets initialization failed.");
  EXPECT_STREQ(boxes.boxes()[0].caption, "Veloxa Quillmar");
  EXPECT_EQ(boxes.boxes()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_TRUE(modal.opened.empty());
}

TEST(AppStartupTest, RunsTheMainDialogModallyAsMainWindowThenEndsWithSocketsBalanced) {
  ScopedEmptyAddressBook addressBook;
  vqtest::ScopedMessageBoxRecorder boxes;
  ModalRecorder modal;
  CQuillmarApp app;
  EXPECT_EQ(AfxWinMain(), 0);
  EXPECT_EQ(modal.opened, std::vector<UINT>{IDD_QUILLMAR_DIALOG});
  EXPECT_EQ(modal.wasMainWindow, std::vector<bool>{true});
  EXPECT_EQ(modal.socketsUsable, std::vector<bool>{true});  // started before the dialog
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(app.m_pMainWnd, nullptr);  // the dialog is gone with InitInstance
  EXPECT_FALSE(SocketsStarted());      // the start-up was balanced at the end
}

TEST(AppStartupTest, HelpCommandIsHandledQuietly) {
  vqtest::ScopedMessageBoxRecorder boxes;
  CQuillmarApp app;
  EXPECT_TRUE(app.OnCmdMsg(ID_HELP, 0));
  EXPECT_FALSE(app.OnCmdMsg(ID_ABOUT_ABOUT, 0));  // the dialog's command, not the application's
  EXPECT_TRUE(boxes.boxes().empty());
}

QProcessEnvironment Offscreen() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  return env;
}

TEST(AppProgramTest, ScreenshotWritesThePictureOfTheMainDialogAndExits) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath(QStringLiteral("dialog.png"));
  QProcess program;
  program.setWorkingDirectory(dir.path());  // no address.ini: its message goes to standard error
  QProcessEnvironment env = Offscreen();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));  // none there either
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(QUILLMAR_EXE), {QStringLiteral("--screenshot"), file});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  // The message box's lines, each a line of its own.
  const QByteArray errors = program.readAllStandardError();
  EXPECT_TRUE(errors.contains("ERROR!: There was an error opening the file: address.ini.\n\nIt was looked for in:\n"))
      << errors.toStdString();
  const QImage picture(file);
  ASSERT_FALSE(picture.isNull());
  EXPECT_GT(picture.width(), picture.height());  // 274 by 149 dialog units plus the menu bar
}

// The picture of the dialog in a process of its own.
struct Picture {
  QImage image;
  QByteArray errors;
};

Picture DialogPicture(const QString& workingDirectory, const QProcessEnvironment& env) {
  const QString file = workingDirectory + QStringLiteral("/dialog.png");
  QProcess program;
  program.setWorkingDirectory(workingDirectory);
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(QUILLMAR_EXE), {QStringLiteral("--screenshot"), file});
  if (!program.waitForFinished(60000) || program.exitCode() != 0) return {};
  return {QImage(file), program.readAllStandardError()};
}

// Started from the desktop's menu, the working directory is the home folder:
// the user's list in ~/.config/quillmar is found there.
TEST(AppProgramTest, UsersAddressBookIsFoundFromTheHomeFolder) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral(".config/quillmar")));
  QFile book(home.filePath(QStringLiteral(".config/quillmar/address.ini")));
  ASSERT_TRUE(book.open(QIODevice::WriteOnly));
  book.write("entry0             192.0.2.1                                          \r\n = Mine             \r\n");
  book.close();
  QProcessEnvironment env = Offscreen();
  env.insert(QStringLiteral("HOME"), home.path());
  env.remove(QStringLiteral("XDG_CONFIG_HOME"));
  const Picture withBook = DialogPicture(home.path(), env);
  ASSERT_FALSE(withBook.image.isNull());
  EXPECT_FALSE(withBook.errors.contains("address.ini")) << withBook.errors.toStdString();

  book.remove();
  const Picture without = DialogPicture(home.path(), env);
  EXPECT_TRUE(without.errors.contains("address.ini"));
  EXPECT_NE(withBook.image, without.image);  // the list shows the line
}

// On a screen scaled by two the whole dialog is drawn with twice the pixels.
TEST(AppProgramTest, DialogAtScaleTwoIsTwiceTheSizeInPixels) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile(dir.filePath(QStringLiteral("address.ini"))).open(QIODevice::WriteOnly);  // an empty list, no message
  QProcessEnvironment env = Offscreen();
  const Picture single = DialogPicture(dir.path(), env);
  env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
  const Picture twice = DialogPicture(dir.path(), env);
  ASSERT_FALSE(single.image.isNull());
  ASSERT_FALSE(twice.image.isNull());
  EXPECT_EQ(twice.image.size(), single.image.size() * 2);
}

TEST(AppProgramTest, VersionAndHelp) {
  QProcess program;
  program.setProcessEnvironment(Offscreen());
  program.start(QStringLiteral(QUILLMAR_EXE), {QStringLiteral("--version")});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(program.readAllStandardOutput().contains("Veloxa Quillmar"));

  program.start(QStringLiteral(QUILLMAR_EXE), {QStringLiteral("--help")});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(program.readAllStandardOutput().contains("--screenshot"));
}

// The window program does the window modes only: its help lists those, and
// the console's modes are refused as usage errors instead of opening a window.
TEST(AppProgramTest, TheDialogProgramRefusesTheConsolesModes) {
  QProcess program;
  program.setProcessEnvironment(Offscreen());
  program.start(QStringLiteral(QUILLMAR_DIALOG_EXE), {QStringLiteral("--help")});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  const QByteArray help = program.readAllStandardOutput();
  EXPECT_TRUE(help.contains("--screenshot")) << help.toStdString();
  EXPECT_FALSE(help.contains("--query-list")) << help.toStdString();

  const QStringList consoleModes[] = {{QStringLiteral("--query"), QStringLiteral("127.0.0.1")},
                                      {QStringLiteral("--query-list")},
                                      {QStringLiteral("--list")}};
  for (const QStringList& arguments : consoleModes) {
    program.start(QStringLiteral(QUILLMAR_DIALOG_EXE), arguments);
    ASSERT_TRUE(program.waitForFinished(60000)) << arguments.join(' ').toStdString();
    EXPECT_EQ(program.exitCode(), 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(program.readAllStandardError().contains("run quillmar")) << arguments.join(' ').toStdString();
  }
}

}  // namespace

namespace {

// The dialog draws its icons in code and reads no picture: up to its first
// paint it maps no image format plugin of the toolkit (the loader's log says).
TEST(AppProgramTest, TheDialogLoadsNoImageFormatPlugin) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(
      QFile::copy(QStringLiteral(VQ_SOURCE_DIR "/docs/address.ini"), dir.filePath(QStringLiteral("address.ini"))));
  QProcess program;
  program.setWorkingDirectory(dir.path());
  QProcessEnvironment env = Offscreen();
  env.insert(QStringLiteral("VQ_FIRST_PAINT_PROBE"), QStringLiteral("1"));
  env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
  env.insert(QStringLiteral("LD_DEBUG_OUTPUT"), dir.filePath(QStringLiteral("loaded")));
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(QUILLMAR_DIALOG_EXE), {});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(program.readAllStandardOutput().contains("first-paint-ns"));
  QByteArray loaded;
  for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("loaded*")}, QDir::Files)) {
    QFile log(dir.filePath(name));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    loaded += log.readAll();
  }
  EXPECT_TRUE(loaded.contains("libQt6Widgets")) << "the loader's log is missing";
  EXPECT_FALSE(loaded.contains("imageformats")) << "an image format plugin was loaded";
}

}  // namespace
