#pragma once
#include <concepts>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "platform/framework/cfile.h"
#include "platform/framework/cstring.h"

// A buffered stream of values over a file, either loading or storing.
// Numbers are little-endian; strings carry the framework's length prefix
// (see the CString operators below). Failures throw CArchiveException* (or
// the file's CFileException*).
class CArchive {
 public:
  enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

  CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096);
  // Closes the archive unless bNoFlushOnDelete is set; a failure to write out
  // the buffer here is lost, so call Close to see it.
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0 ? TRUE : FALSE; }
  BOOL IsStoring() const { return (m_nMode & load) == 0 ? TRUE : FALSE; }
  CFile* GetFile() const { return m_pFile; }

  // Bytes read; fewer than nMax only at the end of the file.
  UINT Read(void* lpBuf, UINT nMax);
  void Write(const void* lpBuf, UINT nMax);

  // Storing: writes the buffer to the file. Loading: gives unread buffered
  // bytes back to the file (seeks back), so the file stands after the last
  // value taken.
  void Flush();
  // Flush, then detach from the file (the file stays open).
  void Close();

  CArchive& operator<<(BYTE by) { return StoreValue(by); }
  CArchive& operator<<(char ch) { return StoreValue(static_cast<BYTE>(ch)); }
  CArchive& operator<<(WORD w) { return StoreValue(w); }
  CArchive& operator<<(short n) { return StoreValue(static_cast<WORD>(n)); }
  CArchive& operator<<(LONG l) { return StoreValue(static_cast<DWORD>(l)); }  // also int
  CArchive& operator<<(DWORD dw) { return StoreValue(dw); }                   // also unsigned int

  CArchive& operator>>(BYTE& by) { return LoadValue(by); }
  CArchive& operator>>(char& ch) { return LoadAs<BYTE>(ch); }
  CArchive& operator>>(WORD& w) { return LoadValue(w); }
  CArchive& operator>>(short& n) { return LoadAs<WORD>(n); }
  CArchive& operator>>(LONG& l) { return LoadAs<DWORD>(l); }
  CArchive& operator>>(DWORD& dw) { return LoadValue(dw); }
  // Where LONG and DWORD are long types (Windows), int and unsigned int
  // travel as they do.
  template <std::same_as<int> T>
  requires(!std::is_same_v<int, LONG>) CArchive& operator<<(T n) { return *this << static_cast<LONG>(n); }
  template <std::same_as<unsigned int> T>
  requires(!std::is_same_v<unsigned int, DWORD>) CArchive& operator<<(T n) { return *this << static_cast<DWORD>(n); }
  template <std::same_as<int> T>
  requires(!std::is_same_v<int, LONG>) CArchive& operator>>(T& n) { return LoadAs<DWORD>(n); }
  template <std::same_as<unsigned int> T>
  requires(!std::is_same_v<unsigned int, DWORD>) CArchive& operator>>(T& n) { return LoadAs<DWORD>(n); }

  // The string length prefix: below 255 one byte; up to 65533 the byte 0xFF
  // and 16 bits; beyond, 0xFF, 0xFFFF and 32 bits.
  void WriteStringLength(DWORD nLength);
  DWORD ReadStringLength();

  // Reads exactly nCount bytes or throws CArchiveException* endOfFile.
  void ReadExactly(void* lpBuf, UINT nCount);

 private:
  template <typename T>
  CArchive& StoreValue(T value) {
    BYTE bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<BYTE>(value >> (8 * i));
    Write(bytes, sizeof(T));
    return *this;
  }

  template <typename T>
  CArchive& LoadValue(T& value) {
    static_assert(std::is_unsigned_v<T>);
    BYTE bytes[sizeof(T)];
    ReadExactly(bytes, sizeof(T));
    T result = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) result = static_cast<T>(result | (static_cast<T>(bytes[i]) << (8 * i)));
    value = result;
    return *this;
  }

  template <typename Unsigned, typename T>
  CArchive& LoadAs(T& value) {
    Unsigned raw = 0;
    LoadValue(raw);
    value = static_cast<T>(raw);
    return *this;
  }

  void CheckOpen() const;
  [[noreturn]] void Throw(int cause) const;
  UINT FillBuffer();
  void WriteOutBuffer();

  CFile* m_pFile;
  UINT m_nMode;
  std::vector<BYTE> m_buffer;
  std::size_t m_nCur = 0;  // loading: next unread byte; storing: bytes held
  std::size_t m_nMax = 0;  // loading: bytes held
};

static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(int) == 4,
              "int and unsigned int travel as the 4-byte LONG and DWORD");

// Strings are 8-bit. Loading refuses the wide-character marker (0xFF then
// 0xFFFE) with badIndex, since this program has no wide strings, and a
// length beyond the largest string with badIndex too; the characters are
// read in bounded chunks, so a false length meets the end of the file before
// much memory is taken. On failure the string keeps its old value.
CArchive& operator<<(CArchive& ar, const CString& str);
CArchive& operator>>(CArchive& ar, CString& str);
