#include "platform/framework/cstring.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

bool IsTrimSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

struct StringTable {
  std::mutex mutex;
  std::map<UINT, std::string> texts;
};

StringTable& stringTable() {
  static StringTable* table = new StringTable;
  return *table;
}

std::size_t Clamp(int value, std::size_t max) {
  return value <= 0 ? 0 : std::min(static_cast<std::size_t>(value), max);
}

}  // namespace

CString::CString(LPCSTR text) : m_data(text != nullptr ? text : "") {}

CString::CString(std::string_view text) : m_data(text) {}

CString& CString::operator=(LPCSTR text) {
  m_data = text != nullptr ? text : "";
  return *this;
}

CString& CString::operator+=(const CString& other) {
  m_data += other.m_data;
  return *this;
}

CString& CString::operator+=(LPCSTR text) {
  if (text != nullptr) m_data += text;
  return *this;
}

CString& CString::operator+=(char ch) {
  m_data += ch;
  return *this;
}

char CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) throw std::out_of_range("CString index");
  return m_data[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, char ch) {
  if (index < 0 || index >= GetLength()) throw std::out_of_range("CString index");
  m_data[static_cast<std::size_t>(index)] = ch;
}

int CString::Find(char ch, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  const auto pos = m_data.find(ch, static_cast<std::size_t>(start));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCSTR sub, int start) const {
  if (sub == nullptr || start < 0 || start > GetLength()) return -1;
  const auto pos = m_data.find(sub, static_cast<std::size_t>(start));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
  return CString(std::string_view(m_data).substr(0, Clamp(count, m_data.size())));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  const std::size_t from = Clamp(first, m_data.size());
  return CString(std::string_view(m_data).substr(from, Clamp(count, m_data.size() - from)));
}

void CString::TrimLeft() {
  const auto first = std::find_if_not(m_data.begin(), m_data.end(), IsTrimSpace);
  m_data.erase(m_data.begin(), first);
}

void CString::TrimRight() {
  const auto last = std::find_if_not(m_data.rbegin(), m_data.rend(), IsTrimSpace);
  m_data.erase(last.base(), m_data.end());
}

void CString::MakeLower() {
  for (char& c : m_data) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

void CString::Format(LPCSTR format, ...) {
  if (format == nullptr) {
    m_data.clear();
    return;
  }
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed < 0) {
    va_end(args);
    m_data.clear();
    return;
  }
  std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  m_data.assign(buffer.data(), static_cast<std::size_t>(needed));
}

BOOL CString::LoadString(UINT id) {
  StringTable& table = stringTable();
  std::lock_guard lock(table.mutex);
  auto it = table.texts.find(id);
  if (it == table.texts.end()) return FALSE;
  m_data = it->second;
  return TRUE;
}

LPSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_data.resize(static_cast<std::size_t>(minLength));
  return m_data.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    m_data.resize(std::strlen(m_data.c_str()));
  } else {
    m_data.resize(std::min(static_cast<std::size_t>(newLength), m_data.size()));
  }
}

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }

CString operator+(const CString& a, const CString& b) {
  CString joined(a);
  joined += b;
  return joined;
}

CString operator+(const CString& a, LPCSTR b) {
  CString joined(a);
  joined += b;
  return joined;
}

CString operator+(LPCSTR a, const CString& b) {
  CString joined(a);
  joined += b;
  return joined;
}

CString operator+(const CString& a, char b) {
  CString joined(a);
  joined += b;
  return joined;
}

namespace framework {
void RegisterStringResource(UINT id, LPCSTR text) {
  StringTable& table = stringTable();
  std::lock_guard lock(table.mutex);
  table.texts[id] = text != nullptr ? text : "";
}
}  // namespace framework
