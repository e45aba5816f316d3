#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The system's side of reading a file of the command line, or standard
// input, as bytes (no line-end translation on either system).
namespace console {

class CInputFile {
 public:
  // Opens `path` (UTF-8) for reading; "-" is standard input.
  explicit CInputFile(const std::string& path);
  ~CInputFile();
  CInputFile(const CInputFile&) = delete;
  CInputFile& operator=(const CInputFile&) = delete;

  // 0 when the file is open, else the system's error number
  // (OutputErrorText words it).
  int OpenError() const { return m_openError; }
  // Up to `size` bytes into `buffer`: how many, 0 at the end, -1 on a
  // failure with the system's error number in `error`.
  long long Read(char* buffer, std::size_t size, int& error);

 private:
  std::intptr_t m_handle = -1;
  bool m_owned = false;  // standard input is left open
  int m_openError = 0;
};

}  // namespace console
