#include "query/address_book_file.h"

#include "platform/framework/cfile.h"
#include "query/address_book.h"

BOOL ReadAddressBookFile(CString& text) {
  CFile file;
  if (!file.Open(kAddressBookFileName, CFile::modeRead | CFile::shareCompat, nullptr)) return FALSE;
  char buffer[kAddressBookReadLimit];
  // A read error throws; the file's destructor closes it on the way out.
  const UINT count = file.Read(buffer, sizeof(buffer));
  file.Close();
  text = AddressBookText(buffer, static_cast<int>(count));
  return TRUE;
}
