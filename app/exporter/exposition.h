#pragma once
// The Prometheus text format (version 0.0.4): one family of samples at a
// time, each with its # HELP and # TYPE lines. Label values and help texts
// are escaped here, so that no text from outside (a target, a server's
// reply) can end a line or a value early.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace exporter {

inline constexpr char kExpositionContentType[] = "text/plain; version=0.0.4; charset=utf-8";

using Labels = std::vector<std::pair<std::string_view, std::string>>;

// A label value as the format writes it between double quotes: backslash,
// double quote and line feed escaped. The text is made valid UTF-8 first,
// each control or hidden character shown as U+FFFD.
std::string EscapedLabelValue(std::string_view bytes);

class Exposition {
 public:
  // Starts a family; the samples that follow belong to it.
  void Family(std::string_view name, std::string_view type, std::string_view help);
  void Sample(std::string_view name, double value, const Labels& labels = {});
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
};

// A number as the format reads it: integers without a fraction, others with
// enough digits to give the same double back.
std::string SampleValue(double value);

}  // namespace exporter
