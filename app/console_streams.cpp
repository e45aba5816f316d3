#include "app/console_streams.h"

#include "app/console_output.h"

namespace console {
namespace {

std::string g_programName = "quillmar";
int g_outputError = 0;  // the first failure of standard output

}  // namespace

void Start(int argc, char** argv) {
  ProtectStandardDescriptors();
  SetProgramName(argc > 0 && argv[0] != nullptr ? argv[0] : "quillmar");
}

void SetProgramName(std::string_view argv0) {
  const std::size_t slash = argv0.find_last_of(PathSeparators());
  g_programName = std::string(slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1));
  if (g_programName.empty()) g_programName = "quillmar";
}

const std::string& ProgramName() { return g_programName; }

bool WriteOut(std::string_view text) {
  if (g_outputError == 0) g_outputError = WriteToOutput(text);
  return g_outputError == 0;
}

void WriteErr(std::string_view text) { WriteToError(text); }

int FinalStatus(int status) {
  // An output closed at the start fails even when nothing was written.
  if (g_outputError == 0 && OutputClosedAtStart()) g_outputError = WriteToOutput({});
  if (g_outputError == 0) return status;
  WriteErr(g_programName + ": write error on standard output: " + OutputErrorText(g_outputError) + "\n");
  return 1;
}

}  // namespace console
