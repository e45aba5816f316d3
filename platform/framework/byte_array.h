#pragma once
#include <stdexcept>
#include <vector>

#include "platform/framework/cobject.h"

// A growable array of bytes, as the file-like sockets write it: its data
// and its size.
class CByteArray : public CObject {
 public:
  CByteArray() = default;
  CByteArray(const CByteArray&) = delete;
  CByteArray& operator=(const CByteArray&) = delete;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  // New elements are zero; a negative size throws std::out_of_range.
  void SetSize(INT_PTR nNewSize) {
    if (nNewSize < 0) throw std::out_of_range("CByteArray size");
    m_data.resize(static_cast<std::size_t>(nNewSize));
  }

  // The elements in order, or null when there are none.
  BYTE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
  const BYTE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }

 private:
  std::vector<BYTE> m_data;
};
