#pragma once
#include <array>
#include <vector>

#include "platform/framework/cstring.h"

// The address book "address.ini": up to nine server addresses with short
// descriptions under the keys "entry0" to "entry8". Only the first 2048 bytes
// count, cut before the first NUL. A record is found by the first occurrence
// of its key anywhere in the text (inside a longer word too); its fields are
// fixed offsets from the key's first character and run across line ends:
//   19-35  the address: white space trimmed at both ends, listed only when it
//          then begins with an ASCII digit
//   72-91  the description: 20 characters taken as they stand
// The end of the text cuts a field short.

constexpr int kAddressBookSlots = 9;
constexpr int kAddressBookReadLimit = 2048;
inline constexpr char kAddressBookFileName[] = "address.ini";
inline constexpr char kAddressBookOpenError[] = "There was an error opening the file: address.ini.";
inline constexpr char kAddressBookErrorCaption[] = "ERROR!";

// One list line per slot ("entry0" is slot 0); empty when the record is
// missing or not listed.
using AddressBookSlots = std::array<CString, kAddressBookSlots>;

// The text of the book: the bytes read, ending before the first NUL.
CString AddressBookText(const char* bytes, int count);

// The list line of each slot: the trimmed address, one space and the
// description field. Any bytes are accepted; a null text or a length of 0 or
// less is an empty book.
AddressBookSlots ParseAddressBook(const char* text, int length);

// The listed lines in the order of the sorted list box: compared as the list
// box compares, equal lines kept in slot order.
std::vector<CString> AddressBookListLines(const AddressBookSlots& slots);

// The address a list line gives back: its text before the two characters that
// precede its first "=", trailing white space removed. Empty when the line
// has no "=" or the "=" stands among its first three characters.
CString AddressFromListLine(const CString& line);
