#include "tools/echo_helper/request_server.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "platform/icmp/echo_exchange.h"
#include "platform/icmp/echo_helper_protocol.h"
#include "platform/icmp/echo_reply_record.h"
#include "platform/kernel/last_error.h"
#include "tools/echo_helper/stream_io.h"

namespace echo_helper {
namespace {

namespace helper = icmp::helper;
using Clock = std::chrono::steady_clock;

// However fast the parent asks, the helper sends at most this often: it is
// no flood tool for users who may not open ICMP sockets themselves.
constexpr auto kMinRequestSpacing = std::chrono::milliseconds(10);

bool SendReply(int outFd, const helper::Reply& reply) {
  const std::vector<std::uint8_t> bytes = helper::EncodeReply(reply);
  return WriteAll(outFd, bytes.data(), bytes.size());
}

helper::Reply Refusal(std::uint32_t lastError) { return helper::Reply{0, lastError, {}}; }

helper::Reply Echo(icmp::EchoSocket& socket, const helper::Request& request) {
  IP_OPTION_INFORMATION options{request.ttl, request.tos, request.flags, 0, nullptr};
  icmp::EchoRequest echo;
  echo.destination = request.destination;
  echo.payload = icmp::Bytes(request.data.data(), request.data.size());
  echo.options = &options;
  echo.timeoutMs = request.timeoutMs;
  std::vector<std::uint8_t> buffer(icmp::ReplyBufferNeeded(request.data.size()));
  SetLastError(ERROR_SUCCESS);
  const std::uint32_t count = icmp::ExchangeEcho(socket, echo, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
  if (count == 0) return Refusal(GetLastError());
  ICMP_ECHO_REPLY record{};
  std::memcpy(&record, buffer.data(), sizeof record);
  buffer.resize(icmp::ReplyBufferNeeded(record.DataSize));
  return helper::Reply{1, ERROR_SUCCESS, std::move(buffer)};
}

}  // namespace

ServeEnd ServeRequests(icmp::EchoSocket& socket, int inFd, int outFd) {
  std::optional<Clock::time_point> lastSend;
  for (;;) {
    std::uint8_t headerBytes[helper::kRequestHeaderSize];
    const ReadResult read = ReadExactly(inFd, headerBytes, sizeof headerBytes);
    if (read == ReadResult::EndOfStream) return ServeEnd::PipeClosed;
    if (read == ReadResult::Broken) return ServeEnd::PipeBroken;
    const std::optional<helper::RequestHeader> header = helper::DecodeRequestHeader(headerBytes);
    if (!header) {
      (void)SendReply(outFd, Refusal(ERROR_INVALID_PARAMETER));
      return ServeEnd::BadFraming;
    }
    helper::Request request = header->fields;
    request.data.resize(header->dataSize);
    if (ReadExactly(inFd, request.data.data(), request.data.size()) != ReadResult::Complete) {
      return ServeEnd::PipeBroken;
    }
    const std::uint32_t refused = helper::CheckRequest(request);
    if (refused != ERROR_SUCCESS) {
      if (!SendReply(outFd, Refusal(refused))) return ServeEnd::PipeBroken;
      continue;
    }
    if (lastSend) std::this_thread::sleep_until(*lastSend + kMinRequestSpacing);
    lastSend = Clock::now();
    if (!SendReply(outFd, Echo(socket, request))) return ServeEnd::PipeBroken;
  }
}

}  // namespace echo_helper
