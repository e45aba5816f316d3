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
  EXPECT_TRUE(object->IsSerializable());

  EXPECT_EQ(CRuntimeClass::CreateObject("CCoreTestAbstractKind"), nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CFile)->CreateObject(), nullptr);
  EXPECT_EQ(CRuntimeClass::CreateObject("NoSuchClass"), nullptr);
}

TEST(RuntimeClass, IsKindOfFollowsTheBaseChain) {
  CCoreTestCircle circle;
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CCoreTestCircle)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CCoreTestShape)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(circle.IsKindOf(RUNTIME_CLASS(CCoreTestAbstractKind)));
  CCoreTestShape shape;
  EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CCoreTestCircle)));
  EXPECT_FALSE(shape.IsSerializable());
}

TEST(RuntimeClass, FrameworkClassRecords) {
  struct Expected {
    const char* name;
    CRuntimeClass* base;
  };
  for (const Expected& e :
       {Expected{"CFile", RUNTIME_CLASS(CObject)}, Expected{"CMemFile", RUNTIME_CLASS(CFile)},
        Expected{"CException", RUNTIME_CLASS(CObject)}, Expected{"CFileException", RUNTIME_CLASS(CException)},
        Expected{"CArchiveException", RUNTIME_CLASS(CException)},
        Expected{"CMemoryException", RUNTIME_CLASS(CException)}, Expected{"CStringList", RUNTIME_CLASS(CObject)},
        Expected{"CByteArray", RUNTIME_CLASS(CObject)}}) {
    const CRuntimeClass* record = CRuntimeClass::FromName(e.name);
    ASSERT_NE(record, nullptr) << e.name;
    EXPECT_EQ(record->m_pBaseClass, e.base) << e.name;
    EXPECT_EQ(record->m_wSchema, 0xFFFFu) << e.name;
  }
  CMemFile memory;
  EXPECT_TRUE(memory.IsKindOf(RUNTIME_CLASS(CFile)));
  EXPECT_EQ(memory.GetRuntimeClass(), RUNTIME_CLASS(CMemFile));
}

}  // namespace
