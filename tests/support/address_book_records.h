#pragma once
// Address-book records in the file's exact layout for the tests.
#include <algorithm>
#include <string>

#include "tests/support/scoped_working_directory.h"

namespace address_book_test {

using vqtest::ScopedWorkingDirectory;

// A record in the file's layout: the key, 13 characters never read, the
// 17-character address field, 36 characters never read and the 20-character
// description field. Shorter fields are padded with spaces.
inline std::string Record(int slot, const std::string& address, const std::string& description) {
  std::string record = "entry" + std::to_string(slot) + std::string(13, ' ');
  record += address.substr(0, 17) + std::string(17 - std::min<std::size_t>(address.size(), 17), ' ');
  record += std::string(34, ' ') + "\r\n";
  record += description.substr(0, 20) + std::string(20 - std::min<std::size_t>(description.size(), 20), ' ');
  return record + "\r\n";
}

// The list line of a record made by Record.
inline std::string Line(const std::string& address, const std::string& description) {
  return address + " " + description + std::string(20 - std::min<std::size_t>(description.size(), 20), ' ');
}

}  // namespace address_book_test
