#pragma once
#include <new>

#include "platform/kernel/windef.h"

class CObject;
class CArchive;
class CDumpContext;

// Run-time class record: name, object size, schema, factory (or none) and
// base class. Records are chained into one process-wide list at start-up.
struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;  // 0xFFFF: not serialisable
  CObject* (*m_pfnCreateObject)();
  CRuntimeClass* m_pBaseClass;
  CRuntimeClass* m_pNextClass;

  // A new object of the class from its factory; null without one.
  CObject* CreateObject() const;

  // By exact class name among the records entered so far; null when none.
  static CRuntimeClass* FromName(LPCSTR lpszClassName);
  static CObject* CreateObject(LPCSTR lpszClassName);
};

// Enters a record into the process-wide list; used by the IMPLEMENT_ macros.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

// Dump sink for diagnostics; the program's classes dump nothing.
class CDumpContext {};

// Root of the framework's classes. Virtual slots in this order:
// GetRuntimeClass, destructor, Serialize, AssertValid, Dump.
class CObject {
 public:
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const;
  virtual void Dump(CDumpContext& dc) const;

  static CRuntimeClass classCObject;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)       \
 public:                                  \
  static CRuntimeClass class##class_name; \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define VQ_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                               \
  CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), wSchema,  \
                                                 pfnNew,      RUNTIME_CLASS(base_class_name),       nullptr}; \
  static const AFX_CLASSINIT _init_##class_name(&class_name::class##class_name);                              \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  VQ_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

// The class name stands as a type after new, where it cannot be parenthesised.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                        \
  CObject* class_name::CreateObject() { return new (std::nothrow) class_name; } \
  VQ_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                  \
  CObject* class_name::CreateObject() { return new (std::nothrow) class_name; } \
  VQ_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject)
// NOLINTEND(bugprone-macro-parentheses)
