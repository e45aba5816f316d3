#include "platform/framework/string_list.h"

IMPLEMENT_DYNAMIC(CStringList, CObject)

CStringList::CStringList(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize) {}

CStringList::~CStringList() = default;

void CStringList::AddTail(const CString& newElement) { m_items.push_back(newElement); }

void CStringList::RemoveAll() { m_items.clear(); }
