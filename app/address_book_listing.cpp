#include "app/address_book_listing.h"

#include <optional>

#include "app/console_streams.h"
#include "app/query_output.h"
#include "platform/framework/file_exception.h"
#include "query/address_book.h"
#include "query/address_book_file.h"
#include "query/address_book_message.h"
#include "query/chosen_address.h"

namespace {

std::optional<std::vector<CString>> ReadListLines() {
  CString text;
  try {
    if (!ReadAddressBookFile(text)) {
      console::WriteErr(AddressBookOpenErrorText().str() + "\n");
      return std::nullopt;
    }
  } catch (CFileException* e) {
    char message[512];
    e->GetErrorMessage(message, sizeof(message));
    e->Delete();
    console::WriteErr(ConsoleLine(message));
    return std::nullopt;
  }
  return AddressBookListLines(ParseAddressBook(text, text.GetLength()));
}

}  // namespace

int PrintAddressBookList() {
  const std::optional<std::vector<CString>> lines = ReadListLines();
  if (!lines) return 1;
  std::string text;
  for (const CString& line : *lines) text += ConsoleListLine(line);
  console::WriteOut(text);
  return 0;
}

bool ReadAddressListAddresses(std::vector<CString>& addresses) {
  const std::optional<std::vector<CString>> lines = ReadListLines();
  if (!lines) return false;
  for (const CString& line : *lines) addresses.push_back(ChosenAddress(line));
  if (addresses.empty()) console::WriteErr("The address list holds no address.\n");
  return !addresses.empty();
}
