#pragma once
#include <string>
#include <string_view>

// The system's side of standard output and standard error (console_streams.h).
namespace console {

// Descriptors 0 to 2 that are closed get /dev/null, so that no socket the
// program opens can become its standard output.
void ProtectStandardDescriptors();
bool OutputClosedAtStart();
// Before another program takes over the process: the descriptors that were
// closed at the start are closed again, so that it sees them as they were.
void CloseWhatWasClosed();
// Writes all of `text` to standard output: 0, or the system's error number.
int WriteToOutput(std::string_view text);
void WriteToError(std::string_view text);
std::string OutputErrorText(int error);
// What separates folders in a program's path.
std::string_view PathSeparators();

}  // namespace console
