#include "protocol/status_reply.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "protocol/saturating_atoi.h"

namespace {

constexpr char kFieldSeparator = '\x01';

std::string ReplyText(const unsigned char* data, std::size_t length) {
  if (data == nullptr) return {};
  const unsigned char* end = std::find(data, data + length, 0);
  return std::string(data, end);
}

std::optional<std::string> LevelName(std::string_view field) {
  switch (SaturatingAtoi(field)) {
    case 0: return "Novice";
    case 1: return "Intermediate";
    case 2: return "Pro";
    case 3: return "Grand Prix";
    default: return std::nullopt;
  }
}

// The server writes the seconds behind one leading character that carries
// no value; it becomes '0' so that it cannot disturb the number. An empty
// field counts as zero seconds.
std::string MinutesLeft(std::string field) {
  if (!field.empty()) field[0] = '0';
  return std::to_string(SaturatingAtoi(field) / 60) + " Mins";
}

// The positions of the fields the reply's text carries, counted from 0
// between separators; the others are not shown.
enum ReplyFieldIndex : int {
  kHostIndex = 2,
  kTrackIndex = 3,
  kPlayersIndex = 5,
  kLevelIndex = 7,
  kSessionIndex = 9,
  kSecondsLeftIndex = 11,
};

std::optional<StatusFieldUpdate> UpdateForField(int index, const std::string& field) {
  switch (index) {
    case kHostIndex: return StatusFieldUpdate{StatusField::Host, field};
    case kTrackIndex: return StatusFieldUpdate{StatusField::Track, field};
    case kPlayersIndex: return StatusFieldUpdate{StatusField::Players, field};
    case kLevelIndex: {
      std::optional<std::string> name = LevelName(field);
      if (!name) return std::nullopt;
      return StatusFieldUpdate{StatusField::Type, *name};
    }
    case kSessionIndex: return StatusFieldUpdate{StatusField::Session, field};
    case kSecondsLeftIndex: return StatusFieldUpdate{StatusField::TimeLeft, MinutesLeft(field)};
    default: return std::nullopt;
  }
}

}  // namespace

std::vector<StatusFieldUpdate> DecodeStatusReply(const unsigned char* data, std::size_t length) {
  std::string text = ReplyText(data, length);
  text.push_back(kFieldSeparator);  // closes the last field
  const std::size_t examined = std::min(text.size(), kStatusReplyExaminedLength);

  std::vector<StatusFieldUpdate> updates;
  int index = 0;
  std::string field;
  for (std::size_t i = 0; i < examined; ++i) {
    if (text[i] != kFieldSeparator) {
      field.push_back(text[i]);
      continue;
    }
    if (std::optional<StatusFieldUpdate> update = UpdateForField(index, field)) {
      updates.push_back(std::move(*update));
    }
    ++index;
    field.clear();
  }
  return updates;
}
