// The address book: saved server addresses in "address.ini".
#include "ui/quillmar_dlg.h"

// Not built yet: reading "address.ini" into the list comes with the address
// book. Until then the list stays empty.
void CQuillmarDlg::LoadAddressBook() {}

// Not built yet: a double-click choosing an address comes with the address
// book. Until then it does nothing.
void CQuillmarDlg::TakeChosenAddress() {}
