#include "platform/icmpapi/echo_reply_record.h"

#include <cstring>

namespace icmpapi {
namespace {

PacketOutcome OutcomeOf(const EchoResult& result) {
  PacketOutcome outcome;
  outcome.address = result.address;
  outcome.status = result.status;
  outcome.ttl = result.ttl;
  outcome.data = Bytes(result.data.data(), result.data.size());
  return outcome;
}

}  // namespace

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
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::memcpy(bytes, &record, sizeof record);
  if (!outcome.data.empty()) std::memcpy(bytes + kReplyRecordSize, outcome.data.data(), outcome.data.size());
  return true;
}

bool StoreEchoResult(const EchoResult& result, void* buffer, std::size_t size) {
  return StoreEchoReply(OutcomeOf(result), WholeMilliseconds(result.roundTripMicroseconds), buffer, size);
}

std::vector<std::uint8_t> EchoRecordBytes(const EchoResult& result) {
  std::vector<std::uint8_t> bytes(ReplyBufferNeeded(result.data.size()));
  if (!StoreEchoResult(result, bytes.data(), bytes.size())) return {};
  return bytes;
}

std::optional<EchoResult> EchoResultFromRecord(Bytes record, std::int64_t roundTripMicroseconds) {
  if (record.size() < kReplyRecordSize) return std::nullopt;
  ICMP_ECHO_REPLY header{};
  std::memcpy(&header, record.data(), sizeof header);
  if (header.Data != kReplyRecordSize || kReplyRecordSize + header.DataSize != record.size() ||
      header.RoundTripTime != WholeMilliseconds(roundTripMicroseconds)) {
    return std::nullopt;
  }
  EchoResult result;
  result.answered = true;
  result.status = header.Status;
  result.address = header.Address;
  result.ttl = header.Options.Ttl;
  result.data.assign(record.begin() + kReplyRecordSize, record.end());
  result.roundTripMicroseconds = roundTripMicroseconds;
  return result;
}

}  // namespace icmpapi
