// The address-book parser over arbitrary "address.ini" contents: the text
// as the file read leaves it, its list lines, their sorted order, and the
// address each line gives back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/window/controls.h"
#include "query/address_book.h"

namespace {

constexpr std::size_t kAddressOffset = 19;
constexpr std::size_t kAddressWidth = 17;
constexpr std::size_t kDescriptionWidth = 20;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A listed record: the trimmed address field of the key's first occurrence,
// beginning with a digit, then one space and at most 20 characters.
void CheckListLine(std::string_view text, int slot, const std::string& line) {
  FUZZ_CHECK(line.size() <= kAddressWidth + 1 + kDescriptionWidth);
  FUZZ_CHECK(line[0] >= '0' && line[0] <= '9');
  const char key[] = {'e', 'n', 't', 'r', 'y', static_cast<char>('0' + slot), '\0'};
  const std::size_t at = text.find(key);
  FUZZ_CHECK(at != std::string_view::npos);
  FUZZ_CHECK(at + kAddressOffset < text.size());
  const std::string_view field = text.substr(at + kAddressOffset, kAddressWidth);
  const std::size_t first = field.find_first_not_of(" \t\n\v\f\r");
  const std::size_t last = field.find_last_not_of(" \t\n\v\f\r");
  FUZZ_CHECK(first != std::string_view::npos);
  const std::string address(field.substr(first, last - first + 1));
  FUZZ_CHECK(line.compare(0, address.size() + 1, address + ' ') == 0);
}

void CheckAddressFromLine(const CString& line) {
  const CString address = AddressFromListLine(line);
  const std::string& text = line.str();
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals <= 2) {
    FUZZ_CHECK(address.IsEmpty());
    return;
  }
  FUZZ_CHECK(static_cast<std::size_t>(address.GetLength()) <= equals - 2);
  FUZZ_CHECK(text.compare(0, address.str().size(), address.str()) == 0);
  FUZZ_CHECK(address.IsEmpty() || !IsSpace(address.str().back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One read of at most 2048 bytes, cut before the first NUL.
  const int count = static_cast<int>(std::min<std::size_t>(size, kAddressBookReadLimit));
  const CString text = AddressBookText(reinterpret_cast<const char*>(data), count);
  const std::string_view read(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
  FUZZ_CHECK(std::string_view(text.str()) == read.substr(0, read.find('\0')));

  const AddressBookSlots slots = ParseAddressBook(text.str().data(), text.GetLength());
  std::vector<CString> listed;
  for (int slot = 0; slot < kAddressBookSlots; ++slot) {
    const CString& line = slots[static_cast<std::size_t>(slot)];
    if (line.IsEmpty()) continue;
    CheckListLine(text.str(), slot, line.str());
    listed.push_back(line);
  }

  // The list shows every listed line once, in the list box's order.
  const std::vector<CString> lines = AddressBookListLines(slots);
  FUZZ_CHECK(lines.size() == listed.size());
  for (std::size_t i = 1; i < lines.size(); ++i) {
    FUZZ_CHECK(framework::CompareListBoxText(lines[i - 1], lines[i]) <= 0);
  }
  for (const CString& line : listed) {
    FUZZ_CHECK(std::count(lines.begin(), lines.end(), line) == std::count(listed.begin(), listed.end(), line));
    CheckAddressFromLine(line);
  }
  // A selected line's text is only ever a list line, but the cut must hold
  // for any text.
  CheckAddressFromLine(text);
  return 0;
}
