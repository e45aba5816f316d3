#include "app/exporter/exporter_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>

#include "app/exporter/exposition.h"
#include "app/exporter/probe_metrics.h"
#include "app/exporter/probe_run.h"

namespace exporter {
namespace {

using Clock = std::chrono::steady_clock;

// Workers beyond the probes allowed at once, for /metrics and refusals.
constexpr std::size_t kSpareWorkers = 4;
// A scrape that says no timeout gets Prometheus's default.
constexpr double kDefaultScrapeSeconds = 10;
// The answer is sent this much before the scrape's timeout, at most.
constexpr double kMostMarginSeconds = 0.5;
constexpr time_t kIoTimeoutSeconds = 5;
constexpr time_t kKeepAliveSeconds = 2;
constexpr std::size_t kKeepAliveRequests = 100;
constexpr std::size_t kMostBody = 1024;  // GET requests carry none

// The answers other than 200 OK that the exporter gives.
constexpr int kBadRequest = 400;
constexpr int kForbidden = 403;
constexpr int kPayloadTooLarge = 413;
constexpr int kUriTooLong = 414;
constexpr int kUnavailable = 503;
// The longest scrape timeout taken from a scrape: a minute.
constexpr double kLongestScrapeSeconds = 60;

constexpr char kTextType[] = "text/plain; charset=utf-8";

constexpr char kIndexPage[] =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Veloxa Quillmar exporter</title></head>\n"
    "<body><h1>Veloxa Quillmar exporter</h1>\n"
    "<p><a href=\"/metrics\">The exporter's own metrics</a></p>\n"
    "<p><a href=\"/probe?target=127.0.0.1\">Probe a server: /probe?target=127.0.0.1</a></p>\n"
    "</body></html>\n";

// How long a probe may take: a little less than the scrape's timeout.
Clock::duration ProbeBudget(const httplib::Request& request) {
  double seconds = kDefaultScrapeSeconds;
  const std::string header = request.get_header_value("X-Prometheus-Scrape-Timeout-Seconds");
  double given = 0;
  const auto [end, error] = std::from_chars(header.data(), header.data() + header.size(), given);
  if (!header.empty() && error == std::errc() && end == header.data() + header.size() && given > 0) {
    seconds = std::min(given, kLongestScrapeSeconds);
  }
  seconds -= std::min(kMostMarginSeconds, seconds / 10);
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void Answer(httplib::Response& response, int status, const std::string& text) {
  response.status = status;
  response.set_content(text + "\n", kTextType);
}

}  // namespace

ExporterServer::ExporterServer(const ExporterOptions& options, TargetPolicy policy)
    : m_options(options), m_policy(std::move(policy)), m_server(std::make_unique<httplib::Server>()) {
  const std::size_t workers = m_options.maxConcurrent + kSpareWorkers;
  m_server->new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  m_server->set_read_timeout(kIoTimeoutSeconds);
  m_server->set_write_timeout(kIoTimeoutSeconds);
  m_server->set_keep_alive_timeout(kKeepAliveSeconds);
  m_server->set_keep_alive_max_count(kKeepAliveRequests);
  m_server->set_payload_max_length(kMostBody);
  // The library listens with a backlog of 5, too few for a scrape of many
  // targets at once: the connections beyond it wait for SYN retries. The
  // listening socket is noted here, and its backlog raised once it listens.
  // The library's own options share the port with any other program of the
  // same user that asks for it (SO_REUSEPORT), so that a second exporter
  // would take half the scrapes instead of failing: only the address is
  // reused here, as a restart needs.
  m_server->set_socket_options([this](socket_t socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    m_listening = socket;
  });
  Route();
}

ExporterServer::~ExporterServer() = default;

void ExporterServer::Route() {
  m_server->Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kIndexPage, "text/html; charset=utf-8");
  });
  m_server->Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
    response.set_content(m_counters.Exposition(), kExpositionContentType);
  });
  m_server->Get("/probe", [this](const httplib::Request& request, httplib::Response& response) {
    if (request.get_param_value_count("target") != 1) {
      m_counters.Refused(Refusal::BadRequest);
      return Answer(response, kBadRequest, "give one target: /probe?target=A.B.C.D");
    }
    const std::optional<std::uint32_t> target = ReadTarget(request.get_param_value("target"));
    if (!target) {
      m_counters.Refused(Refusal::BadRequest);
      return Answer(response, kBadRequest, "the target must be an IPv4 address A.B.C.D; host names are not looked up");
    }
    if (!m_policy.Admits(*target)) {
      m_counters.Refused(Refusal::Forbidden);
      return Answer(response, kForbidden, "this target is not allowed (see --allow)");
    }
    if (!m_counters.TryStartProbe(m_options.maxConcurrent)) {
      m_counters.Refused(Refusal::Busy);
      return Answer(response, kUnavailable, "too many probes at once (see --max-concurrent)");
    }
    const ProbeResult result = RunProbe(*target, Clock::now() + ProbeBudget(request), m_stopping);
    m_counters.EndProbe(result.outcome && result.outcome->detected);
    response.set_content(ProbeExposition(result.outcome, result.durationSeconds), kExpositionContentType);
  });
  // While a request is answered, the guard leaves its connection alone;
  // the library calls the second as it starts writing the answer.
  m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    m_guard.Answering(request.remote_addr, request.remote_port);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  m_server->set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    m_guard.Answered(request.remote_addr, request.remote_port);
  });
  // The library's own refusals (a request line or header too long, no such
  // page) get a short text too; the malformed requests among them count.
  m_server->set_error_handler(
      httplib::Server::HandlerWithResponse([this](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        if (response.status == kBadRequest || response.status == kPayloadTooLarge || response.status == kUriTooLong) {
          m_counters.Refused(Refusal::BadRequest);
        }
        Answer(response, response.status, "request refused (HTTP " + std::to_string(response.status) + ")");
        return httplib::Server::HandlerResponse::Handled;
      }));
}

int ExporterServer::Bind(std::string& error) {
  errno = 0;
  int port = m_options.port;
  if (port == 0) {
    port = m_server->bind_to_any_port(m_options.listenAddress);
  } else if (!m_server->bind_to_port(m_options.listenAddress, port)) {
    port = -1;
  }
  if (port < 0) {
    error = std::strerror(errno);
    return -1;
  }
  if (m_listening >= 0) ::listen(m_listening, SOMAXCONN);
  m_guard.Start(port);
  return port;
}

bool ExporterServer::Serve() { return m_server->listen_after_bind(); }

void ExporterServer::Stop() {
  m_stopping = true;
  m_server->stop();
  m_guard.ShutIdle();  // no worker waits on a slow client
}

}  // namespace exporter
