// A real Prometheus server on loopback scrapes the exporter with the
// package's sample job (its blackbox-style relabelling), and its query API
// then gives the players of the server probed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/exporter/exporter_process.h"

namespace {

// A Prometheus server for the test's lifetime, its data and log in a
// temporary folder that goes with it.
class PrometheusProcess {
 public:
  PrometheusProcess(const std::string& listen, const std::string& config) {
    char folder[] = "/tmp/vq-prometheus-XXXXXX";
    if (::mkdtemp(folder) == nullptr) throw std::runtime_error("mkdtemp");
    m_folder = folder;
    std::ofstream(m_folder + "/prometheus.yml") << config;
    const std::vector<std::string> arguments = {VQ_PROMETHEUS, "--config.file=" + m_folder + "/prometheus.yml",
                                                "--storage.tsdb.path=" + m_folder + "/data",
                                                "--web.listen-address=" + listen};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (m_folder + "/log").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int failure = posix_spawn(&m_pid, VQ_PROMETHEUS, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) throw std::runtime_error("cannot start prometheus");
  }
  ~PrometheusProcess() {
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    std::filesystem::remove_all(m_folder);
  }
  PrometheusProcess(const PrometheusProcess&) = delete;
  PrometheusProcess& operator=(const PrometheusProcess&) = delete;

  std::string Log() const {
    std::ifstream log(m_folder + "/log");
    return std::string(std::istreambuf_iterator<char>(log), {});
  }

 private:
  pid_t m_pid = -1;
  std::string m_folder;
};

// The package's sample scrape job, scraping every second, with the server
// as its target and the exporter where it listens.
std::string ScrapeJob(const std::string& target, const std::string& exporter) {
  std::ifstream file(VQ_SAMPLE_SCRAPE_JOB);
  std::string job(std::istreambuf_iterator<char>(file), {});
  const auto replace = [&job](const std::string& from, const std::string& to) {
    const std::size_t at = job.find(from);
    if (at == std::string::npos) throw std::runtime_error("the sample scrape job has no " + from);
    job.replace(at, from.size(), to);
  };
  replace("scrape_interval: 30s", "scrape_interval: 1s");
  replace("scrape_timeout: 10s", "scrape_timeout: 1s");
  replace("- 127.0.0.1\n", "- " + target + "\n");
  replace("replacement: 127.0.0.1:9731", "replacement: " + exporter);
  replace("targets: [127.0.0.1:9731]", "targets: ['" + exporter + "']");  // its own counters
  return job;
}

TEST(ExporterPrometheusTest, PrometheusScrapesThePlayersOfTheServer) {
  if (std::string(VQ_PROMETHEUS).empty()) GTEST_SKIP() << "prometheus is not installed (scripts/install-deps)";
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER,
                                     {"--bind", vqtest::DistinctLoopbackAddress(), "--players", "7/12"});
  vqtest::StatusServerProcess exporter = vqtest::StartExporter(vqtest::DistinctLoopbackAddress());
  const std::string prometheusAddress = vqtest::DistinctLoopbackAddress();
  PrometheusProcess prometheus(prometheusAddress + ":9090",
                               ScrapeJob(server.AddressText(),
                                         exporter.AddressText() + ":" + std::to_string(exporter.Port())));
  httplib::Client api(prometheusAddress, 9090);
  std::string answer;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < limit) {  // until the first scrape is stored
    const httplib::Result result = api.Get("/api/v1/query?query=quillmar_players");
    if (result && result->status == 200) answer = result->body;
    if (answer.find("\"7\"]") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_NE(answer.find("\"instance\":\"" + server.AddressText() + "\""), std::string::npos) << answer;
  EXPECT_NE(answer.find("\"7\"]"), std::string::npos) << answer << prometheus.Log();
}

}  // namespace
