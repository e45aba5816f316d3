// The status reply decoder over arbitrary received bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/status_reply.h"

namespace {

bool IsLevelName(const std::string& text) {
  return text == "Novice" || text == "Intermediate" || text == "Pro" || text == "Grand Prix";
}

bool EndsWithMinutes(const std::string& text) {
  const std::string suffix = " Mins";
  return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<StatusFieldUpdate> updates = DecodeStatusReply(data, size);

  // Six fields at most, each at most once, in reply order.
  FUZZ_CHECK(updates.size() <= 6);
  for (std::size_t i = 1; i < updates.size(); ++i) {
    FUZZ_CHECK(static_cast<int>(updates[i - 1].field) < static_cast<int>(updates[i].field));
  }
  for (const StatusFieldUpdate& update : updates) {
    FUZZ_CHECK(update.text.size() <= kStatusReplyExaminedLength);
    FUZZ_CHECK(update.text.find('\x01') == std::string::npos);
    FUZZ_CHECK(update.text.find('\0') == std::string::npos);
    if (update.field == StatusField::Type) FUZZ_CHECK(IsLevelName(update.text));
    if (update.field == StatusField::TimeLeft) FUZZ_CHECK(EndsWithMinutes(update.text));
  }

  // Bytes after the first NUL are never looked at.
  std::size_t textLength = 0;
  while (textLength < size && data[textLength] != 0) ++textLength;
  if (textLength < size) FUZZ_CHECK(DecodeStatusReply(data, textLength) == updates);
  return 0;
}
