#include "query/address_book_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/framework/cfile.h"
#include "query/address_book.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// The user's configuration folder, as the XDG base directories define it;
// empty when not even a home folder is known.
std::string ConfigHome() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(xdg)) return xdg;
  const char* home = std::getenv("HOME");
  if (!IsAbsolute(home)) {
    const passwd* user = ::getpwuid(::getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  return IsAbsolute(home) ? std::string(home) + "/.config" : std::string();
}

// Empty when not even a home folder is known.
std::string UsersAddressBook() {
  const std::string configHome = ConfigHome();
  return configHome.empty() ? std::string() : configHome + "/quillmar/" + kAddressBookFileName;
}

std::string WorkingDirectoryAddressBook() {
  char folder[PATH_MAX];
  if (::getcwd(folder, sizeof folder) == nullptr) return std::string("./") + kAddressBookFileName;
  return std::string(folder) + "/" + kAddressBookFileName;
}

}  // namespace

CString AddressBookFilePath() {
  if (Exists(kAddressBookFileName)) return kAddressBookFileName;
  const std::string users = UsersAddressBook();
  if (!users.empty() && Exists(users)) return CString(std::string_view(users));
  return kAddressBookFileName;
}

std::vector<CString> AddressBookPlaces() {
  std::vector<CString> places{CString(std::string_view(WorkingDirectoryAddressBook()))};
  const std::string users = UsersAddressBook();
  if (!users.empty()) places.emplace_back(std::string_view(users));
  return places;
}

BOOL ReadAddressBookFile(CString& text) {
  CFile file;
  const CString path = AddressBookFilePath();
  if (!file.Open(path, CFile::modeRead | CFile::shareCompat, nullptr)) return FALSE;
  char buffer[kAddressBookReadLimit];
  // A read error throws; the file's destructor closes it on the way out.
  const UINT count = file.Read(buffer, sizeof(buffer));
  file.Close();
  text = AddressBookText(buffer, static_cast<int>(count));
  return TRUE;
}
