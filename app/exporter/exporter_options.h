#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/exporter/target_policy.h"

namespace exporter {

enum class ExporterMode { Serve, Help, Version };

inline constexpr char kDefaultListenAddress[] = "127.0.0.1";
inline constexpr int kDefaultPort = 9731;
inline constexpr std::size_t kDefaultMaxConcurrent = 64;
inline constexpr std::size_t kMostConcurrent = 4096;

struct ExporterOptions {
  ExporterMode mode = ExporterMode::Serve;
  std::string listenAddress = kDefaultListenAddress;
  int port = kDefaultPort;  // 0: any free port (the one taken is printed)
  std::vector<Network> allowed;
  std::size_t maxConcurrent = kDefaultMaxConcurrent;
};

struct ParsedExporterOptions {
  std::optional<ExporterOptions> options;  // empty on a usage error
  std::string error;
};

// Parses the arguments after the program's name.
ParsedExporterOptions ParseExporterOptions(std::span<const char* const> arguments);

std::string ExporterHelpText(const std::string& program);
std::string ExporterVersionText();

}  // namespace exporter
