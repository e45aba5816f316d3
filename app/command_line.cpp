#include "app/command_line.h"

#include <charconv>
#include <string_view>

#include "app/display_environment.h"

namespace {

// Seconds as digits with at most one decimal point ("2", "0.5", "1.25"),
// at most kMaxWatchSeconds. Read by hand: the library's floating-point
// reader would bring its locale support and the maths library into every
// start of the program.
std::optional<double> DecimalSeconds(std::string_view text) {
  double value = 0;
  double unit = 1;
  bool point = false;
  bool digits = false;
  for (const char c : text) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    digits = true;
    if (point) {
      unit /= 10;
      value += (c - '0') * unit;
    } else {
      value = value * 10 + (c - '0');
    }
    if (value > kMaxWatchSeconds) return std::nullopt;
  }
  if (!digits) return std::nullopt;
  return value;
}

// Reads the arguments one by one; options with a value take it from the
// next argument or after "=".
class ArgumentReader {
 public:
  explicit ArgumentReader(std::span<const char* const> arguments) : m_arguments(arguments) {}

  ParsedCommandLine Parse() {
    bool optionsEnded = false;
    for (m_next = 0; m_next < m_arguments.size() && m_error.empty();) {
      const std::string_view argument = m_arguments[m_next++];
      if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
        Positional(argument);
      } else if (argument == "--") {
        optionsEnded = true;
      } else {
        Option(argument);
      }
    }
    if (m_error.empty()) Check();
    if (!m_error.empty()) return {std::nullopt, m_error};
    m_line.addresses = std::move(m_positional);
    return {std::move(m_line), {}};
  }

 private:
  void Positional(std::string_view argument) {
    m_positional.emplace_back(argument);
    m_line.sources.push_back({std::string(argument), false});
  }

  void Option(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    std::optional<std::string_view> inlineValue;
    if (equals != std::string_view::npos) inlineValue = argument.substr(equals + 1);
    if (name == "-h" || name == "--help" || name == "--help-all") {
      Flag(name, inlineValue, m_help);
    } else if (name == "-v" || name == "--version") {
      Flag(name, inlineValue, m_version);
    } else if (name == "--json") {
      Flag(name, inlineValue, m_line.json);
    } else if (name == "--list") {
      Flag(name, inlineValue, m_list);
    } else if (name == "--query-list") {
      Flag(name, inlineValue, m_queryList);
    } else if (name == "--query") {
      m_query = true;  // the addresses are the arguments that are not options
      if (inlineValue) Positional(*inlineValue);
    } else if (name == "--query-file") {
      QueryFile(name, inlineValue);
    } else if (name == "--json-lines") {
      Flag(name, inlineValue, m_line.jsonLines);
    } else if (name == "--watch") {
      Watch(inlineValue);
    } else {
      ValueOption(name, inlineValue);
    }
  }

  // The options that take a value.
  void ValueOption(std::string_view name, const std::optional<std::string_view>& inlineValue) {
    if (name != "--count" && name != "--screenshot" && name != "--parallel") {
      m_error = "unknown option '" + std::string(name) + "'";
      return;
    }
    const auto value = Value(name, inlineValue);
    if (!value) return;
    if (name == "--count") {
      Once(name, m_line.count, Count(name, *value, kMaxCount));
    } else if (name == "--parallel") {
      Once(name, m_line.parallel, Count(name, *value, kMaxParallel));
    } else {
      if (value->empty()) m_error = "option '--screenshot' needs a file name";
      Once(name, m_line.screenshot, std::string(*value));
    }
  }

  void Flag(std::string_view name, const std::optional<std::string_view>& inlineValue, bool& flag) {
    if (inlineValue) m_error = "option '" + std::string(name) + "' takes no value";
    flag = true;
  }

  std::optional<std::string_view> Value(std::string_view name, const std::optional<std::string_view>& inlineValue) {
    if (inlineValue) return inlineValue;
    if (m_next < m_arguments.size()) return std::string_view(m_arguments[m_next++]);
    m_error = "option '" + std::string(name) + "' needs a value";
    return std::nullopt;
  }

  template <typename T>
  void Once(std::string_view name, std::optional<T>& slot, T value) {
    if (slot) m_error = "option '" + std::string(name) + "' given twice";
    slot = std::move(value);
  }

  std::size_t Count(std::string_view name, std::string_view text, std::size_t most) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > most) {
      m_error = "option '" + std::string(name) + "' takes a number from 1 to " + std::to_string(most) + ", not '" +
                std::string(text) + "'";
    }
    return value;
  }

  void QueryFile(std::string_view name, const std::optional<std::string_view>& inlineValue) {
    const auto value = Value(name, inlineValue);
    if (!value) return;
    if (value->empty()) m_error = "option '--query-file' needs a file name ('-' for standard input)";
    m_queryFile = true;
    m_line.sources.push_back({std::string(*value), true});
  }

  // --watch takes its seconds only after "=", so that a number after it
  // stays an address.
  void Watch(const std::optional<std::string_view>& inlineValue) {
    std::optional<double> seconds = kDefaultWatchSeconds;
    if (inlineValue) seconds = DecimalSeconds(*inlineValue);
    if (!seconds || *seconds < kMinWatchSeconds) {
      m_error = "option '--watch' takes seconds from 0.5 to 86400, not '" + std::string(*inlineValue) + "'";
    }
    Once("--watch", m_line.watchSeconds, seconds.value_or(kDefaultWatchSeconds));
  }

  void Check() {
    const int modes = int(m_query || m_queryFile) + int(m_queryList) + int(m_list);
    if (m_help) {
      m_line.mode = RunMode::Help;
      return;
    }
    if (m_version) {
      m_line.mode = RunMode::Version;
      return;
    }
    if (modes > 1) {
      m_error = "--query (or --query-file), --query-list and --list go alone";
      return;
    }
    if (m_list && m_line.screenshot) {
      m_error = "--list goes without --screenshot";
      return;
    }
    if (!m_query && !m_positional.empty()) {
      m_error = "unexpected argument '" + m_positional.front() + "' (addresses go after --query)";
      return;
    }
    if (m_query && !m_queryFile && m_positional.empty()) {
      m_error = "--query needs an address";
      return;
    }
    if (!CheckQueryOptions()) return;
    m_line.mode = m_query || m_queryFile ? RunMode::Query
                  : m_queryList          ? RunMode::QueryList
                  : m_list               ? RunMode::List
                                         : RunMode::Window;
  }

  // An option given without a mode that asks servers, which it needs.
  const char* WithoutServers() const {
    if (m_query || m_queryFile || m_queryList) return nullptr;
    return m_line.json           ? "--json"
           : m_line.jsonLines    ? "--json-lines"
           : m_line.parallel     ? "--parallel"
           : m_line.watchSeconds ? "--watch"
                                 : nullptr;
  }

  // The options that go with asking servers.
  bool CheckQueryOptions() {
    if (const char* alone = WithoutServers()) {
      m_error = std::string(alone) + " goes with --query, --query-file or --query-list";
    } else if (m_line.json && m_line.jsonLines) {
      m_error = "--json and --json-lines go apart: choose one";
    } else if (m_line.count && !m_line.watchSeconds) {
      m_error = "--count goes with --watch";
    } else if (m_line.watchSeconds && m_line.json) {
      m_error = "--watch prints each round as it comes: use --json-lines, not --json";
    } else if (m_line.screenshot && (m_line.watchSeconds || m_line.jsonLines)) {
      m_error = "--screenshot goes without --watch and --json-lines";
    } else if (m_line.screenshot && (m_queryList || m_queryFile || m_positional.size() > 1)) {
      m_error = "--screenshot shows one query: give one address";
    }
    return m_error.empty();
  }

  std::span<const char* const> m_arguments;
  std::size_t m_next = 0;
  CommandLine m_line;
  std::vector<std::string> m_positional;
  std::string m_error;
  bool m_help = false;
  bool m_version = false;
  bool m_list = false;
  bool m_query = false;
  bool m_queryList = false;
  bool m_queryFile = false;
};

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const char* const> arguments) { return ArgumentReader(arguments).Parse(); }

ParsedCommandLine ParseCommandLine(int argc, char** argv) {
  if (argc < 1) return ParseCommandLine(std::span<const char* const>());
  return ParseCommandLine(
      std::span<const char* const>(const_cast<const char* const*>(argv) + 1, static_cast<std::size_t>(argc - 1)));
}

std::string VersionText() { return "Veloxa Quillmar " VQ_VERSION "\n"; }

namespace {

// Listed only where pictures can be made: elsewhere the option is refused.
std::string ScreenshotHelp() {
  if (!PicturesUnavailable().empty()) return {};
  return "  --screenshot <file>      Save a picture of the dialog (with --query and one address: after\n"
         "                           the query) to <file> (PNG) and exit.\n";
}

}  // namespace

std::string HelpText(const std::string& program) {
  return "Usage: " + program + " [options]\n" + "       " + program +
         " --query <address>... [--query-file <file>] [--json | --json-lines] [--parallel <n>]\n" + "       " +
         program + " --query-list [--json | --json-lines] [--parallel <n>]\n" + "       " + program +
         " --query <address>... --watch[=<seconds>] [--count <n>] [--json-lines]\n" + "       " + program +
         " --list\n"
         "Pings a racing-game server and shows its status: host, track, players, session and time left.\n"
         "Without options it opens the dialog.\n"
         "\n"
         "Options:\n"
         "  -h, --help               Show this help and exit.\n"
         "  -v, --version            Show the version and exit.\n"
         "  --query <address>...     Ping each server and ask it for its status, as \"Ping Server\" does,\n"
         "                           without the dialog; several servers are asked at once. Prints the\n"
         "                           fields; the texts of any messages go to standard error.\n"
         "  --query-file <file>      Ask the servers listed in <file> too, one address per line ('#'\n"
         "                           starts a comment line); '-' reads standard input.\n"
         "  --query-list             Ask every server of the address list, as --query does.\n"
         "  --json                   With --query or --query-list: print the result as JSON.\n"
         "  --json-lines             Print one JSON object per line as each server is done, with its\n"
         "                           position in the list.\n"
         "  --parallel <n>           Ask at most <n> servers at once (default: all of them).\n"
         "  --watch[=<seconds>]      Ask the servers again and again, a round every <seconds> (default\n"
         "                           2, at least 0.5); on a terminal a live table, else one line per\n"
         "                           server and round. Ctrl-C ends it with a summary per server.\n"
         "  --count <n>              With --watch: stop after <n> rounds.\n"
         "  --list                   Print the lines of the address list (address.ini), one per line.\n" +
         ScreenshotHelp() +
         "\n"
         "Exit status: 0 when every server's status reply was decoded (or the mode succeeded),\n"
         "1 when not, 2 for a usage error.\n";
}
