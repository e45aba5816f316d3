// SetAddress and SetPort of the file-like socket over arbitrary texts.
//
// Input: one selector byte, then the text (up to the first NUL, as the
// functions take C strings). Selector % 3: 0 SetAddress, 1 SetPort by text,
// 2 SetPort by number (the two bytes after the selector, little-endian).
//
// No DNS query may leave the machine. Dotted texts are answered from the
// hosts file and dotted forms by the sockets library itself; every other
// text would go to the resolver, so it gets the suffix ".invalid", which the
// library refuses without asking anyone. The suffix is placed within the
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
  BOOL Open(LPCSTR, UINT, CFileException*) override { return FALSE; }
  BOOL Prepare() override { return TRUE; }
};

bool IsAllDigitsAndDots(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

// Names in the domain "invalid" are refused before anything else, dotted
// forms included ("1.2.3.4 x.invalid").
bool IsInInvalidDomain(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name == "invalid" || (name.size() > kRefusedSuffix.size() && name.ends_with(kRefusedSuffix));
}

// A text that the sockets library answers itself as an address.
bool IsDottedForm(const std::string& text) {
  const std::string seen = text.substr(0, kResolverLimit);
  if (IsInInvalidDomain(seen)) return false;
  return g_pSocketApi->inet_addr(seen.c_str()) != INADDR_NONE || seen == "255.255.255.255";
}

void FuzzAddress(FuzzSocket& socket, std::string text) {
  const bool numeric = IsAllDigitsAndDots(text);
  const bool dotted = !numeric && IsDottedForm(text);
  if (!numeric && !dotted) text = text.substr(0, kResolverLimit - kRefusedSuffix.size()) + kRefusedSuffix;

  socket.SetAddress(text.c_str());

  if (numeric) {
    // The text stays the address; a hosts entry supplies the name.
    FUZZ_CHECK(socket.m_strDottedAddress.str() == text);
    FUZZ_CHECK(!socket.m_strHostName.IsEmpty() || text.empty());
  } else if (dotted) {
    const std::string seen = text.substr(0, kResolverLimit);
    in_addr address;
    address.s_addr = g_pSocketApi->inet_addr(seen.c_str());
    FUZZ_CHECK(socket.m_strDottedAddress.str() == g_pSocketApi->inet_ntoa(address));
    FUZZ_CHECK(socket.m_strHostName.str() == seen);
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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
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
