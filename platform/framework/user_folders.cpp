#include "platform/framework/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace framework {

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  const passwd* user = ::getpwuid(::getuid());
  return user != nullptr && IsAbsolute(user->pw_dir) ? std::string(user->pw_dir) : std::string();
}

// The XDG base directories' configuration home; empty when not even a home
// folder is known.
std::string ConfigHome() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(xdg)) return xdg;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : JoinPath(home, ".config");
}

}  // namespace

std::string WorkingFolder() {
  std::vector<char> folder(256);
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return {};
    folder.resize(folder.size() * 2);
  }
  return folder.data();
}

std::string UserSettingsFolder(const char* program) {
  const std::string configHome = ConfigHome();
  return configHome.empty() ? std::string() : JoinPath(configHome, program);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + '/' + name;
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::string PackagedExample(const char* installedPath, const char* /*name*/) { return installedPath; }

}  // namespace framework
