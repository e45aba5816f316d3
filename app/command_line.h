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

struct CommandLine {
  RunMode mode = RunMode::Window;
  std::vector<std::string> addresses;  // --query's addresses, in the order given
  bool json = false;
  std::optional<std::string> screenshot;
  std::optional<std::size_t> parallel;
};

// When --parallel does not say: every server at once (the run needs a few
// sockets whatever the number).
constexpr std::size_t kDefaultParallel = SIZE_MAX;
constexpr std::size_t kMaxParallel = 65536;

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
