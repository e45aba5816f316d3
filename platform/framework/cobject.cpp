#include "platform/framework/cobject.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {

struct ClassList {
  std::mutex mutex;
  CRuntimeClass* head = nullptr;
};

ClassList& classList() {
  static ClassList* list = new ClassList;
  return *list;
}

}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr, nullptr};
// The framework's own name for the record's registration.
static const AFX_CLASSINIT _init_CObject(&CObject::classCObject);  // NOLINT(bugprone-reserved-identifier)

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) {
  ClassList& list = classList();
  std::lock_guard lock(list.mutex);
  pNewClass->m_pNextClass = list.head;
  list.head = pNewClass;
}

CObject* CRuntimeClass::CreateObject() const {
  if (m_pfnCreateObject == nullptr) return nullptr;
  return m_pfnCreateObject();
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName) {
  if (lpszClassName == nullptr) return nullptr;
  ClassList& list = classList();
  std::lock_guard lock(list.mutex);
  for (CRuntimeClass* c = list.head; c != nullptr; c = c->m_pNextClass) {
    if (std::strcmp(c->m_lpszClassName, lpszClassName) == 0) return c;
  }
  return nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCSTR lpszClassName) {
  const CRuntimeClass* c = FromName(lpszClassName);
  return c != nullptr ? c->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }
void CObject::Serialize(CArchive& /*ar*/) {}
void CObject::AssertValid() const {}
void CObject::Dump(CDumpContext& /*dc*/) const {}
