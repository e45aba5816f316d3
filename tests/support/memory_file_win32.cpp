#include <stdexcept>

#include "platform/kernel/windef.h"
#include "tests/support/memory_file.h"

namespace vqtest {

namespace {

// As CFile keeps it: the lower 32 bits of the handle, sign-extended back.
HANDLE HandleOf(UINT hFile) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(hFile))); }

// A temporary file, deleted with its last handle; the system keeps a
// temporary file's data in its cache where it can.
HANDLE CreateScratchFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t path[MAX_PATH + 1];
  if (::GetTempPathW(MAX_PATH + 1, folder) == 0 || ::GetTempFileNameW(folder, L"vqm", 0, path) == 0) {
    throw std::runtime_error("GetTempFileName");
  }
  const HANDLE handle = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    ::DeleteFileW(path);
    throw std::runtime_error("CreateFile");
  }
  return handle;
}

LONGLONG MovePointer(HANDLE handle, LONGLONG to, DWORD method) {
  LARGE_INTEGER distance;
  distance.QuadPart = to;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(handle, distance, &position, method)) throw std::runtime_error("SetFilePointerEx");
  return position.QuadPart;
}

}  // namespace

MemoryFile::MemoryFile(const std::vector<BYTE>& contents) {
  const HANDLE handle = CreateScratchFile();
  DWORD written = 0;
  if (!contents.empty() &&
      (!::WriteFile(handle, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
       written != contents.size())) {
    ::CloseHandle(handle);
    throw std::runtime_error("WriteFile");
  }
  MovePointer(handle, 0, FILE_BEGIN);
  m_hFile = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(handle));
  m_bCloseOnDelete = TRUE;
  m_strFileName = "memory";
}

// Reads from the start and puts the position back where it was.
std::vector<BYTE> MemoryFile::Contents() const {
  const HANDLE handle = HandleOf(m_hFile);
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(handle, &size)) throw std::runtime_error("GetFileSizeEx");
  const LONGLONG position = MovePointer(handle, 0, FILE_CURRENT);
  MovePointer(handle, 0, FILE_BEGIN);
  std::vector<BYTE> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  const bool done =
      bytes.empty() ||
      (::ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
  MovePointer(handle, position, FILE_BEGIN);
  if (!done) throw std::runtime_error("ReadFile");
  return bytes;
}

}  // namespace vqtest
