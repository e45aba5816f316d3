#include "app/dialog_launcher.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/console_streams.h"

namespace {

constexpr char kDialogProgram[] = "quillmar-dialog";

std::filesystem::path OwnFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

bool IsExecutableFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> DialogProgramCandidates() {
  std::vector<std::filesystem::path> places;
  const std::filesystem::path own = OwnFolder();
  if (!own.empty()) {
    places.push_back(own / kDialogProgram);
    places.push_back((own / VQ_DIALOG_DIR_FROM_BIN / kDialogProgram).lexically_normal());
  }
  places.push_back(std::filesystem::path(VQ_DIALOG_DIR) / kDialogProgram);
  std::vector<std::string> candidates;
  for (const std::filesystem::path& place : places) {
    if (IsExecutableFile(place)) candidates.push_back(place.string());
  }
  return candidates;
}

int RunDialogProgram(char** argv) {
  const std::vector<std::string> candidates = DialogProgramCandidates();
  int lastErrno = ENOENT;
  if (!candidates.empty()) console::CloseWhatWasClosed();
  for (const std::string& candidate : candidates) {
    ::execv(candidate.c_str(), argv);  // the same arguments, the same name in argv[0]
    lastErrno = errno;
  }
  console::ProtectStandardDescriptors();  // none of them could take over
  console::WriteErr(console::ProgramName() + ": cannot start the dialog (" + kDialogProgram +
                    "): " + std::strerror(lastErrno) + "\n");
  return 1;
}
