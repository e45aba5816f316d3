#include "query/address_book_file.h"

#include <string>

#include "platform/framework/cfile.h"
#include "platform/framework/user_folders.h"
#include "query/address_book.h"

namespace {

constexpr char kProgramFolder[] = "quillmar";

// Empty when the system names no settings folder for the user.
std::string UsersAddressBook() {
  const std::string folder = framework::UserSettingsFolder(kProgramFolder);
  return folder.empty() ? std::string() : framework::JoinPath(folder, kAddressBookFileName);
}

std::string WorkingDirectoryAddressBook() {
  const std::string folder = framework::WorkingFolder();
  return framework::JoinPath(folder.empty() ? std::string(".") : folder, kAddressBookFileName);
}

}  // namespace

CString AddressBookFilePath() {
  if (framework::PathExists(kAddressBookFileName)) return kAddressBookFileName;
  const std::string users = UsersAddressBook();
  if (!users.empty() && framework::PathExists(users)) return CString(std::string_view(users));
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
