// Multiple values: the answers of the value interface for lists, child lists
// attached to items and the counting over the outline they form.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/containers/VChainListOf.h"
#include "framework/core/containers/VChildAssociation.h"
#include "framework/core/tests/ListTestSupport.h"

TEST(ValueMultiple, ListAnswersTheMultipleValueDefaults) {
  VChainListOf<VObject*> l;
  VChainListOf<VObject*> other;
  EXPECT_EQ(l.Clone(), nullptr);
  EXPECT_FALSE(l.IsSingle());
  EXPECT_FALSE(l.IsMultiple());
  EXPECT_EQ(l.GetKind(), 0);
  EXPECT_EQ(l.Compare(other, 0, 0), -1000);
  EXPECT_EQ(l.Compare(l, 1, -1), -1000);
  EXPECT_EQ(l.GetChildAssociations(), nullptr);
}

TEST(ValueMultiple, WithoutChildrenCountAllIsCount) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.CountAll(), 3);
}

TEST(ValueMultiple, CountAllAddsEveryChildListBelowTheItems) {
  VChainListOf<int32_t> root, child, grandchild;
  AddAll(root, {1, 2, 3});
  AddAll(child, {21, 22});
  AddAll(grandchild, {221, 222, 223, 224});
  ASSERT_TRUE(root.AddChildAssociation(2, &child));
  ASSERT_TRUE(child.AddChildAssociation(2, &grandchild));
  EXPECT_EQ(root.Count(), 3);
  EXPECT_EQ(root.CountAll(), 9);
  EXPECT_EQ(child.CountAll(), 6);
  // Lists of another element type may hang below as well.
  VArrayListOf<VObject*> objects;
  VObject* none = nullptr;
  objects.Add(&none);
  ASSERT_TRUE(root.AddChildAssociation(3, &objects));
  EXPECT_EQ(root.CountAll(), 10);
}

TEST(ValueMultiple, AssociationsKeepTheOrderOfAttachment) {
  VArrayListOf<int32_t> root, a, b;
  AddAll(root, {1, 2, 3});
  root.AddChildAssociation(3, &a);
  root.AddChildAssociation(1, &b);
  root.AddChildAssociation(3, &b);  // the same index again is recorded too
  const VArrayListOf<VChildAssociation>* records = root.GetChildAssociations();
  ASSERT_NE(records, nullptr);
  ASSERT_EQ(records->Count(), 3);
  EXPECT_EQ(records->GetAt(1).itemIndex, 3);
  EXPECT_EQ(records->GetAt(1).childList, &a);
  EXPECT_EQ(records->GetAt(2).itemIndex, 1);
  EXPECT_EQ(records->GetAt(3).childList, &b);
  EXPECT_EQ(records->GetTag(), -1);
  EXPECT_FALSE(records->GetUnique());
}

TEST(ValueMultiple, AssociationRecordHasNoStrayBytes) {
  int dummy = 0;
  VValueMultiple* child = reinterpret_cast<VValueMultiple*>(&dummy);
  const VChildAssociation r(7, child);
  uint8_t bytes[sizeof(VChildAssociation)];
  std::memcpy(bytes, &r, sizeof(r));
  int32_t index;
  std::memcpy(&index, bytes + offsetof(VChildAssociation, itemIndex), 4);
  EXPECT_EQ(index, 7);
  // Every byte that belongs to no field is zero, so two records of the same
  // index and child compare equal byte for byte.
  for (size_t i = sizeof(int32_t); i < offsetof(VChildAssociation, childList); ++i)
    EXPECT_EQ(bytes[i], 0) << i;
  // Index first, then the pointer at its natural alignment.
  EXPECT_EQ(offsetof(VChildAssociation, childList), alignof(VValueMultiple*));
  VArrayListOf<VChildAssociation> records;
  records.Add(&r);
  const VChildAssociation again(7, child);
  EXPECT_EQ(records.IndexOf(&again), 1);
}

TEST(ValueMultiple, AttachingThatWouldMakeALoopIsRefused) {
  VChainListOf<int32_t> root, child, grandchild;
  EXPECT_FALSE(root.AddChildAssociation(1, nullptr));
  EXPECT_FALSE(root.AddChildAssociation(1, &root));
  ASSERT_TRUE(root.AddChildAssociation(1, &child));
  ASSERT_TRUE(child.AddChildAssociation(1, &grandchild));
  EXPECT_FALSE(grandchild.AddChildAssociation(1, &root));
  EXPECT_FALSE(grandchild.AddChildAssociation(1, &child));
  EXPECT_EQ(grandchild.GetChildAssociations(), nullptr);
  // The same child under two items is no loop.
  EXPECT_TRUE(root.AddChildAssociation(2, &grandchild));
  EXPECT_EQ(root.CountAll(), 0);
}

TEST(ValueMultiple, ReleasingAParentLeavesItsChildListsAlive) {
  std::vector<int> log;
  VChainListPtrOf<VObject*> child;
  VObject* o = new Tracked(&log, 1);
  child.Add(&o);
  {
    VArrayListOf<int32_t> parent;
    AddAll(parent, {1});
    ASSERT_TRUE(parent.AddChildAssociation(1, &child));
  }
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(child.Count(), 1);
  child.RemoveAll(false);
  EXPECT_EQ(log, std::vector<int>{1});
}
