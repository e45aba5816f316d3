#pragma once
#include <compare>
#include <string>
#include <string_view>

#include "platform/kernel/windef.h"

// The framework's 8-bit string with value semantics. Bytes are kept as they
// are (no encoding); the text may hold any byte value, NUL included, although
// the C-string conversions stop at the first NUL as C strings do.
class CString {
 public:
  CString() = default;
  CString(LPCSTR text);  // NOLINT: implicit like the framework's; null is empty
  explicit CString(std::string_view text);
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  ~CString() = default;

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(LPCSTR text);

  CString& operator+=(const CString& other);
  CString& operator+=(LPCSTR text);
  CString& operator+=(char ch);

  int GetLength() const { return static_cast<int>(m_data.size()); }
  BOOL IsEmpty() const { return m_data.empty() ? TRUE : FALSE; }
  void Empty() { m_data.clear(); }

  char GetAt(int index) const;
  char operator[](int index) const { return GetAt(index); }
  void SetAt(int index, char ch);
  operator LPCSTR() const { return m_data.c_str(); }  // NOLINT: framework conversion

  // First occurrence, case-sensitive; -1 when absent.
  int Find(char ch, int start = 0) const;
  int Find(LPCSTR sub, int start = 0) const;

  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;

  // White space: space, tab, line feed, vertical tab, form feed, carriage return.
  void TrimLeft();
  void TrimRight();
  void MakeLower();

  // printf-style; the result is sized to fit, so it cannot overflow.
  void Format(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));

  // Loads a text from the application's string table; FALSE when absent.
  BOOL LoadString(UINT id);

  // Writable buffer of at least minLength characters (plus a NUL);
  // ReleaseBuffer sets the length (-1: up to the first NUL).
  LPSTR GetBuffer(int minLength);
  void ReleaseBuffer(int newLength = -1);

  const std::string& str() const { return m_data; }
  std::string_view view() const { return m_data; }

 private:
  std::string m_data;
};

bool operator==(const CString& a, const CString& b);
// By content, byte by byte, as the framework's strings compare; without it
// the conversion to LPCSTR would compare where the texts are kept.
inline std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.str() <=> b.str(); }
// A null text compares as the empty one.
inline bool operator==(const CString& a, LPCSTR b) { return a.str() == (b != nullptr ? b : ""); }
CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);

// The application's string table, filled by the program's resources.
namespace framework {
void RegisterStringResource(UINT id, LPCSTR text);
}
