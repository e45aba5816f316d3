#include "platform/icmpapi/error_queue.h"

#include <gtest/gtest.h>
#include <linux/errqueue.h>
#include <netinet/in.h>

#include <cstring>
#include <vector>

#include "tests/support/error_queue_message.h"

namespace {

constexpr std::uint8_t kRouter[4] = {192, 0, 2, 2};
constexpr std::uint8_t kTarget[4] = {10, 1, 2, 3};

std::uint32_t Address(const std::uint8_t (&bytes)[4]) {
  std::uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

// An error-queue entry whose IP_RECVERR header and data are complete in the
// buffer, while msg_controllen may say that fewer bytes were delivered: the
// bytes beyond it must not be read.
struct CutControlData : vqtest::ErrorQueueMessage {
  CutControlData() : ErrorQueueMessage(Address(kTarget), Address(kRouter), SO_EE_ORIGIN_ICMP, std::nullopt) {}

  std::optional<icmpapi::QueuedIcmpError> Decode(std::size_t deliveredBytes) {
    message.msg_controllen = deliveredBytes;
    return icmpapi::QueuedErrorFromMessage(message, {});
  }
};

TEST(ErrorQueue, ControlDataCutShortIsReadOnlyAsFarAsItWasDelivered) {
  CutControlData entry;
  const std::optional<icmpapi::QueuedIcmpError> whole =
      entry.Decode(CMSG_SPACE(sizeof(sock_extended_err) + sizeof(sockaddr_in)));
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(whole->offender, Address(kRouter));

  // The offender's address was cut off: the error stands, the router is unknown.
  const std::optional<icmpapi::QueuedIcmpError> noOffender = entry.Decode(CMSG_LEN(sizeof(sock_extended_err)) + 4);
  ASSERT_TRUE(noOffender.has_value());
  EXPECT_EQ(noOffender->type, 3);
  EXPECT_EQ(noOffender->code, 1);
  EXPECT_EQ(noOffender->offender, 0u);

  // Cut inside the extended error: nothing to report.
  EXPECT_FALSE(entry.Decode(CMSG_LEN(sizeof(sock_extended_err)) - 1).has_value());
}

TEST(ErrorQueue, HeaderClaimingLessThanItsOwnSizeIsNotRead) {
  CutControlData entry;
  entry.header->cmsg_len = sizeof(cmsghdr) / 2;
  EXPECT_FALSE(entry.Decode(sizeof entry.control).has_value());
}

}  // namespace
