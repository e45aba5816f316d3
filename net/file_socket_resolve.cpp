#include <cstdlib>
#include <cstring>

#include "net/file_socket.h"
#include "net/no_throw.h"
#include "platform/winsock/address_text.h"

namespace {

// Resolver working buffer: 4095 characters and the NUL. Longer texts are
// cut, so the resolver sees their first 4095 characters.
constexpr size_t kResolverBufferSize = 4096;

// Numeric when every character is a digit or a dot; an empty text is numeric.
bool IsNumericAddress(const CString& text) {
  for (int i = 0; i < text.GetLength(); ++i) {
    const char ch = text[i];
    if (ch != '.' && (ch < '0' || ch > '9')) return false;
  }
  return true;
}

}  // namespace

void CFileSocket::SetAddress(LPCSTR lpszAddress) {
  m_strHostName.Empty();
  m_strDottedAddress.Empty();
  m_listAliases.RemoveAll();
  if (lpszAddress == nullptr) return;
  net_detail::RunWithoutThrowing([&] {
    const CString text(lpszAddress);
    const bool numeric = IsNumericAddress(text);
    char buffer[kResolverBufferSize] = {};
    std::strncpy(buffer, text, kResolverBufferSize - 1);
    if (!winsock::MayResolve(buffer)) {  // a form the system's resolver would misread
      g_pSocketApi->WSASetLastError(WSAHOST_NOT_FOUND);
      RecordSocketError();
      return;
    }

    hostent* host = nullptr;
    if (numeric) {
      m_strHostName = text;
      m_strDottedAddress = text;
      // The library's inet_addr may read leading zeros as octal.
      const u_long address = winsock::DottedQuadAddress(buffer);  // INADDR_NONE is looked up like any other
      host = g_pSocketApi->gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET);
    } else {
      host = g_pSocketApi->gethostbyname(buffer);
    }
    if (host == nullptr) {
      RecordSocketError();
      return;
    }

    // A numeric text keeps itself as the dotted address; a name takes its
    // first address. The alias list is still empty from the start.
    if (!numeric) {
      // A record without any address is treated like an address that
      // cannot be written as text.
      if (host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) return;
      in_addr first;
      std::memcpy(&first, host->h_addr_list[0], sizeof(first));
      const char* dotted = g_pSocketApi->inet_ntoa(first);
      if (dotted == nullptr) return;
      m_strDottedAddress = dotted;
    }
    m_strHostName = host->h_name;
    for (char** alias = host->h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
      m_listAliases.AddTail(CString(*alias));
    }
  });
}

void CFileSocket::SetPort(WORD wPort) {
  m_wPort = g_pSocketApi->htons(wPort);
  net_detail::RunWithoutThrowing([&] {
    const servent* service = g_pSocketApi->getservbyport(m_wPort, nullptr);
    if (service == nullptr) {
      RecordSocketError();
      m_strPortName.Format("Port #%u", static_cast<unsigned>(wPort));
      return;
    }
    m_strPortName = service->s_name;
  });
}

void CFileSocket::SetPort(LPCSTR lpszPort) {
  if (lpszPort == nullptr) {
    m_strPortName.Empty();
    m_wPort = 0;
    return;
  }
  net_detail::RunWithoutThrowing([&] {
    // strtol rather than atoi: the same digits, but a defined result for
    // numbers beyond the int range. The port is the low 16 bits.
    const long number = std::strtol(lpszPort, nullptr, 10);
    if (number != 0) {
      SetPort(static_cast<WORD>(static_cast<unsigned long>(number) & 0xFFFFu));
      return;
    }
    CString name(lpszPort);
    name.MakeLower();
    const servent* service = g_pSocketApi->getservbyname(name, nullptr);
    if (service == nullptr) {
      RecordSocketError();
      return;
    }
    m_strPortName = name;
    m_wPort = static_cast<WORD>(service->s_port);
  });
}
