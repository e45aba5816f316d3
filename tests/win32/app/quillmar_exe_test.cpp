// quillmar.exe as a user starts it. Names beyond the ANSI code page: a
// working folder and a settings folder named in such letters hold the
// address book it reads, and an argument in them comes back intact in its
// UTF-8 output. Without an address book it names the example beside it,
// and its help lists only the options it takes here.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kernel/command_line.h"
#include "platform/kernel/wide_text.h"

namespace {

using kernel::Utf8FromWide;
using kernel::WideFromUtf8;

// Latin letters, and CJK that no Western code page has.
const std::string kName =
    "Adressb\xC3\xBC"
    "cher \xE6\x97\xA5\xE6\x9C\xAC";
const std::string kRecord =
    "entry0   address = 127.0.0.1                                 description = Caf\xC3\xA9\r\n";

// The build tree's path is a Unix one under Wine, where Z: is the root.
std::wstring ProgramPath() {
  std::wstring path = L"Z:" + WideFromUtf8(VQ_QUILLMAR);
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
  return path;
}

struct Output {
  DWORD status = 0;
  std::string out, err;
};

HANDLE OutputFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string ReadBack(HANDLE file) {
  std::string text(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  text.resize(got);
  return text;
}

// A folder of the test's own in the temporary folder.
std::wstring TempPath(const std::string& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return temp + WideFromUtf8(name + " " + std::to_string(GetCurrentProcessId()));
}

// A folder made for a test, removed with the files written into it.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::wstring path) : m_path(std::move(path)) { CreateDirectoryW(m_path.c_str(), nullptr); }
  ~ScratchFolder() {
    for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
    RemoveDirectoryW(m_path.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return m_path; }
  std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
  void Write(const std::wstring& name, const std::string& bytes) {
    m_files.push_back(File(name));
    const HANDLE file = CreateFileW(m_files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

 private:
  std::wstring m_path;
  std::vector<std::wstring> m_files;
};

// Runs quillmar.exe in `folder` with APPDATA as given; output through files,
// which need no reading thread.
Output RunQuillmar(const std::vector<std::string>& arguments, const std::wstring& folder, const std::wstring& appData,
                   const std::wstring& program = ProgramPath()) {
  std::string line = kernel::QuotedArgument(Utf8FromWide(program));
  for (const std::string& argument : arguments) line.append(" ").append(kernel::QuotedArgument(argument));
  std::wstring wideLine = WideFromUtf8(line);
  const ScratchFolder outputs(TempPath("quillmar-output"));
  const HANDLE out = OutputFile(outputs.File(L"out"));
  const HANDLE err = OutputFile(outputs.File(L"err"));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  // The child inherits the variable; this process gets its own back.
  wchar_t previous[MAX_PATH] = {};
  const bool hadAppData = GetEnvironmentVariableW(L"APPDATA", previous, MAX_PATH) != 0;
  SetEnvironmentVariableW(L"APPDATA", appData.empty() ? nullptr : appData.c_str());
  Output result;
  if (CreateProcessW(program.c_str(), wideLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &result.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    ADD_FAILURE() << "cannot start " << Utf8FromWide(program) << ": error " << GetLastError();
  }
  SetEnvironmentVariableW(L"APPDATA", hadAppData ? previous : nullptr);
  result.out = ReadBack(out);
  result.err = ReadBack(err);
  CloseHandle(out);
  CloseHandle(err);
  return result;
}

TEST(QuillmarExeTest, AddressBookInAWorkingFolderNamedBeyondTheCodePage) {
  ScratchFolder folder(TempPath(kName));
  const Output missing = RunQuillmar({"--list"}, folder.Path(), L"");
  EXPECT_EQ(missing.status, 1u);
  EXPECT_NE(missing.err.find(Utf8FromWide(folder.File(L"address.ini"))), std::string::npos) << missing.err;

  folder.Write(L"address.ini", kRecord);
  const Output run = RunQuillmar({"--list"}, folder.Path(), L"");
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_NE(run.out.find("127.0.0.1"), std::string::npos) << run.out << run.err;
  EXPECT_NE(run.out.find("Caf\xC3\xA9"), std::string::npos) << run.out;
}

TEST(QuillmarExeTest, AddressBookInASettingsFolderNamedBeyondTheCodePage) {
  const ScratchFolder appData(TempPath(kName));
  ScratchFolder settings(appData.File(L"quillmar"));
  const ScratchFolder elsewhere(TempPath("quillmar-empty"));
  settings.Write(L"address.ini", kRecord);
  const Output run = RunQuillmar({"--list"}, elsewhere.Path(), appData.Path());
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_NE(run.out.find("Caf\xC3\xA9"), std::string::npos) << run.out << run.err;
}

TEST(QuillmarExeTest, AnArgumentComesBackInUtf8) {
  const std::string option = "--" + kName;
  const Output run = RunQuillmar({option}, L"C:\\", L"");
  EXPECT_EQ(run.status, 2u);
  EXPECT_NE(run.err.find("'" + option + "'"), std::string::npos) << run.err;
}

// The example is looked for beside the program wherever it was put, never
// where the Linux package installs it.
TEST(QuillmarExeTest, MissingAddressBookNamesTheExampleBesideTheProgram) {
  ScratchFolder install(TempPath("quillmar-install"));
  ScratchFolder examples(install.File(L"examples"));
  const std::wstring program = install.File(L"quillmar.exe");
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), TRUE));
  const ScratchFolder empty(TempPath("quillmar-empty"));
  const std::string example = Utf8FromWide(examples.File(L"address.ini"));

  Output run = RunQuillmar({"--list"}, empty.Path(), L"", program);
  EXPECT_NE(run.err.find("installs as " + example + " is not installed here"), std::string::npos) << run.err;
  examples.Write(L"address.ini", kRecord);
  run = RunQuillmar({"--list"}, empty.Path(), L"", program);
  EXPECT_NE(run.err.find("copy the example " + example + " to one of these places"), std::string::npos) << run.err;
  DeleteFileW(program.c_str());
}

// The help lists only what the program takes here: pictures are refused.
TEST(QuillmarExeTest, HelpListsNoScreenshotOption) {
  const Output help = RunQuillmar({"--help"}, L"C:\\", L"");
  EXPECT_EQ(help.status, 0u);
  EXPECT_NE(help.out.find("  --list "), std::string::npos) << help.out;
  EXPECT_EQ(help.out.find("--screenshot"), std::string::npos) << help.out;
  EXPECT_EQ(RunQuillmar({"--screenshot", "x.png"}, L"C:\\", L"").status, 2u);
}

}  // namespace
