#include "tools/status_server/status_text.h"

#include <algorithm>
#include <vector>

namespace status_server {
namespace {

constexpr char kSeparator = '\x01';
constexpr std::size_t kExaminedLength = 150;
constexpr int kTimeLeftField = 11;

}  // namespace

std::string BuildStatusText(const ServerOptions& options) {
  // The fields the client does not show carry values a real server might
  // send: a server kind, a layout version, a track variant, the player
  // limit, a flags word, a lap count and two trailing counters.
  // The client replaces the first character of the time left with '0'.
  std::string timeLeft = "x";
  timeLeft += std::to_string(options.secondsLeft);
  const std::vector<std::string> fields = {"quillmar-status",
                                           "1",
                                           options.host,
                                           options.track,
                                           "0",
                                           options.players,
                                           "8",
                                           std::to_string(options.level),
                                           "0",
                                           options.session,
                                           "0",
                                           timeLeft,
                                           "0",
                                           "0"};
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) text += kSeparator;
    text += fields[i];
  }
  return text;
}

bool TimeLeftIsVisible(const std::string& statusText) {
  // The client closes the text with a separator of its own.
  const std::string closed = statusText + kSeparator;
  int separators = 0;
  for (std::size_t i = 0; i < std::min(closed.size(), kExaminedLength); ++i) {
    if (closed[i] == kSeparator && separators++ == kTimeLeftField) return true;
  }
  return false;
}

std::string BuildReply(const ServerOptions& options) {
  std::string reply = options.exactReply ? *options.exactReply : BuildStatusText(options);
  if (options.oversize && reply.size() < kOversizeLength) reply.resize(kOversizeLength, '.');
  return reply;
}

}  // namespace status_server
