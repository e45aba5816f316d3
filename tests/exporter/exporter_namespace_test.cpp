// The exporter in a private network namespace: a refused target gets no
// packet, and a thousand scrapes at once of a thousand servers (one
// stand-in answering for the whole loopback range) all come back, each with
// its own server's answer, leaving no descriptor or memory behind.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/exporter/exporter_process.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/udp_peer.h"

namespace {

using vqtest::Get;
using vqtest::SampleLine;

// A namespace of its own, entered for good, where ICMP echo sockets are open
// to every group as on a Debian desktop.
void EnterPrivateNetwork(const std::vector<std::string>& command = {}) {
  netns::Namespace network = netns::Namespace::Create();
  network.WriteSysctl("net.ipv4.ping_group_range", "0 2147483647");
  if (!command.empty()) network.Run(command);
  network.EnterPermanently();
}

std::size_t DescriptorCount(int pid) {
  const std::filesystem::directory_iterator entries("/proc/" + std::to_string(pid) + "/fd");
  return static_cast<std::size_t>(std::distance(entries, std::filesystem::directory_iterator()));
}

long ResidentKilobytes(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

TEST(ExporterNamespaceTest, ForbiddenTargetGetsNoDatagram) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    EnterPrivateNetwork({"ip", "addr", "add", "192.0.2.1/32", "dev", "lo"});
    vqtest::UdpPeer peer("192.0.2.1", 6971);
    vqtest::StatusServerProcess exporter = vqtest::StartExporter("127.0.0.1", {"--allow", "192.0.2.128/25"});
    const httplib::Result refused = Get(exporter, "/probe?target=192.0.2.1");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    // Loopback delivers at once: a request sent before the answer would wait here.
    EXPECT_FALSE(peer.Receive(0));
    const httplib::Result metrics = Get(exporter, "/metrics");
    ASSERT_TRUE(metrics);
    EXPECT_NE(metrics->body.find("reason=\"forbidden\"} 1\n"), std::string::npos) << metrics->body;
  });
}

// A thousand scrapes of distinct servers started together; every answer is
// its own server's (the stand-in names the address asked as the host).
void ScrapeAThousand(const vqtest::StatusServerProcess& exporter) {
  constexpr int kScrapes = 1000;
  std::barrier start(kScrapes);
  std::atomic<int> right{0};
  std::vector<std::thread> scrapes;
  scrapes.reserve(kScrapes);
  for (int i = 0; i < kScrapes; ++i) {
    scrapes.emplace_back([&, i] {
      const std::string target = "127.0." + std::to_string(2 + i / 250) + "." + std::to_string(1 + i % 250);
      start.arrive_and_wait();
      const httplib::Result result = Get(exporter, "/probe?target=" + target);
      // The answer, and the echo too, is this probe's own among a thousand at once.
      const bool answered = result && result->status == 200;
      if (answered &&
          SampleLine(result->body, "quillmar_server_info")
              .starts_with("quillmar_server_info{host=\"" + target + "\"") &&
          SampleLine(result->body, "quillmar_echo_success") == "quillmar_echo_success 1") {
        ++right;
      }
    });
  }
  for (std::thread& scrape : scrapes) scrape.join();
  EXPECT_EQ(right.load(), kScrapes);
}

TEST(ExporterNamespaceTest, AThousandConcurrentScrapesLeaveNothingBehind) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD(
      [] {
        EnterPrivateNetwork();
        vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "0.0.0.0", "--host-is-address"});
        vqtest::StatusServerProcess exporter = vqtest::StartExporter("127.0.0.1", {"--max-concurrent", "1000"});
        const std::size_t descriptors = DescriptorCount(exporter.Pid());
        ScrapeAThousand(exporter);
        const long afterFirst = ResidentKilobytes(exporter.Pid());
        ScrapeAThousand(exporter);
        const long afterSecond = ResidentKilobytes(exporter.Pid());
        EXPECT_LT(afterSecond, afterFirst + afterFirst / 2) << "VmRSS in kB";
        // The exporter closes a connection once it sees the client's end: wait for it, bounded.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::size_t now = DescriptorCount(exporter.Pid());
        while (now != descriptors && std::chrono::steady_clock::now() < limit) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          now = DescriptorCount(exporter.Pid());
        }
        EXPECT_EQ(now, descriptors);
      },
      240);
}

}  // namespace
