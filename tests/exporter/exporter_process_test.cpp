// The exporter as a process on loopback, scraped over HTTP, probing the
// stand-in status server.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "tests/exporter/exporter_process.h"
#include "tests/exporter/metrics_check.h"

namespace {

using vqtest::Get;
using vqtest::SampleLine;

TEST(ExporterProcessTest, ProbeAnswersWithTheServersStatusAndHostileTextsStayInTheirLabels) {
  // host "Q\"uo\\te\nx", players "5/12", type Pro, session "S\xE9", 3660 s left: a
  // reply with a quote, backslash, line feed and a byte that is no UTF-8.
  const std::string reply =
      "61016201"
      "5122756F5C74650A78"
      "01"
      "54"
      "0178"
      "01352F3132"
      "0178"
      "0132"
      "0178"
      "0153E9"
      "0178"
      "017833363630";
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER,
                                     {"--bind", vqtest::DistinctLoopbackAddress(), "--reply-hex", reply});
  vqtest::StatusServerProcess exporter = vqtest::StartExporter(vqtest::DistinctLoopbackAddress());
  const httplib::Result result = Get(exporter, "/probe?target=" + server.AddressText());
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
  const std::string& body = result->body;
  EXPECT_EQ(SampleLine(body, "probe_success"), "probe_success 1") << body;
  EXPECT_EQ(SampleLine(body, "quillmar_players "), "quillmar_players 5") << body;
  EXPECT_EQ(SampleLine(body, "quillmar_players_max"), "quillmar_players_max 12") << body;
  EXPECT_EQ(SampleLine(body, "quillmar_time_left_seconds"), "quillmar_time_left_seconds 3660") << body;
  EXPECT_EQ(
      SampleLine(body, "quillmar_server_info"),
      "quillmar_server_info{host=\"Q\\\"uo\\\\te\xEF\xBF\xBDx\",track=\"T\",type=\"Pro\",session=\"S\xC3\xA9\"} 1")
      << body;
  vqtest::ExpectValidMetrics(body);
  EXPECT_EQ(exporter.Stop(), 0);
}

// Requests that must not reach a server, each refused with its reason and
// counted; the exporter's own metrics stay valid.
TEST(ExporterProcessTest, HostileAndMalformedRequestsAreRefused) {
  vqtest::StatusServerProcess exporter = vqtest::StartExporter(vqtest::DistinctLoopbackAddress());
  const std::vector<std::pair<std::string, int>> requests = {
      {"/probe", 400},
      {"/probe?target=127.0.0.1&target=127.0.0.2", 400},
      {"/probe?target=127.0.0.1%00", 400},
      {"/probe?target=127.0.0.1%0A%23%20x", 400},
      {"/probe?target=%22%5C%22", 400},
      {"/probe?target=localhost", 400},
      {"/probe?target=127.1", 400},
      {"/probe?target=" + std::string(10240, '1'), 414},
      {"/nowhere", 404},
  };
  for (const auto& [path, status] : requests) {
    const httplib::Result result = Get(exporter, path);
    ASSERT_TRUE(result) << path.substr(0, 60);
    EXPECT_EQ(result->status, status) << path.substr(0, 60);
    EXPECT_FALSE(result->body.empty());
  }
  const httplib::Result metrics = Get(exporter, "/metrics");
  ASSERT_TRUE(metrics);
  EXPECT_EQ(SampleLine(metrics->body, "quillmar_exporter_requests_refused_total{reason=\"bad_request\"}"),
            "quillmar_exporter_requests_refused_total{reason=\"bad_request\"} 8")
      << metrics->body;
  vqtest::ExpectValidMetrics(metrics->body);
  const httplib::Result page = Get(exporter, "/");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find("href=\"/metrics\""), std::string::npos);
}

// A silent server: the scrape's timeout cuts the probe short (the echo's
// result is then not known either); while a probe runs, one more than
// --max-concurrent allows is refused; SIGTERM ends a probe in flight and the
// exporter cleanly.
TEST(ExporterProcessTest, ScrapeTimeoutBusyRefusalAndStopSignal) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--silent"});
  vqtest::StatusServerProcess exporter =
      vqtest::StartExporter(vqtest::DistinctLoopbackAddress(), {"--max-concurrent", "1"});
  const httplib::Result cut =
      Get(exporter, "/probe?target=" + server.AddressText(), {{"X-Prometheus-Scrape-Timeout-Seconds", "0.5"}});
  ASSERT_TRUE(cut);
  EXPECT_EQ(SampleLine(cut->body, "probe_success"), "probe_success 0") << cut->body;
  EXPECT_EQ(cut->body.find("quillmar_echo_success"), std::string::npos) << cut->body;

  std::string inFlight;  // the body of a scrape that SIGTERM cuts short
  std::thread scrape([&] {
    if (const httplib::Result result = Get(exporter, "/probe?target=" + server.AddressText())) inFlight = result->body;
  });
  bool running = false;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!running && std::chrono::steady_clock::now() < limit) {  // until the probe runs
    const httplib::Result metrics = Get(exporter, "/metrics");
    running = metrics && metrics->body.find("\nquillmar_exporter_probes_in_flight 1\n") != std::string::npos;
    if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(running);
  const httplib::Result busy = Get(exporter, "/probe?target=127.0.0.1");
  EXPECT_EQ(busy ? busy->status : 0, 503);
  EXPECT_EQ(exporter.Stop(), 0);
  scrape.join();
  EXPECT_EQ(SampleLine(inFlight, "probe_success"), "probe_success 0") << inFlight;
}

// A TCP connection to the exporter that sends what it is told.
class RawClient {
 public:
  explicit RawClient(const vqtest::StatusServerProcess& exporter) : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(exporter.Port());
    ::inet_pton(AF_INET, exporter.AddressText().c_str(), &to.sin_addr);
    m_connected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    const timeval twoSeconds{2, 0};  // a send the exporter no longer reads fails instead of waiting
    ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &twoSeconds, sizeof twoSeconds);
  }
  ~RawClient() { ::close(m_fd); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;
  // False once the exporter has shut the connection.
  bool Send(const std::string& text) {
    return m_connected && ::send(m_fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
  }
  // The exporter has ended the connection (its end came, within a minute).
  bool Ended() {
    pollfd ready{m_fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, 60000) == 1 && ::recv(m_fd, &byte, 1, 0) <= 0;
  }

 private:
  int m_fd;
  bool m_connected = false;
};

// Clients that send a request's head a header a second, each read well
// within the library's read time-out, hold every worker; the exporter cuts
// them off and answers others again. One that sends headers without end is
// cut off long before its headers fill the exporter's memory.
TEST(ExporterProcessTest, SlowAndEndlessRequestsAreCutOff) {
  vqtest::StatusServerProcess exporter =
      vqtest::StartExporter(vqtest::DistinctLoopbackAddress(), {"--max-concurrent", "1"});
  std::vector<std::unique_ptr<RawClient>> slow;
  for (int i = 0; i < 8; ++i) {  // more than the five workers
    slow.push_back(std::make_unique<RawClient>(exporter));
    ASSERT_TRUE(slow.back()->Send("GET /metrics HTTP/1.1\r\nHost: x\r\n"));
  }
  std::atomic<bool> done{false};
  std::thread trickle([&] {  // slow on purpose: a header a second, for up to a minute
    for (int second = 0; second < 60 && !done; ++second) {
      for (const auto& client : slow) client->Send("X-Slow: 1\r\n");
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  });
  const httplib::Result answered = Get(exporter, "/metrics");
  bool allEnded = true;
  for (const auto& client : slow) allEnded = client->Ended() && allEnded;
  done = true;
  trickle.join();
  ASSERT_TRUE(answered);
  EXPECT_EQ(answered->status, 200);
  EXPECT_TRUE(allEnded);

  RawClient endless(exporter);
  ASSERT_TRUE(endless.Send("GET /metrics HTTP/1.1\r\nHost: x\r\n"));
  const std::string headers = [] {
    std::string many;
    for (int i = 0; i < 4096; ++i) many += "X-Many: 1\r\n";
    return many;
  }();
  std::size_t sent = 0;
  constexpr std::size_t kMostTried = std::size_t{256} << 20;
  while (sent < kMostTried && endless.Send(headers)) sent += headers.size();
  EXPECT_LT(sent, kMostTried) << "the exporter took 256 MiB of headers";
  EXPECT_TRUE(endless.Ended());
  EXPECT_EQ(Get(exporter, "/metrics")->status, 200);
  EXPECT_EQ(exporter.Stop(), 0);
}

// A port another exporter holds is not shared: the second one says so and fails.
TEST(ExporterProcessTest, BusyPortIsAFailure) {
  vqtest::StatusServerProcess first = vqtest::StartExporter(vqtest::DistinctLoopbackAddress());
  const vqtest::ProgramRun second =
      vqtest::RunProgram(VQ_EXPORTER, {"--listen", first.AddressText() + ":" + std::to_string(first.Port())});
  EXPECT_EQ(second.exitStatus, 1) << second.output;
  EXPECT_NE(second.errors.find("cannot listen"), std::string::npos) << second.errors;
}

TEST(ExporterProcessTest, UsageErrorsExitTwo) {
  const vqtest::ProgramRun wrong = vqtest::RunProgram(VQ_EXPORTER, {"--allow", "example.org"});
  EXPECT_EQ(wrong.exitStatus, 2);
  EXPECT_NE(wrong.errors.find("--help"), std::string::npos) << wrong.errors;
  const vqtest::ProgramRun help = vqtest::RunProgram(VQ_EXPORTER, {"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.output.find("--max-concurrent"), std::string::npos);
}

}  // namespace
