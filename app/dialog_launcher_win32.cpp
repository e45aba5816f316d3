#include "app/dialog_launcher.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "app/console_streams.h"
#include "platform/kernel/command_line.h"
#include "platform/kernel/system_error_text.h"
#include "platform/kernel/wide_text.h"
#include "platform/kernel/windef.h"

namespace {

constexpr char kDialogProgram[] = "quillmar-dialog.exe";

std::filesystem::path OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::filesystem::path(path.substr(0, length)).parent_path();
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::vector<std::string> DialogProgramCandidates() {
  const std::filesystem::path candidate = OwnFolder() / kDialogProgram;
  std::error_code error;
  if (!std::filesystem::is_regular_file(candidate, error)) return {};
  return {kernel::Utf8FromWide(candidate.wstring())};  // string() would give the ANSI code page
}

// The dialog is a program of the windows subsystem: it is started beside
// this one, which ends at once and gives the console back.
int RunDialogProgram(char** argv) {
  const std::vector<std::string> candidates = DialogProgramCandidates();
  if (candidates.empty()) {
    console::WriteErr(console::ProgramName() + ": cannot start the dialog (" + kDialogProgram +
                      "): it is not beside this program\n");
    return 1;
  }
  std::string commandLine = kernel::QuotedArgument(candidates.front());
  for (char** argument = argv + 1; *argument != nullptr; ++argument)
    commandLine.append(" ").append(kernel::QuotedArgument(*argument));
  const std::wstring program = kernel::WideFromUtf8(candidates.front());
  std::wstring wideLine = kernel::WideFromUtf8(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    console::WriteErr(console::ProgramName() + ": cannot start the dialog (" + kDialogProgram +
                      "): " + kernel::SystemErrorText(::GetLastError()) + "\n");
    return 1;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 0;
}
