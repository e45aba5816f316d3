#include "platform/icmp/echo_reply_record.h"

#include <cstring>

namespace icmp {

bool StoreEchoReply(const PacketOutcome& outcome, std::uint32_t roundTripMs, void* buffer, std::size_t size) {
  if (buffer == nullptr || size < ReplyBufferNeeded(outcome.data.size()) || outcome.data.size() > 0xFFFF) {
    return false;
  }
  ICMP_ECHO_REPLY record{};
  record.Address = outcome.address;
  record.Status = outcome.status;
  record.RoundTripTime = roundTripMs;
  record.DataSize = static_cast<USHORT>(outcome.data.size());
  record.Data = static_cast<ULONG>(kReplyRecordSize);
  record.Options.Ttl = outcome.ttl;
  record.Options.Tos = outcome.tos;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::memcpy(bytes, &record, sizeof record);
  if (!outcome.data.empty()) std::memcpy(bytes + kReplyRecordSize, outcome.data.data(), outcome.data.size());
  return true;
}

}  // namespace icmp
