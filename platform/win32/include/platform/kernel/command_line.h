#pragma once
#include <string>

namespace kernel {
// One argument of a command line for CreateProcess, as the C runtime reads
// it back: in quotes, with the backslashes before a quote doubled.
std::string QuotedArgument(const std::string& argument);
}  // namespace kernel
