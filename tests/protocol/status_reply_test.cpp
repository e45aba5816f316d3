#include "protocol/status_reply.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/saturating_atoi.h"
#include "protocol/status_request.h"
#include "tests/support/status_reply_text.h"

namespace {

const char* NameOf(StatusField field) {
  switch (field) {
    case StatusField::Host: return "Host";
    case StatusField::Track: return "Track";
    case StatusField::Players: return "Players";
    case StatusField::Type: return "Type";
    case StatusField::Session: return "Session";
    case StatusField::TimeLeft: return "TimeLeft";
  }
  return "?";
}

using Updates = std::vector<StatusFieldUpdate>;

using vqtest::StatusReply;

Updates Decode(const std::string& reply) {
  return DecodeStatusReply(reinterpret_cast<const unsigned char*>(reply.data()), reply.size());
}

// The twelve fields of a typical reply, with the level and time left given.
std::string TypicalReply(const std::string& level, const std::string& timeLeft) {
  return StatusReply({"a", "b", "HostA", "TrackB", "x", "12", "y", level, "z", "S1", "w", timeLeft});
}

std::optional<std::string> TextOf(const Updates& updates, StatusField field) {
  std::optional<std::string> text;
  for (const StatusFieldUpdate& update : updates) {
    if (update.field == field) text = update.text;
  }
  return text;
}

}  // namespace

void PrintTo(const StatusFieldUpdate& update, std::ostream* os) {
  *os << NameOf(update.field) << "=\"" << update.text << '"';
}

TEST(StatusRequest, SendsTheFirstFourBytesOfTheRequestTextToPort6971) {
  EXPECT_EQ(kStatusPort, 6971);
  EXPECT_EQ(kStatusRequestText.substr(0, kStatusRequestLength), "\x61\x6E\x79\x74");
}

TEST(DecodeStatusReply, TypicalReplyFillsAllSixFieldsInReplyOrder) {
  const Updates expected = {
      {StatusField::Host, "HostA"}, {StatusField::Track, "TrackB"}, {StatusField::Players, "12"},
      {StatusField::Type, "Pro"},   {StatusField::Session, "S1"},   {StatusField::TimeLeft, "10 Mins"},
  };
  EXPECT_EQ(Decode(TypicalReply("2", "x600")), expected);
}

TEST(DecodeStatusReply, FieldsAfterTheEleventhAreIgnored) {
  const std::string reply = TypicalReply("2", "x600") + StatusReply({"", "more", "and more"});
  EXPECT_EQ(Decode(reply), Decode(TypicalReply("2", "x600")));
}

struct LevelCase {
  const char* field;
  const char* shown;  // nullptr: TYPE is left alone
};

class LevelField : public testing::TestWithParam<LevelCase> {};

TEST_P(LevelField, MapsLevelsZeroToThreeAndLeavesTypeAloneOtherwise) {
  const Updates updates = Decode(TypicalReply(GetParam().field, "x60"));
  const std::optional<std::string> shown = TextOf(updates, StatusField::Type);
  if (GetParam().shown == nullptr) {
    EXPECT_FALSE(shown.has_value()) << "TYPE set to " << *shown;
    EXPECT_EQ(updates.size(), 5u);
  } else {
    EXPECT_EQ(shown, GetParam().shown);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelField,
                         testing::Values(LevelCase{"0", "Novice"}, LevelCase{"1", "Intermediate"},
                                         LevelCase{"2", "Pro"}, LevelCase{"3", "Grand Prix"},
                                         LevelCase{"letters", "Novice"}, LevelCase{"", "Novice"},
                                         LevelCase{" \t\n\v\f\r+3 laps", "Grand Prix"}, LevelCase{"-0", "Novice"},
                                         LevelCase{"7", nullptr}, LevelCase{"-1", nullptr}, LevelCase{"4", nullptr},
                                         // Must not wrap around into 0..3 (2^32 + 2 would wrap to 2).
                                         LevelCase{"4294967298", nullptr}, LevelCase{"99999999999999999999", nullptr},
                                         LevelCase{"-99999999999999999999", nullptr}));

struct TimeLeftCase {
  const char* field;
  const char* shown;
};

class TimeLeftField : public testing::TestWithParam<TimeLeftCase> {};

TEST_P(TimeLeftField, ReplacesTheFirstCharacterAndShowsWholeMinutes) {
  EXPECT_EQ(TextOf(Decode(TypicalReply("1", GetParam().field)), StatusField::TimeLeft), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Seconds, TimeLeftField,
                         testing::Values(TimeLeftCase{"x5400", "90 Mins"}, TimeLeftCase{"1234", "3 Mins"},
                                         TimeLeftCase{"x59", "0 Mins"}, TimeLeftCase{"x119", "1 Mins"},
                                         TimeLeftCase{"", "0 Mins"}, TimeLeftCase{"x", "0 Mins"},
                                         TimeLeftCase{"xabc", "0 Mins"},
                                         // The '0' put in front stops atoi before any sign.
                                         TimeLeftCase{"x-600", "0 Mins"}, TimeLeftCase{"-600", "10 Mins"},
                                         // Overlong numbers saturate at INT_MAX seconds.
                                         TimeLeftCase{"x99999999999999999999999999", "35791394 Mins"}));

TEST(DecodeStatusReply, NulByteEndsTheReply) {
  std::string reply = TypicalReply("2", "x600");
  reply.insert(reply.find("TrackB") + 5, 1, '\0');  // "Track" + NUL + "B..."
  const Updates expected = {{StatusField::Host, "HostA"}, {StatusField::Track, "Track"}};
  EXPECT_EQ(Decode(reply), expected);
}

TEST(DecodeStatusReply, ReplyWithoutClosedFieldsChangesNothing) {
  EXPECT_TRUE(Decode(std::string("\0a\x01"
                                 "b\x01HostA\x01",
                                 11))
                  .empty());
  EXPECT_TRUE(Decode("").empty());
  EXPECT_TRUE(DecodeStatusReply(nullptr, 0).empty());
  EXPECT_TRUE(Decode(StatusReply({"a", "b"})).empty());
}

TEST(DecodeStatusReply, ReceivedLengthEndsTheReplyEvenWithoutNul) {
  const std::string reply = TypicalReply("2", "x600") + "garbage";
  const std::size_t cut = reply.find("S1") + 1;  // cut inside field 9
  const Updates updates = DecodeStatusReply(reinterpret_cast<const unsigned char*>(reply.data()), cut);
  ASSERT_EQ(updates.size(), 5u);
  EXPECT_EQ(updates.back(), (StatusFieldUpdate{StatusField::Session, "S"}));
}

TEST(DecodeStatusReply, EmptyHostFieldSetsHostToEmpty) {
  const Updates updates = Decode(StatusReply({"a", "b", "", "TrackB"}));
  const Updates expected = {{StatusField::Host, ""}, {StatusField::Track, "TrackB"}};
  EXPECT_EQ(updates, expected);
}

TEST(DecodeStatusReply, FewerSeparatorsFillOnlyTheClosedFields) {
  // Field 5 is closed by the appended separator; field 6 and later never exist.
  const Updates expected = {{StatusField::Host, "HostA"}, {StatusField::Track, "TrackB"}, {StatusField::Players, "12"}};
  EXPECT_EQ(Decode(StatusReply({"a", "b", "HostA", "TrackB", "x", "12"})), expected);
}

TEST(DecodeStatusReply, KeepsBytesAboveAsciiUnchanged) {
  const Updates updates = Decode(StatusReply({"a", "b", "H\xE9\xFF\x02t"}));
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].text, "H\xE9\xFF\x02t");
}

// Builds the typical reply with field 10 padded so that the separator that
// closes field 11 (the appended one) lands at `closingPosition`.
std::string ReplyWithTimeLeftClosedAt(std::size_t closingPosition) {
  const std::string withoutPadding = TypicalReply("2", "x600");
  const std::size_t unpaddedClosing = withoutPadding.size();
  const std::string padding(closingPosition - unpaddedClosing, 'w');
  return StatusReply({"a", "b", "HostA", "TrackB", "x", "12", "y", "2", "z", "S1", "w" + padding, "x600"});
}

TEST(DecodeStatusReply, TimeLeftClosedAtTheLastExaminedPositionIsShown) {
  const std::string reply = ReplyWithTimeLeftClosedAt(149);
  ASSERT_EQ(reply.size(), 149u);
  EXPECT_EQ(TextOf(Decode(reply), StatusField::TimeLeft), "10 Mins");
}

TEST(DecodeStatusReply, TimeLeftClosedJustPastTheLimitIsNotShownButEarlierFieldsAre) {
  const std::string reply = ReplyWithTimeLeftClosedAt(150);
  const Updates updates = Decode(reply);
  EXPECT_FALSE(TextOf(updates, StatusField::TimeLeft).has_value());
  EXPECT_EQ(updates.size(), 5u);
  EXPECT_EQ(TextOf(updates, StatusField::Session), "S1");
  // An explicit separator at the limit is just as invisible as the appended one.
  EXPECT_FALSE(TextOf(Decode(reply + "\x01more"), StatusField::TimeLeft).has_value());
}

TEST(SaturatingAtoi, ConvertsTheEdgesOfIntAndSaturatesBeyond) {
  EXPECT_EQ(SaturatingAtoi("2147483647"), INT_MAX);
  EXPECT_EQ(SaturatingAtoi("-2147483648"), INT_MIN);
  EXPECT_EQ(SaturatingAtoi("2147483648"), INT_MAX);
  EXPECT_EQ(SaturatingAtoi("-2147483649"), INT_MIN);
  EXPECT_EQ(SaturatingAtoi("000000000000000000000042x7"), 42);
  EXPECT_EQ(SaturatingAtoi("- 5"), 0);
  EXPECT_EQ(SaturatingAtoi("+-5"), 0);
  EXPECT_EQ(SaturatingAtoi("\xA0"
                           "5"),
            0);  // only the C locale's white space counts
}
