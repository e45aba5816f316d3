#include "app/exporter/probe_metrics.h"

#include <charconv>
#include <limits>

#include "app/exporter/exposition.h"

namespace exporter {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A count of decimal digits and nothing else around the blanks.
std::optional<long long> ReadCount(std::string_view text) {
  text = Trimmed(text);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text[0] == '-' || text[0] == '+' || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

void AddGauge(Exposition& out, std::string_view name, std::string_view help, double value) {
  out.Family(name, "gauge", help);
  out.Sample(name, value);
}

void AddEcho(Exposition& out, const QueryOutcome& outcome) {
  const bool replied = outcome.rttMicroseconds >= 0;
  AddGauge(out, "quillmar_echo_success", "Whether the ICMP echo came back", replied ? 1 : 0);
  if (replied) {
    AddGauge(out, "quillmar_echo_rtt_seconds", "Round trip of the ICMP echo",
             static_cast<double>(outcome.rttMicroseconds) / 1e6);
  }
}

void AddStatus(Exposition& out, const QueryOutcome& outcome) {
  if (const std::optional<PlayerCount> count = ReadPlayerCount(outcome.m_strPlayers.view())) {
    AddGauge(out, "quillmar_players", "Players on the server", static_cast<double>(count->players));
    if (count->most) {
      AddGauge(out, "quillmar_players_max", "Players the server takes at most", static_cast<double>(*count->most));
    }
  }
  if (const std::optional<long long> seconds = ReadSecondsLeft(outcome.m_strTimeLeft.view())) {
    AddGauge(out, "quillmar_time_left_seconds", "Time left in the session, in whole minutes",
             static_cast<double>(*seconds));
  }
  // The texts go in labels named as the fields' JSON keys: host, track, type, session.
  Labels info;
  for (const QueryField field : {QueryField::Host, QueryField::Track, QueryField::Type, QueryField::Session}) {
    const ResultField& row = ResultFieldOf(field);
    info.emplace_back(row.jsonKey, (outcome.*row.text).str());
  }
  out.Family("quillmar_server_info", "gauge", "The server's host name, track, type and session");
  out.Sample("quillmar_server_info", 1, info);
}

}  // namespace

std::optional<PlayerCount> ReadPlayerCount(std::string_view text) {
  const std::size_t slash = text.find('/');
  const std::optional<long long> players = ReadCount(text.substr(0, slash));
  if (!players) return std::nullopt;
  if (slash == std::string_view::npos) return PlayerCount{*players, std::nullopt};
  const std::optional<long long> most = ReadCount(text.substr(slash + 1));
  if (!most) return std::nullopt;
  return PlayerCount{*players, most};
}

std::optional<long long> ReadSecondsLeft(std::string_view text) {
  constexpr std::string_view kUnit = " Mins";
  if (!text.ends_with(kUnit)) return std::nullopt;
  const std::optional<long long> minutes = ReadCount(text.substr(0, text.size() - kUnit.size()));
  constexpr long long kSecondsPerMinute = 60;
  if (!minutes || *minutes > std::numeric_limits<long long>::max() / kSecondsPerMinute) return std::nullopt;
  return *minutes * kSecondsPerMinute;
}

std::string ProbeExposition(const std::optional<QueryOutcome>& outcome, double durationSeconds) {
  Exposition out;
  const bool detected = outcome && outcome->detected;
  AddGauge(out, "probe_success", "Whether the server's status reply came and was read", detected ? 1 : 0);
  AddGauge(out, "probe_duration_seconds", "How long the probe took", durationSeconds);
  if (outcome) AddEcho(out, *outcome);
  if (detected) AddStatus(out, *outcome);
  return out.Text();
}

}  // namespace exporter
