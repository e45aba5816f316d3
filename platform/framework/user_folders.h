#pragma once
#include <string>

// The places a program keeps its files, and paths built the system's way:
// one file per system (user_folders.cpp, user_folders_win32.cpp).
namespace framework {

// The process's working folder as a full path; empty when the system cannot
// tell.
std::string WorkingFolder();

// The folder for the settings of `program` that belong to the user running
// it: $XDG_CONFIG_HOME/program on Linux ($HOME/.config/program when
// XDG_CONFIG_HOME is unset or not an absolute path, the home folder from the
// user database when HOME is not absolute either), %APPDATA%\program on
// Windows. Empty when the system names no such place. The folder need not
// exist.
std::string UserSettingsFolder(const char* program);

// The folder and the name joined by the system's separator; the name alone
// when the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

// The last part of a path, after its last separator ('/' on Linux; '\\',
// '/' or a drive's ':' on Windows); the whole path when it has none.
std::string FileNameOf(const std::string& path);

// A sample file that the program's package ships: on Linux `installedPath`,
// where the package puts the documentation; on Windows `name` in the
// "examples" folder beside the running program, where the zip and the
// installer put it.
std::string PackagedExample(const char* installedPath, const char* name);

// Whether anything (a file, a folder, ...) exists at the path.
bool PathExists(const std::string& path);

}  // namespace framework
