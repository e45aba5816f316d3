#include "app/address_book_listing.h"

#include "platform/framework/file_exception.h"
#include "ui/address_book.h"
#include "ui/address_book_file.h"

int PrintAddressBookList(std::FILE* out, std::FILE* err) {
  CString text;
  try {
    if (!ReadAddressBookFile(text)) {
      std::fprintf(err, "%s\n", kAddressBookOpenError);
      return 1;
    }
  } catch (CFileException* e) {
    char message[512];
    e->GetErrorMessage(message, sizeof(message));
    e->Delete();
    std::fprintf(err, "%s\n", message);
    return 1;
  }
  for (const CString& line : AddressBookListLines(ParseAddressBook(text, text.GetLength()))) {
    std::fwrite(line.str().data(), 1, line.str().size(), out);
    std::fputc('\n', out);
  }
  std::fflush(out);
  return 0;
}
