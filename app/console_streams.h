#pragma once
#include <string>
#include <string_view>

#include "app/console_output.h"

// Standard output and standard error of the command line, written by the
// system's own calls so that a failure shows: a full disk, a closed descriptor. A
// failed write to standard output is reported once on standard error and
// makes the program exit with 1, as ping and dig do.
namespace console {

// What a program's main does first: protects the descriptors (a closed
// standard output still counts as one that cannot be written) and takes
// the program's name from argv[0] for its messages.
void Start(int argc, char** argv);

void SetProgramName(std::string_view argv0);
const std::string& ProgramName();

// Writes all of `text`; false when standard output failed (now or before).
bool WriteOut(std::string_view text);
void WriteErr(std::string_view text);

// `status`, or 1 after a failed write to standard output, which is then
// reported on standard error.
int FinalStatus(int status);

}  // namespace console
