#include "platform/icmp/error_queue.h"

#include <gtest/gtest.h>
#include <linux/errqueue.h>
#include <netinet/in.h>

#include <cstring>
#include <vector>

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
struct CutControlData {
  alignas(cmsghdr) std::uint8_t control[128] = {};
  sockaddr_in destination{};
  msghdr message{};
  cmsghdr* header = nullptr;

  CutControlData() {
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = Address(kTarget);
    message.msg_name = &destination;
    message.msg_namelen = sizeof destination;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_RECVERR;
    header->cmsg_len = CMSG_LEN(sizeof(sock_extended_err) + sizeof(sockaddr_in));
    sock_extended_err ee{};
    ee.ee_errno = EHOSTUNREACH;
    ee.ee_origin = SO_EE_ORIGIN_ICMP;
    ee.ee_type = 3;
    ee.ee_code = 1;
    sockaddr_in offender{};
    offender.sin_family = AF_INET;
    offender.sin_addr.s_addr = Address(kRouter);
    std::memcpy(CMSG_DATA(header), &ee, sizeof ee);
    std::memcpy(CMSG_DATA(header) + sizeof ee, &offender, sizeof offender);
  }

  std::optional<icmp::QueuedIcmpError> Decode(std::size_t deliveredBytes) {
    message.msg_controllen = deliveredBytes;
    return icmp::QueuedErrorFromMessage(message, {});
  }
};

TEST(ErrorQueue, ControlDataCutShortIsReadOnlyAsFarAsItWasDelivered) {
  CutControlData entry;
  const std::optional<icmp::QueuedIcmpError> whole = entry.Decode(CMSG_SPACE(sizeof(sock_extended_err) + sizeof(sockaddr_in)));
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(whole->offender, Address(kRouter));

  // The offender's address was cut off: the error stands, the router is unknown.
  const std::optional<icmp::QueuedIcmpError> noOffender = entry.Decode(CMSG_LEN(sizeof(sock_extended_err)) + 4);
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
