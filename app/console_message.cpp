#include "app/console_message.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "app/query_output.h"

namespace {

// The numbers of the Windows Sockets library (winsock.h), in order.
constexpr std::array<std::pair<long, std::string_view>, 52> kSocketErrors = {{
    {10004, "interrupted system call"},
    {10009, "bad file descriptor"},
    {10013, "permission denied"},
    {10014, "bad address"},
    {10022, "invalid argument"},
    {10024, "too many open files"},
    {10035, "resource temporarily unavailable"},
    {10036, "operation now in progress"},
    {10037, "operation already in progress"},
    {10038, "socket operation on non-socket"},
    {10039, "destination address required"},
    {10040, "message too long"},
    {10041, "protocol wrong type for socket"},
    {10042, "protocol not available"},
    {10043, "protocol not supported"},
    {10044, "socket type not supported"},
    {10045, "operation not supported"},
    {10046, "protocol family not supported"},
    {10047, "address family not supported by protocol"},
    {10048, "address already in use"},
    {10049, "cannot assign requested address"},
    {10050, "network is down"},
    {10051, "network is unreachable"},
    {10052, "network dropped connection on reset"},
    {10053, "software caused connection abort"},
    {10054, "connection reset by peer"},
    {10055, "no buffer space available"},
    {10056, "socket is already connected"},
    {10057, "socket is not connected"},
    {10058, "cannot send after socket shutdown"},
    {10059, "too many references"},
    {10060, "connection timed out"},
    {10061, "connection refused"},
    {10062, "too many levels of symbolic links"},
    {10063, "name too long"},
    {10064, "host is down"},
    {10065, "no route to host"},
    {10066, "directory not empty"},
    {10067, "too many processes"},
    {10068, "too many users"},
    {10069, "disk quota exceeded"},
    {10070, "stale file handle"},
    {10071, "object is remote"},
    {10091, "network subsystem is unavailable"},
    {10092, "sockets library version not supported"},
    {10093, "sockets library not started"},
    {10101, "graceful shutdown in progress"},
    {10107, "system call failure"},
    {11001, "host not found"},
    {11002, "temporary failure in name resolution"},
    {11003, "non-recoverable failure in name resolution"},
    {11004, "no address associated with name"},
}};

constexpr std::string_view kErrorMark = " error #";

// The number at the end of "<what> error #<number>"; -1 when the text does
// not end so.
long TrailingErrorNumber(std::string_view text) {
  const std::size_t mark = text.rfind(kErrorMark);
  if (mark == std::string_view::npos) return -1;
  const std::string_view digits = text.substr(mark + kErrorMark.size());
  long number = -1;
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (failure != std::errc() || end != digits.data() + digits.size()) return -1;
  return number;  // a negative one has no words
}

// The message with the words for its socket error number, when it has one.
CString Explained(const CString& message) {
  const std::string_view words = SocketErrorWords(TrailingErrorNumber(message.str()));
  return words.empty() ? message : message + ": " + CString(words);
}

}  // namespace

std::string_view SocketErrorWords(long error) {
  const auto* found = std::find_if(kSocketErrors.begin(), kSocketErrors.end(),
                                   [error](const auto& entry) { return entry.first == error; });
  return found == kSocketErrors.end() ? std::string_view() : found->second;
}

std::string ConsoleMessageLine(const CString& message) { return ConsoleLine(Explained(message)); }

std::string ConsoleMessageLine(const CString& address, const CString& message) {
  return ConsoleAddress(address) + ": " + ConsoleMessageLine(message);
}
