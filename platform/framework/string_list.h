#pragma once
#include <list>

#include "platform/framework/cobject.h"
#include "platform/framework/cstring.h"

// Ordered list of strings: appended at the tail, read in order.
//   for (const CString& item : list) use(item);
class CStringList : public CObject {
  DECLARE_DYNAMIC(CStringList)
 public:
  // nBlockSize is the framework's allocation hint; elements are allocated
  // one by one here, so it only records the caller's choice.
  explicit CStringList(INT_PTR nBlockSize = 10);
  ~CStringList() override;
  CStringList(const CStringList&) = delete;
  CStringList& operator=(const CStringList&) = delete;

  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_items.size()); }
  BOOL IsEmpty() const { return m_items.empty() ? TRUE : FALSE; }
  INT_PTR GetBlockSize() const { return m_nBlockSize; }

  void AddTail(const CString& newElement);
  void RemoveAll();

  std::list<CString>::const_iterator begin() const { return m_items.begin(); }
  std::list<CString>::const_iterator end() const { return m_items.end(); }

 private:
  std::list<CString> m_items;
  INT_PTR m_nBlockSize;
};
