// The exporter as a process on loopback, scraped over HTTP, probing the
// stand-in status server.
#include <gtest/gtest.h>

#include <thread>

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
