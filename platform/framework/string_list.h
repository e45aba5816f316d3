#pragma once
#include "platform/framework/cobject.h"
#include "platform/framework/cstring.h"
#include "platform/framework/position.h"

// Ordered list of strings, walked by POSITION:
//   for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) use(list.GetNext(pos));
// A POSITION stays valid until its element is removed. Asking for the head,
// tail or an element of an empty list throws std::out_of_range.
class CStringList : public CObject {
  DECLARE_DYNAMIC(CStringList)
 public:
  // nBlockSize is the framework's allocation hint; elements are allocated
  // one by one here, so it only records the caller's choice.
  explicit CStringList(INT_PTR nBlockSize = 10);
  ~CStringList() override;
  CStringList(const CStringList&) = delete;
  CStringList& operator=(const CStringList&) = delete;

  INT_PTR GetCount() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0 ? TRUE : FALSE; }
  INT_PTR GetBlockSize() const { return m_nBlockSize; }

  CString& GetHead();
  const CString& GetHead() const;
  CString& GetTail();
  const CString& GetTail() const;

  POSITION AddHead(const CString& newElement);
  POSITION AddTail(const CString& newElement);
  CString RemoveHead();
  CString RemoveTail();
  void RemoveAll();

  POSITION GetHeadPosition() const;
  POSITION GetTailPosition() const;
  // The element at rPosition; rPosition moves to the next (previous) one.
  CString& GetNext(POSITION& rPosition);
  const CString& GetNext(POSITION& rPosition) const;
  CString& GetPrev(POSITION& rPosition);
  const CString& GetPrev(POSITION& rPosition) const;
  CString& GetAt(POSITION position);
  const CString& GetAt(POSITION position) const;
  void SetAt(POSITION position, const CString& newElement);
  void RemoveAt(POSITION position);

  // First element equal to the value after startAfter (null: from the head).
  POSITION Find(const CString& searchValue, POSITION startAfter = nullptr) const;
  // The element at a zero-based index, or null.
  POSITION FindIndex(INT_PTR nIndex) const;

 private:
  struct Node;
  static Node* NodeAt(POSITION position);
  Node* m_pHead = nullptr;
  Node* m_pTail = nullptr;
  INT_PTR m_nCount = 0;
  INT_PTR m_nBlockSize;
};
