#pragma once
// Address-book files for the tests: records in the exact layout, and a
// scratch working directory to hold "address.ini".
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace address_book_test {

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

// Makes a fresh directory the process's working directory while alive, then
// returns to the previous one and removes the directory.
class ScopedWorkingDirectory {
 public:
  ScopedWorkingDirectory() : m_previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vq-address-book-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    m_directory = pattern;
    std::filesystem::current_path(m_directory);
  }
  ~ScopedWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
    std::filesystem::remove_all(m_directory, ignored);
  }
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

  const std::filesystem::path& path() const { return m_directory; }

  // Writes "address.ini" (or another file) with exactly these bytes.
  void Write(const std::string& bytes, const char* name = "address.ini") const {
    std::ofstream out(m_directory / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_directory;
};

}  // namespace address_book_test
