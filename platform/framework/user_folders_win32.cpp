#include "platform/framework/user_folders.h"

#include <vector>

#include "platform/kernel/wide_text.h"
#include "platform/kernel/windef.h"

namespace framework {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A drive's root ("C:\...") or a share ("\\server\..."); "C:name" and
// "\name" depend on the current drive and folder.
bool IsAbsolute(const std::string& path) {
  if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return true;
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// Paths and names come from the wide calls, in UTF-8: the ANSI calls would
// give them in the user's code page, which cannot hold every folder name.
std::string Variable(const wchar_t* name) {
  std::vector<wchar_t> value(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};
    if (length < value.size()) return kernel::Utf8FromWide(std::wstring_view(value.data(), length));
    value.resize(length);  // the size asked for includes the terminating NUL
  }
}

// The folder of the running program's file.
std::string ProgramFolder() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      const std::string file = kernel::Utf8FromWide(std::wstring_view(path.data(), length));
      return file.substr(0, file.size() - FileNameOf(file).size());
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string WorkingFolder() {
  std::vector<wchar_t> folder(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0) return {};
    if (length < folder.size()) return kernel::Utf8FromWide(std::wstring_view(folder.data(), length));
    folder.resize(length);
  }
}

// The roaming application data of the user, as the system's environment
// names it; a relative value is no place to keep settings.
std::string UserSettingsFolder(const char* program) {
  const std::string appData = Variable(L"APPDATA");
  return IsAbsolute(appData) ? JoinPath(appData, program) : std::string();
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + '\\' + name;
}

std::string FileNameOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string PackagedExample(const char* /*installedPath*/, const char* name) {
  return JoinPath(JoinPath(ProgramFolder(), "examples"), name);
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesW(kernel::WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace framework
