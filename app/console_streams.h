#pragma once
#include <string>
#include <string_view>

// Standard output and standard error of the command line, written with
// write(2) so that a failure shows: a full disk, a closed descriptor. A
// failed write to standard output is reported once on standard error and
// makes the program exit with 1, as ping and dig do.
namespace console {

// Call first. Descriptors 0 to 2 that are closed get /dev/null, so that no
// socket the program opens can become its standard output; a closed
// standard output still counts as one that cannot be written.
void ProtectStandardDescriptors();

// What a program's main does first: protects the descriptors and takes
// the program's name from argv[0] for its messages.
void Start(int argc, char** argv);

// Before another program takes over the process: the descriptors that were
// closed at the start are closed again, so that it sees them as they were.
void CloseWhatWasClosed();

void SetProgramName(std::string_view argv0);
const std::string& ProgramName();

// Writes all of `text`; false when standard output failed (now or before).
bool WriteOut(std::string_view text);
void WriteErr(std::string_view text);

// `status`, or 1 after a failed write to standard output, which is then
// reported on standard error.
int FinalStatus(int status);

}  // namespace console
