#include "app/exporter/exposition.h"

#include <charconv>
#include <cmath>

#include "platform/framework/safe_text.h"

namespace exporter {

std::string EscapedLabelValue(std::string_view bytes) {
  const std::string shown = framework::SafeDisplayText(bytes);
  std::string escaped;
  escaped.reserve(shown.size());
  for (const char c : shown) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '"') {
      escaped += "\\\"";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string SampleValue(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : "NaN";
}

void Exposition::Family(std::string_view name, std::string_view type, std::string_view help) {
  // The help texts are the program's own, one line without backslashes.
  m_text.append("# HELP ").append(name).append(" ").append(help).append("\n");
  m_text.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void Exposition::Sample(std::string_view name, double value, const Labels& labels) {
  m_text.append(name);
  if (!labels.empty()) {
    m_text += '{';
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (i > 0) m_text += ',';
      m_text.append(labels[i].first).append("=\"").append(EscapedLabelValue(labels[i].second)).append("\"");
    }
    m_text += '}';
  }
  m_text.append(" ").append(SampleValue(value)).append("\n");
}

}  // namespace exporter
