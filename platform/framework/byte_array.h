#pragma once
#include <vector>

#include "platform/framework/cobject.h"

// Growable array of bytes. Indexes outside 0..GetSize()-1 throw
// std::out_of_range; running out of memory throws CMemoryException*.
class CByteArray : public CObject {
  DECLARE_DYNAMIC(CByteArray)
 public:
  CByteArray() = default;
  CByteArray(const CByteArray&) = delete;
  CByteArray& operator=(const CByteArray&) = delete;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  // New elements are zero. nGrowBy is the framework's allocation hint; the
  // array grows geometrically here whatever it says.
  void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
  void RemoveAll();

  // The elements in order, or null when there are none.
  BYTE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
  const BYTE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }

  BYTE GetAt(INT_PTR nIndex) const;
  void SetAt(INT_PTR nIndex, BYTE newElement);
  BYTE& operator[](INT_PTR nIndex);
  BYTE operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
  // Appends; returns the new element's index.
  INT_PTR Add(BYTE newElement);

 private:
  std::vector<BYTE> m_data;
};
