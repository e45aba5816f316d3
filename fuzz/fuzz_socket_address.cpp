// SetAddress and SetPort of the file-like socket over arbitrary texts.
//
// Input: one selector byte, then the text (up to the first NUL, as the
// functions take C strings). Selector % 3: 0 SetAddress, 1 SetPort by text,
// 2 SetPort by number (the two bytes after the selector, little-endian).
//
// No DNS query may leave the machine. Texts of digits and dots are looked up
// in reverse, in the hosts file only; every other text would go to the
// resolver, so it gets the suffix ".invalid", which the library refuses
// without asking anyone. The suffix is placed within the
// first 4095 characters, all that the resolver sees. As a second guard, a
// root run moves into a network namespace of its own, with no routes.
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_check.h"
#include "net/file_socket.h"

namespace {

constexpr std::size_t kResolverLimit = 4095;
const std::string kRefusedSuffix = ".invalid";

class FuzzSocket : public CFileSocket {
 public:
  BOOL Open(LPCSTR /*lpszFileName*/, UINT /*nOpenFlags*/, CFileException* /*pError*/) override { return FALSE; }
  BOOL Prepare() override { return TRUE; }
};

bool IsAllDigitsAndDots(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

// Four decimal numbers of 0 to 255 separated by dots, leading zeros allowed.
bool IsDottedQuad(const std::string& text) {
  int parts = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = std::min(text.find('.', start), text.size());
    const std::string part = text.substr(start, dot - start);
    if (part.empty() || !IsAllDigitsAndDots(part)) return false;
    const std::size_t significant = part.find_first_not_of('0');
    if (significant != std::string::npos && (part.size() - significant > 3 || std::stoi(part) > 255)) return false;
    ++parts;
    if (dot == text.size()) return parts == 4;
    start = dot + 1;
  }
}

// The same quad written without leading zeros.
std::string Canonical(const std::string& quad) {
  std::string result;
  std::size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t dot = std::min(quad.find('.', start), quad.size());
    result += std::to_string(std::stoi(quad.substr(start, dot - start))) + (i < 3 ? "." : "");
    start = dot + 1;
  }
  return result;
}

void FuzzAddress(FuzzSocket& socket, std::string text) {
  const std::string seen = text.substr(0, kResolverLimit);
  const u_long converted = g_pSocketApi->inet_addr(seen.c_str());
  // Only a dotted quad converts, and to the decimal value of its parts.
  if (IsDottedQuad(seen)) {
    in_addr address;
    address.s_addr = converted;
    FUZZ_CHECK(Canonical(seen) == g_pSocketApi->inet_ntoa(address));
  } else {
    FUZZ_CHECK(converted == INADDR_NONE);
  }

  const bool numeric = IsAllDigitsAndDots(text);
  if (!numeric) text = text.substr(0, kResolverLimit - kRefusedSuffix.size()) + kRefusedSuffix;

  socket.SetAddress(text.c_str());

  if (numeric) {
    // The text stays the address; a hosts entry supplies the name.
    FUZZ_CHECK(socket.m_strDottedAddress.str() == text);
    FUZZ_CHECK(!socket.m_strHostName.IsEmpty() || text.empty());
  } else {
    FUZZ_CHECK(socket.m_strDottedAddress.IsEmpty());
    FUZZ_CHECK(socket.m_strHostName.IsEmpty());
    FUZZ_CHECK(socket.m_listAliases.IsEmpty());
    FUZZ_CHECK(socket.m_dwErrorCode == static_cast<DWORD>(WSAHOST_NOT_FOUND));
  }
}

void FuzzPortText(FuzzSocket& socket, const std::string& text) {
  socket.SetPort(text.c_str());
  const long number = std::strtol(text.c_str(), nullptr, 10);
  WORD port = 0;
  socket.GetPort(port);
  if (number != 0) {
    FUZZ_CHECK(port == static_cast<WORD>(static_cast<unsigned long>(number) & 0xFFFFu));
    FUZZ_CHECK(!socket.m_strPortName.IsEmpty());
    return;
  }
  // A service name: found, it is kept in lower case; not found, nothing changes.
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (socket.m_dwErrorCode == 0) {
    FUZZ_CHECK(socket.m_strPortName.str() == lower);
  } else {
    FUZZ_CHECK(socket.m_strPortName.IsEmpty());
    FUZZ_CHECK(port == 0);
  }
}

void FuzzPortNumber(FuzzSocket& socket, const std::uint8_t* bytes, std::size_t size) {
  const WORD wanted = static_cast<WORD>((size > 0 ? bytes[0] : 0) | (size > 1 ? bytes[1] << 8 : 0));
  socket.SetPort(wanted);
  WORD port = 0;
  socket.GetPort(port);
  FUZZ_CHECK(port == wanted);
  FUZZ_CHECK(!socket.m_strPortName.IsEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  if (geteuid() == 0) unshare(CLONE_NEWNET);  // best effort: the suffix is the guard that always holds
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t* textStart = data + 1;
  const std::uint8_t* textEnd = std::find(textStart, data + size, 0);
  const std::string text(textStart, textEnd);

  FuzzSocket socket;
  switch (data[0] % 3) {
    case 0: FuzzAddress(socket, text); break;
    case 1: FuzzPortText(socket, text); break;
    default: FuzzPortNumber(socket, data + 1, size - 1); break;
  }
  return 0;
}
