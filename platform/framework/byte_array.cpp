#include "platform/framework/byte_array.h"

#include <new>
#include <stdexcept>

#include "platform/framework/memory_exception.h"

IMPLEMENT_DYNAMIC(CByteArray, CObject)

namespace {
void CheckIndex(INT_PTR index, INT_PTR size) {
  if (index < 0 || index >= size) throw std::out_of_range("CByteArray index");
}
}  // namespace

void CByteArray::SetSize(INT_PTR nNewSize, INT_PTR) {
  if (nNewSize < 0) throw std::out_of_range("CByteArray size");
  try {
    m_data.resize(static_cast<std::size_t>(nNewSize));
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  } catch (const std::length_error&) {
    AfxThrowMemoryException();
  }
}

void CByteArray::RemoveAll() { std::vector<BYTE>().swap(m_data); }

BYTE CByteArray::GetAt(INT_PTR nIndex) const {
  CheckIndex(nIndex, GetSize());
  return m_data[static_cast<std::size_t>(nIndex)];
}

void CByteArray::SetAt(INT_PTR nIndex, BYTE newElement) { (*this)[nIndex] = newElement; }

BYTE& CByteArray::operator[](INT_PTR nIndex) {
  CheckIndex(nIndex, GetSize());
  return m_data[static_cast<std::size_t>(nIndex)];
}

INT_PTR CByteArray::Add(BYTE newElement) {
  try {
    m_data.push_back(newElement);
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
  return GetSize() - 1;
}
