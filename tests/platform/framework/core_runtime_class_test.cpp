#include <gtest/gtest.h>

#include <memory>

#include "platform/framework/afx.h"

class CCoreTestShape : public CObject {
  DECLARE_DYNCREATE(CCoreTestShape)
};
IMPLEMENT_DYNCREATE(CCoreTestShape, CObject)

class CCoreTestCircle : public CCoreTestShape {
  DECLARE_SERIAL(CCoreTestCircle)
 public:
  int m_nRadius = 5;
};
IMPLEMENT_SERIAL(CCoreTestCircle, CCoreTestShape, 1)

class CCoreTestAbstractKind : public CObject {
  DECLARE_DYNAMIC(CCoreTestAbstractKind)
};
IMPLEMENT_DYNAMIC(CCoreTestAbstractKind, CObject)

namespace {

TEST(RuntimeClass, FromNameFindsRegisteredRecords) {
  EXPECT_EQ(CRuntimeClass::FromName("CCoreTestCircle"), RUNTIME_CLASS(CCoreTestCircle));
  EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  EXPECT_EQ(CRuntimeClass::FromName("ccoretestcircle"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
}

TEST(RuntimeClass, CreateObjectByNameOnlyWithAFactory) {
  std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CCoreTestCircle"));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CCoreTestCircle));
  EXPECT_EQ(static_cast<CCoreTestCircle*>(object.get())->m_nRadius, 5);

  EXPECT_EQ(CRuntimeClass::CreateObject("CCoreTestAbstractKind"), nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CFile)->CreateObject(), nullptr);
  EXPECT_EQ(CRuntimeClass::CreateObject("NoSuchClass"), nullptr);
}

TEST(RuntimeClass, RecordsCarryTheirSchemaAndBase) {
  const CCoreTestCircle circle;
  EXPECT_EQ(circle.GetRuntimeClass()->m_wSchema, 1u);
  EXPECT_EQ(circle.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CCoreTestShape));
  const CCoreTestShape shape;
  EXPECT_EQ(shape.GetRuntimeClass()->m_wSchema, 0xFFFFu);
  EXPECT_EQ(shape.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CObject));
}

TEST(RuntimeClass, FrameworkClassRecords) {
  struct Expected {
    const char* name;
    CRuntimeClass* base;
  };
  for (const Expected& e :
       {Expected{"CFile", RUNTIME_CLASS(CObject)}, Expected{"CException", RUNTIME_CLASS(CObject)},
        Expected{"CFileException", RUNTIME_CLASS(CException)}, Expected{"CArchiveException", RUNTIME_CLASS(CException)},
        Expected{"CStringList", RUNTIME_CLASS(CObject)}}) {
    const CRuntimeClass* record = CRuntimeClass::FromName(e.name);
    ASSERT_NE(record, nullptr) << e.name;
    EXPECT_EQ(record->m_pBaseClass, e.base) << e.name;
    EXPECT_EQ(record->m_wSchema, 0xFFFFu) << e.name;
  }
}

}  // namespace
