#include "app/address_file.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "app/console_input.h"
#include "app/console_output.h"
#include "app/console_streams.h"
#include "app/query_output.h"

namespace {

constexpr std::size_t kLongestLine = 1024;
// A list read without end (a generator on standard input) must not take
// all memory: ten times the servers that fit in 128 MiB.
constexpr std::size_t kMostAddresses = 1000000;
constexpr std::size_t kReadSize = std::size_t{64} * 1024;
constexpr std::string_view kBlanks = " \t\r";

// Splits what is read into lines and keeps their addresses; the first
// fault ends the reading.
class CAddressLines {
 public:
  explicit CAddressLines(std::vector<CString>& addresses) : m_addresses(addresses) {}

  // False once a line is at fault; Fault() says how.
  bool Take(std::string_view bytes) {
    while (!bytes.empty() && m_fault.empty()) {
      const std::size_t end = bytes.find('\n');
      Add(bytes.substr(0, end));
      if (end == std::string_view::npos || !m_fault.empty()) break;
      EndLine();
      bytes.remove_prefix(end + 1);
    }
    return m_fault.empty();
  }

  // The last line, when the text does not end with a line end.
  bool Finish() {
    if (m_fault.empty() && !m_line.empty()) EndLine();
    return m_fault.empty();
  }

  const std::string& Fault() const { return m_fault; }
  std::size_t LineNumber() const { return m_lineNumber; }
  std::size_t Listed() const { return m_listed; }

 private:
  void Add(std::string_view part) {
    if (part.find('\0') != std::string_view::npos) {
      m_fault = "a NUL byte: not a text file of addresses";
    } else if (m_line.size() + part.size() > kLongestLine) {
      m_fault = "line longer than " + std::to_string(kLongestLine) + " bytes";
    } else {
      m_line += part;
    }
  }

  void EndLine() {
    std::string_view line = m_line;
    const std::size_t first = line.find_first_not_of(kBlanks);
    line = first == std::string_view::npos ? std::string_view() : line.substr(first);
    line = line.substr(0, line.find_last_not_of(kBlanks) + 1);
    const bool listed = !line.empty() && line.front() != '#';
    if (listed && m_addresses.size() >= kMostAddresses) {
      m_fault = "more than " + std::to_string(kMostAddresses) + " addresses: ask them in parts";
      return;
    }
    if (listed) {
      m_addresses.emplace_back(line);
      ++m_listed;
    }
    m_line.clear();
    ++m_lineNumber;
  }

  std::vector<CString>& m_addresses;
  std::string m_line;
  std::size_t m_lineNumber = 1;
  std::size_t m_listed = 0;
  std::string m_fault;
};

std::string ShownName(const std::string& path) { return path == "-" ? "(standard input)" : path; }

// "quillmar: servers.txt:12: what", or without the line when it is 0.
void SayFault(const std::string& path, std::size_t line, const std::string& what) {
  std::string text = ShownName(path);
  if (line != 0) text += ':' + std::to_string(line);
  text += ": ";
  text += what;
  console::WriteErr(console::ProgramName() + ": " + ConsoleLine(CString(text.c_str())));
}

// Reads the file's addresses onto the end of `addresses`.
bool ReadAddressFile(const std::string& path, std::vector<CString>& addresses) {
  console::CInputFile file(path);
  if (file.OpenError() != 0) {
    SayFault(path, 0, console::OutputErrorText(file.OpenError()));
    return false;
  }
  CAddressLines lines(addresses);
  std::string buffer(kReadSize, '\0');
  for (;;) {
    int error = 0;
    const long long got = file.Read(buffer.data(), buffer.size(), error);
    if (got < 0) {
      SayFault(path, 0, console::OutputErrorText(error));
      return false;
    }
    const bool fine =
        got == 0 ? lines.Finish() : lines.Take(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    if (!fine) {
      SayFault(path, lines.LineNumber(), lines.Fault());
      return false;
    }
    if (got == 0) break;
  }
  if (lines.Listed() == 0) SayFault(path, 0, "lists no address");
  return lines.Listed() > 0;
}

}  // namespace

bool CollectAddresses(const std::vector<AddressSource>& sources, std::vector<CString>& addresses) {
  for (const AddressSource& source : sources) {
    if (!source.isFile) {
      addresses.emplace_back(std::string_view(source.text));
    } else if (!ReadAddressFile(source.text, addresses)) {
      return false;
    }
  }
  return true;
}
