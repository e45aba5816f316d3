// The address book: saved server addresses in "address.ini".
#include "platform/framework/message_box.h"
#include "query/address_book.h"
#include "query/address_book_file.h"
#include "query/chosen_address.h"
#include "query/address_book_message.h"
#include "ui/quillmar_dlg.h"

// Fills the list once while the dialog initialises. A read error after the
// file has opened leaves as a CFileException*, which the window procedure
// reports; the dialog then runs with an empty list.
void CQuillmarDlg::LoadAddressBook() {
  CString text;
  if (!ReadAddressBookFile(text)) {
    MessageBox(AddressBookOpenErrorText(), kAddressBookErrorCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (text.IsEmpty()) return;
  const AddressBookSlots slots = ParseAddressBook(text, text.GetLength());
  UpdateData(FALSE);
  for (const CString& line : slots) {
    if (!line.IsEmpty()) m_ctlAddressList.AddString(line);
  }
}

// A double-click copies the chosen line's address into the address field
// (ChosenAddress says which part of the line that is).
// Only the double-click does: repaints and single clicks leave what the user
// typed alone, and so does a double-click that chooses no line. The other
// fields keep what was typed into them.
void CQuillmarDlg::TakeChosenAddress() {
  const int selected = m_ctlAddressList.GetCurSel();
  if (selected == LB_ERR) return;
  UpdateData(TRUE);
  CString line;
  m_ctlAddressList.GetText(selected, line);
  m_strAddress = ChosenAddress(line);
  UpdateData(FALSE);
}
