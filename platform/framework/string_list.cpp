#include "platform/framework/string_list.h"

#include <stdexcept>

IMPLEMENT_DYNAMIC(CStringList, CObject)

struct CStringList::Node {
  Node* pNext;
  Node* pPrev;
  CString data;
};

namespace {
POSITION PositionOf(void* node) { return static_cast<POSITION>(node); }
}  // namespace

CStringList::Node* CStringList::NodeAt(POSITION position) {
  if (position == nullptr) throw std::out_of_range("CStringList: no element at a null position");
  return static_cast<Node*>(static_cast<void*>(position));
}

CStringList::CStringList(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize) {}

CStringList::~CStringList() { RemoveAll(); }

CString& CStringList::GetHead() { return GetAt(GetHeadPosition()); }
const CString& CStringList::GetHead() const { return GetAt(GetHeadPosition()); }
CString& CStringList::GetTail() { return GetAt(GetTailPosition()); }
const CString& CStringList::GetTail() const { return GetAt(GetTailPosition()); }

POSITION CStringList::AddHead(const CString& newElement) {
  Node* node = new Node{m_pHead, nullptr, newElement};
  (m_pHead != nullptr ? m_pHead->pPrev : m_pTail) = node;
  m_pHead = node;
  ++m_nCount;
  return PositionOf(node);
}

POSITION CStringList::AddTail(const CString& newElement) {
  Node* node = new Node{nullptr, m_pTail, newElement};
  (m_pTail != nullptr ? m_pTail->pNext : m_pHead) = node;
  m_pTail = node;
  ++m_nCount;
  return PositionOf(node);
}

CString CStringList::RemoveHead() {
  CString value = GetHead();
  RemoveAt(GetHeadPosition());
  return value;
}

CString CStringList::RemoveTail() {
  CString value = GetTail();
  RemoveAt(GetTailPosition());
  return value;
}

void CStringList::RemoveAll() {
  while (m_pHead != nullptr) {
    Node* next = m_pHead->pNext;
    delete m_pHead;
    m_pHead = next;
  }
  m_pTail = nullptr;
  m_nCount = 0;
}

POSITION CStringList::GetHeadPosition() const { return PositionOf(m_pHead); }
POSITION CStringList::GetTailPosition() const { return PositionOf(m_pTail); }

CString& CStringList::GetNext(POSITION& rPosition) {
  Node* node = NodeAt(rPosition);
  rPosition = PositionOf(node->pNext);
  return node->data;
}

const CString& CStringList::GetNext(POSITION& rPosition) const {
  return const_cast<CStringList*>(this)->GetNext(rPosition);
}

CString& CStringList::GetPrev(POSITION& rPosition) {
  Node* node = NodeAt(rPosition);
  rPosition = PositionOf(node->pPrev);
  return node->data;
}

const CString& CStringList::GetPrev(POSITION& rPosition) const {
  return const_cast<CStringList*>(this)->GetPrev(rPosition);
}

CString& CStringList::GetAt(POSITION position) { return NodeAt(position)->data; }
const CString& CStringList::GetAt(POSITION position) const { return NodeAt(position)->data; }

void CStringList::SetAt(POSITION position, const CString& newElement) { NodeAt(position)->data = newElement; }

void CStringList::RemoveAt(POSITION position) {
  Node* node = NodeAt(position);
  (node->pPrev != nullptr ? node->pPrev->pNext : m_pHead) = node->pNext;
  (node->pNext != nullptr ? node->pNext->pPrev : m_pTail) = node->pPrev;
  delete node;
  --m_nCount;
}

POSITION CStringList::Find(const CString& searchValue, POSITION startAfter) const {
  for (Node* node = startAfter != nullptr ? NodeAt(startAfter)->pNext : m_pHead; node != nullptr; node = node->pNext) {
    if (node->data == searchValue) return PositionOf(node);
  }
  return nullptr;
}

POSITION CStringList::FindIndex(INT_PTR nIndex) const {
  if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
  Node* node = m_pHead;
  while (nIndex-- > 0) node = node->pNext;
  return PositionOf(node);
}
