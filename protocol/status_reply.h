#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Decoding of a game server's status reply. The reply is 8-bit text with
// fields separated by 0x01; six of them feed the dialog's result fields.
// The decoder is pure: the caller assigns each update to its dialog string
// and shows it at once, in the order given.

enum class StatusField { Host, Track, Players, Type, Session, TimeLeft };

struct StatusFieldUpdate {
  StatusField field;
  std::string text;

  friend bool operator==(const StatusFieldUpdate&, const StatusFieldUpdate&) = default;
};

// Only this many characters of the reply text (the appended closing
// separator included) are looked at; fields closed later are not decoded.
inline constexpr std::size_t kStatusReplyExaminedLength = 150;

// Turns the received bytes into field updates in reply order. The text ends
// at the first NUL byte or after `length` bytes. Field 7 (level) yields an
// update only for levels 0 to 3. `data` may be null when `length` is 0.
std::vector<StatusFieldUpdate> DecodeStatusReply(const unsigned char* data, std::size_t length);
