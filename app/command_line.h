#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The program's command line. Without a mode it opens the dialog; the
// console modes print and exit without loading the widget toolkit.
enum class RunMode { Window, Query, QueryList, List, Help, Version };

// Where the servers to ask come from: an address, or a file of addresses,
// one per line ("-": standard input).
struct AddressSource {
  std::string text;
  bool isFile = false;
};

struct CommandLine {
  RunMode mode = RunMode::Window;
  std::vector<std::string> addresses;  // --query's addresses, in the order given
  std::vector<AddressSource> sources;  // those and --query-file's files, in the order given
  bool json = false;
  bool jsonLines = false;              // one JSON object per line, as each server is done
  std::optional<double> watchSeconds;  // --watch: a round every so many seconds
  std::optional<std::size_t> count;    // --count: rounds of --watch (unbounded without)
  std::optional<std::string> screenshot;
  std::optional<std::size_t> parallel;
};

// When --parallel does not say: every server at once (the run needs a few
// sockets whatever the number).
constexpr std::size_t kDefaultParallel = SIZE_MAX;
constexpr std::size_t kMaxParallel = 65536;
// --watch: a round every 2 seconds unless told; not more often than twice a second.
constexpr double kDefaultWatchSeconds = 2.0;
constexpr double kMinWatchSeconds = 0.5;
constexpr double kMaxWatchSeconds = 86400.0;
constexpr std::size_t kMaxCount = 1000000000;

struct ParsedCommandLine {
  std::optional<CommandLine> commandLine;  // empty on a usage error
  std::string error;                       // what is wrong, for the user
};

// Parses the arguments after the program's name.
ParsedCommandLine ParseCommandLine(std::span<const char* const> arguments);
// The same, from main's arguments.
ParsedCommandLine ParseCommandLine(int argc, char** argv);

// The texts of --help and --version.
std::string HelpText(const std::string& program);
std::string VersionText();
