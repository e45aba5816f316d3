#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "app/exporter/connection_guard.h"
#include "app/exporter/exporter_counters.h"
#include "app/exporter/exporter_options.h"
#include "app/exporter/target_policy.h"

namespace httplib {
class Server;
}

namespace exporter {

// The HTTP side: /probe, /metrics and a short page at /. Requests are
// served by a fixed set of workers, a few more than the probes allowed at
// once, so that /metrics and refusals are answered while probes run.
class ExporterServer {
 public:
  ExporterServer(const ExporterOptions& options, TargetPolicy policy);
  ~ExporterServer();
  ExporterServer(const ExporterServer&) = delete;
  ExporterServer& operator=(const ExporterServer&) = delete;

  // Binds the listening socket; the port taken, or -1 (with errno's
  // reason in `error`) when it cannot be had.
  int Bind(std::string& error);
  // Serves until Stop(); on the calling thread.
  bool Serve();
  // Ends Serve(): no new requests are taken, and the probes running give
  // up within one wait slice.
  void Stop();

 private:
  void Route();

  ExporterOptions m_options;
  TargetPolicy m_policy;
  ExporterCounters m_counters;
  std::atomic<bool> m_stopping{false};
  int m_listening = -1;  // the listening socket, once bound
  ConnectionGuard m_guard;
  std::unique_ptr<httplib::Server> m_server;
};

}  // namespace exporter
