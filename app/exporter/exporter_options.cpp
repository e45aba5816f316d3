#include "app/exporter/exporter_options.h"

#include <charconv>
#include <string_view>

namespace exporter {
namespace {

template <typename T>
std::optional<T> ReadNumber(std::string_view text, T least, T most) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
    return std::nullopt;
  }
  return value;
}

// Reads the arguments one by one; options with a value take it from the
// next argument or after "=". --allow takes every argument up to the next
// option.
class OptionReader {
 public:
  explicit OptionReader(std::span<const char* const> arguments) : m_arguments(arguments) {}

  ParsedExporterOptions Parse() {
    while (m_next < m_arguments.size() && m_error.empty()) Option(m_arguments[m_next++]);
    if (!m_error.empty()) return {std::nullopt, m_error};
    if (m_help) m_options.mode = ExporterMode::Help;
    if (!m_help && m_version) m_options.mode = ExporterMode::Version;
    return {m_options, {}};
  }

 private:
  void Option(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    std::optional<std::string_view> inlineValue;
    if (equals != std::string_view::npos) inlineValue = argument.substr(equals + 1);
    if ((name == "-h" || name == "--help" || name == "-v" || name == "--version") && inlineValue) {
      m_error = "option '" + std::string(name) + "' takes no value";
    } else if (name == "-h" || name == "--help") {
      m_help = true;
    } else if (name == "-v" || name == "--version") {
      m_version = true;
    } else if (name == "--listen") {
      if (const auto value = Value(name, inlineValue)) Listen(*value);
    } else if (name == "--max-concurrent") {
      if (const auto value = Value(name, inlineValue)) MaxConcurrent(*value);
    } else if (name == "--allow") {
      Allow(name, inlineValue);
    } else if (argument.starts_with("-")) {
      m_error = "unknown option '" + std::string(name) + "'";
    } else {
      m_error = "unexpected argument '" + std::string(argument) + "'";
    }
  }

  std::optional<std::string_view> Value(std::string_view name, const std::optional<std::string_view>& inlineValue) {
    if (inlineValue) return inlineValue;
    if (m_next < m_arguments.size()) return std::string_view(m_arguments[m_next++]);
    m_error = "option '" + std::string(name) + "' needs a value";
    return std::nullopt;
  }

  void Listen(std::string_view value) {
    const std::size_t colon = value.rfind(':');
    const std::optional<int> port =
        colon == std::string_view::npos ? std::nullopt : ReadNumber<int>(value.substr(colon + 1), 0, 65535);
    const std::optional<std::uint32_t> address =
        ReadDottedQuad(value.substr(0, colon == std::string_view::npos ? 0 : colon));
    if (!port || !address) {
      m_error = "option '--listen' takes ADDRESS:PORT (an IPv4 address), not '" + std::string(value) + "'";
      return;
    }
    m_options.listenAddress = DottedQuadText(*address);
    m_options.port = *port;
  }

  void MaxConcurrent(std::string_view value) {
    const std::optional<std::size_t> count = ReadNumber<std::size_t>(value, 1, kMostConcurrent);
    if (!count) {
      m_error = "option '--max-concurrent' takes a number from 1 to " + std::to_string(kMostConcurrent) + ", not '" +
                std::string(value) + "'";
      return;
    }
    m_options.maxConcurrent = *count;
  }

  void Allow(std::string_view name, const std::optional<std::string_view>& inlineValue) {
    std::vector<std::string_view> values;
    if (inlineValue) values.push_back(*inlineValue);
    while (m_next < m_arguments.size() && !std::string_view(m_arguments[m_next]).starts_with("-")) {
      values.emplace_back(m_arguments[m_next++]);
    }
    if (values.empty()) m_error = "option '" + std::string(name) + "' needs a network (A.B.C.D/N)";
    for (const std::string_view value : values) {
      const std::optional<Network> network = ReadNetwork(value);
      if (!network && m_error.empty()) {
        m_error =
            "option '--allow' takes IPv4 networks (A.B.C.D/N, no host bits set), not '" + std::string(value) + "'";
      }
      if (network) m_options.allowed.push_back(*network);
    }
  }

  std::span<const char* const> m_arguments;
  std::size_t m_next = 0;
  ExporterOptions m_options;
  std::string m_error;
  bool m_help = false;
  bool m_version = false;
};

}  // namespace

ParsedExporterOptions ParseExporterOptions(std::span<const char* const> arguments) {
  return OptionReader(arguments).Parse();
}

std::string ExporterVersionText() { return "Veloxa Quillmar exporter " VQ_VERSION "\n"; }

std::string ExporterHelpText(const std::string& program) {
  return "Usage: " + program +
         " [--listen <address>:<port>] [--allow <network>...] [--max-concurrent <n>]\n"
         "Serves the status of racing-game servers to Prometheus: GET /probe?target=<address> pings the\n"
         "server and asks it for its status; GET /metrics gives the exporter's own counters.\n"
         "\n"
         "Options:\n"
         "  -h, --help                 Show this help and exit.\n"
         "  -v, --version              Show the version and exit.\n"
         "  --listen <address>:<port>  Where to take requests (default: 127.0.0.1:9731; port 0 takes a\n"
         "                             free port).\n"
         "  --allow <network>...       Probe servers in these IPv4 networks (A.B.C.D/N) too. Loopback\n"
         "                             (127.0.0.0/8) and the servers of the address list (address.ini)\n"
         "                             are always allowed; other targets are refused (403).\n"
         "  --max-concurrent <n>       Run at most <n> probes at once (default: 64); more are refused (503).\n"
         "\n"
         "Exit status: 0 after SIGTERM or SIGINT, 1 when it cannot listen, 2 for a usage error.\n";
}

}  // namespace exporter
