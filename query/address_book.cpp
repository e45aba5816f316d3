#include "query/address_book.h"

#include <algorithm>
#include <string_view>

#include "platform/framework/list_order.h"

namespace {

constexpr int kAddressOffset = 19;
constexpr int kAddressWidth = 17;
constexpr int kDescriptionOffset = 72;
constexpr int kDescriptionWidth = 20;
// An "=" in the description marks the end of the line's address: the two
// characters before it belong to neither.
constexpr int kCharactersBeforeEquals = 2;

bool IsAsciiDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The characters at [first, first + width) that lie inside the text.
std::string_view FieldAt(std::string_view text, std::size_t first, std::size_t width) {
  if (first >= text.size()) return {};
  return text.substr(first, width);
}

CString ListLineAt(std::string_view text, std::size_t key) {
  CString address(FieldAt(text, key + kAddressOffset, kAddressWidth));
  address.TrimRight();
  address.TrimLeft();
  if (address.IsEmpty() || !IsAsciiDigit(address[0])) return CString();
  return address + ' ' + CString(FieldAt(text, key + kDescriptionOffset, kDescriptionWidth));
}

}  // namespace

CString AddressBookText(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) return CString();
  const std::string_view read(bytes, static_cast<std::size_t>(count));
  return CString(read.substr(0, read.find('\0')));
}

AddressBookSlots ParseAddressBook(const char* text, int length) {
  AddressBookSlots slots;
  if (text == nullptr || length <= 0) return slots;
  const std::string_view book(text, static_cast<std::size_t>(length));
  for (int slot = 0; slot < kAddressBookSlots; ++slot) {
    const char key[] = {'e', 'n', 't', 'r', 'y', static_cast<char>('0' + slot), '\0'};
    const std::size_t at = book.find(key);
    // A missing key leaves its slot empty.
    if (at != std::string_view::npos) slots[static_cast<std::size_t>(slot)] = ListLineAt(book, at);
  }
  return slots;
}

std::vector<CString> AddressBookListLines(const AddressBookSlots& slots) {
  std::vector<CString> lines;
  for (const CString& line : slots) {
    if (!line.IsEmpty()) lines.push_back(line);
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const CString& a, const CString& b) { return framework::CompareListBoxText(a, b) < 0; });
  return lines;
}

CString AddressFromListLine(const CString& line) {
  const int equals = line.Find('=');
  const int count = equals - kCharactersBeforeEquals;
  if (count <= 0) return CString();
  CString address = line.Left(count);
  address.TrimRight();
  return address;
}
