#include "app/exporter/exporter_counters.h"

#include "app/exporter/exposition.h"

namespace exporter {

bool ExporterCounters::TryStartProbe(std::uint64_t limit) {
  std::uint64_t running = m_inFlight.load();
  do {
    if (running >= limit) return false;
  } while (!m_inFlight.compare_exchange_weak(running, running + 1));
  return true;
}

void ExporterCounters::EndProbe(bool success) {
  ++(success ? m_succeeded : m_failed);
  --m_inFlight;
}

void ExporterCounters::Refused(Refusal reason) {
  switch (reason) {
    case Refusal::Forbidden: ++m_forbidden; break;
    case Refusal::Busy: ++m_busy; break;
    case Refusal::BadRequest: ++m_badRequest; break;
  }
}

std::string ExporterCounters::Exposition() const {
  exporter::Exposition out;
  constexpr char kProbes[] = "quillmar_exporter_probes_total";
  out.Family(kProbes, "counter", "Probes done, by result");
  out.Sample(kProbes, static_cast<double>(m_succeeded.load()), {{"result", "success"}});
  out.Sample(kProbes, static_cast<double>(m_failed.load()), {{"result", "failure"}});
  constexpr char kInFlight[] = "quillmar_exporter_probes_in_flight";
  out.Family(kInFlight, "gauge", "Probes running now");
  out.Sample(kInFlight, static_cast<double>(m_inFlight.load()));
  constexpr char kRefused[] = "quillmar_exporter_requests_refused_total";
  out.Family(kRefused, "counter", "Requests refused, by reason");
  out.Sample(kRefused, static_cast<double>(m_forbidden.load()), {{"reason", "forbidden"}});
  out.Sample(kRefused, static_cast<double>(m_busy.load()), {{"reason", "busy"}});
  out.Sample(kRefused, static_cast<double>(m_badRequest.load()), {{"reason", "bad_request"}});
  return out.Text();
}

}  // namespace exporter
