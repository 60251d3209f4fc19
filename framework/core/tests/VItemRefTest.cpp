// Item references: the cursor over an outline of lists, its moves by mode,
// its copies, and the child lists attached through it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/containers/VChainListOf.h"
#include "framework/core/containers/VChildAssociation.h"
#include "framework/core/containers/VItemRef.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/tests/ListTestSupport.h"

namespace {

using Ref = std::unique_ptr<VItemRef>;

// The indexes of the chain from the root down: {2, 1} is the first item of
// the child list of the root's second item.
std::vector<int32_t> Path(const VItemRef& ref) {
  std::vector<int32_t> path;
  for (const VItemRef* level = &ref; level != nullptr; level = level->GetChild())
    path.push_back(level->GetIndex());
  return path;
}

// Items a, b, c; b owns x, y.
struct SmallOutline {
  VChainListOf<int32_t> root;
  VArrayListOf<int32_t> child;
  SmallOutline() {
    AddAll(root, {1, 2, 3});
    AddAll(child, {21, 22});
    EXPECT_TRUE(root.AddChildAssociation(2, &child));
  }
};

// Items a, b, c; b owns x, y; y owns p, q, r, s: nine in outline order
// a b x y p q r s c.
struct DeepOutline {
  VChainListOf<int32_t> root;
  VChainListOf<int32_t> child;
  VArrayListOf<int32_t> grandchild;
  DeepOutline() {
    AddAll(root, {1, 2, 3});
    AddAll(child, {21, 22});
    AddAll(grandchild, {221, 222, 223, 224});
    EXPECT_TRUE(root.AddChildAssociation(2, &child));
    EXPECT_TRUE(child.AddChildAssociation(2, &grandchild));
  }
};

const std::vector<std::vector<int32_t>> kDeepOrder = {{1}, {2}, {2, 1}, {2, 2}, {2, 2, 1},
                                                      {2, 2, 2}, {2, 2, 3}, {2, 2, 4}, {3}};

// A multiple value that makes no item references, as the typed arrays.
class NoRefs : public VValueMultiple {
 public:
  NoRefs() : VValueMultiple(-1) {}
  int32_t Count() const override { return 2; }
};

}  // namespace

TEST(ItemRef, ListsMakeReferencesStandingOnThemselves) {
  VChainListOf<int32_t> list;
  AddAll(list, {1, 2, 3});
  Ref fresh(list.NewItemRef());
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->GetList(), &list);
  Ref placed(list.NewItemRefAt(2, kItemRefOutlinePosition));
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->GetList(), &list);
  EXPECT_EQ(placed->GetIndex(), 2);
  EXPECT_EQ(placed->GetDepth(), 1);
  EXPECT_EQ(placed->GetListTag(), -1);
  EXPECT_FALSE(placed->IsAtBoundary());
  // A value that makes no references places none.
  NoRefs noRefs;
  EXPECT_EQ(noRefs.NewItemRef(), nullptr);
  EXPECT_EQ(noRefs.NewItemRefAt(1, kItemRefOutlinePosition), nullptr);
}

TEST(ItemRef, NextInOutlineStopsOnTheLastItemWithTheFlag) {
  VChainListOf<int32_t> list;
  AddAll(list, {1, 2, 3});
  Ref ref(list.NewItemRefAt(2, 0));
  EXPECT_EQ(ref->GetIndex(), 2);
  EXPECT_FALSE(ref->IsAtBoundary());
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(ref->GetIndex(), 3);
  EXPECT_FALSE(ref->IsAtBoundary());
  EXPECT_TRUE(ref->IsLast());
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(ref->GetIndex(), 3);
  EXPECT_TRUE(ref->IsAtBoundary());
}

TEST(ItemRef, OutlinePositionsCountEachItemWithItsSubtree) {
  SmallOutline o;
  const std::vector<std::vector<int32_t>> expected = {{1}, {2}, {2, 1}, {2, 2}, {3}};
  for (int32_t p = 1; p <= 5; ++p) {
    Ref ref(o.root.NewItemRefAt(p, kItemRefOutlinePosition));
    EXPECT_EQ(Path(*ref), expected[p - 1]) << p;
    EXPECT_FALSE(ref->IsAtBoundary()) << p;
  }
  Ref y(o.root.NewItemRefAt(4, kItemRefOutlinePosition));
  EXPECT_EQ(y->GetDepth(), 2);
  EXPECT_EQ(y->GetChild()->GetList(), &o.child);
  EXPECT_EQ(y->GetChild()->GetLevelDepth(), 2);
  // Beyond the outline the cursor clamps to the root's last item.
  Ref beyond(o.root.NewItemRefAt(6, kItemRefOutlinePosition));
  EXPECT_EQ(Path(*beyond), std::vector<int32_t>{3});
  EXPECT_TRUE(beyond->IsAtBoundary());
}

TEST(ItemRef, NextAndPreviousInOutlineCrossLevels) {
  SmallOutline o;
  Ref ref(o.root.NewItemRefAt(4, kItemRefOutlinePosition));
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{3});
  EXPECT_EQ(ref->GetDepth(), 1);
  EXPECT_FALSE(ref->IsAtBoundary());
  ref->Move(0, kItemRefPreviousInOutline);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2}));
  EXPECT_EQ(ref->GetDepth(), 2);
  EXPECT_FALSE(ref->IsAtBoundary());
}

TEST(ItemRef, WalkForwardVisitsTheOutlineInDisplayOrder) {
  DeepOutline o;
  EXPECT_EQ(o.root.CountAll(), 9);
  Ref ref(o.root.NewItemRefAt(1, kItemRefOutlinePosition));
  std::vector<std::vector<int32_t>> seen{Path(*ref)};
  for (int i = 0; i < 8; ++i) {
    ref->Move(0, kItemRefNextInOutline);
    EXPECT_FALSE(ref->IsAtBoundary()) << i;
    seen.push_back(Path(*ref));
  }
  EXPECT_EQ(seen, kDeepOrder);
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_TRUE(ref->IsAtBoundary());
}

TEST(ItemRef, WalkBackwardVisitsTheOutlineInReverse) {
  DeepOutline o;
  Ref ref(o.root.NewItemRefAt(9, kItemRefOutlinePosition));
  std::vector<std::vector<int32_t>> seen{Path(*ref)};
  for (int i = 0; i < 8; ++i) {
    ref->Move(0, kItemRefPreviousInOutline);
    EXPECT_FALSE(ref->IsAtBoundary()) << i;
    seen.push_back(Path(*ref));
  }
  std::vector<std::vector<int32_t>> reversed(kDeepOrder.rbegin(), kDeepOrder.rend());
  EXPECT_EQ(seen, reversed);
  // Before the first item the cursor stays there with the flag set.
  ref->Move(0, kItemRefPreviousInOutline);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{1});
  EXPECT_TRUE(ref->IsAtBoundary());
}

TEST(ItemRef, EveryOutlinePositionOfADeepOutlineIsReached) {
  DeepOutline o;
  for (int32_t p = 1; p <= 9; ++p) {
    Ref ref(o.root.NewItemRefAt(p, kItemRefOutlinePosition));
    EXPECT_EQ(Path(*ref), kDeepOrder[p - 1]) << p;
    EXPECT_EQ(ref->GetDepth(), int16_t(kDeepOrder[p - 1].size())) << p;
  }
  // Outline positions inside a child list count from its own first item.
  Ref ref(o.root.NewItemRefAt(2, kItemRefOutlinePosition));
  ref->Move(0, kItemRefDescend);
  ref->Move(5, kItemRefDeepOutlinePosition);  // x y p q r: r
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 3}));
}

TEST(ItemRef, UpWithoutAChildOnlySetsTheFlag) {
  VChainListOf<int32_t> list;
  AddAll(list, {1, 2, 3});
  Ref ref(list.NewItemRefAt(2, kItemRefOutlinePosition));
  ref->Move(0, kItemRefUp);
  EXPECT_TRUE(ref->IsAtBoundary());
  EXPECT_EQ(ref->GetIndex(), 2);
  EXPECT_EQ(ref->GetDepth(), 1);
  EXPECT_EQ(ref->GetChild(), nullptr);
}

TEST(ItemRef, UpDropsTheDeepestLevelOnly) {
  DeepOutline o;
  Ref ref(o.root.NewItemRefAt(6, kItemRefOutlinePosition));  // q
  ref->Move(0, kItemRefUp);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2}));
  EXPECT_FALSE(ref->IsAtBoundary());
  ref->Move(0, kItemRefUp);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{2});
}

TEST(ItemRef, SetIndexClampsAtBothEndsWithTheFlag) {
  VChainListOf<int32_t> list;
  AddAll(list, {1, 2, 3});
  Ref ref(list.NewItemRefAt(1, kItemRefOutlinePosition));
  ref->Move(9, kItemRefSetIndex);
  EXPECT_EQ(ref->GetIndex(), 3);
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(0, kItemRefSetIndex);
  EXPECT_EQ(ref->GetIndex(), 1);
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(2, kItemRefSetIndex);
  EXPECT_EQ(ref->GetIndex(), 2);
  EXPECT_FALSE(ref->IsAtBoundary());
  ref->Move(0x7FFFFFFF, kItemRefSetIndex);
  EXPECT_EQ(ref->GetIndex(), 3);
  ref->Move(-0x7FFFFFFF - 1, kItemRefSetIndex);
  EXPECT_EQ(ref->GetIndex(), 1);
}

TEST(ItemRef, ReferenceOnAnEmptyListEndsAtIndexZero) {
  VArrayListOf<int32_t> list;
  Ref ref(list.NewItemRefAt(1, kItemRefOutlinePosition));
  EXPECT_EQ(ref->GetIndex(), 0);
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(ref->GetIndex(), 0);
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(0, kItemRefPreviousInOutline);
  EXPECT_TRUE(ref->IsAtBoundary());
  EXPECT_FALSE(ref->HasChildren());
}

TEST(ItemRef, SingleStepsActAtTheDeepestLevel) {
  DeepOutline o;
  Ref ref(o.root.NewItemRefAt(5, kItemRefOutlinePosition));  // p
  ref->Move(0, kItemRefNextItem);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 2}));
  ref->Move(0, kItemRefLastItem);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 4}));
  ref->Move(0, kItemRefNextItem);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 4}));
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(0, kItemRefFirstItem);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 1}));
  EXPECT_FALSE(ref->IsAtBoundary());
  ref->Move(0, kItemRefPreviousItem);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 1}));
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(3, kItemRefDeepSetIndex);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 3}));
  // The root level keeps its own answers.
  EXPECT_FALSE(ref->IsLast());
  EXPECT_FALSE(ref->IsFirst());
  EXPECT_EQ(ref->GetChild()->GetChild()->GetList(), &o.grandchild);
}

TEST(ItemRef, StepThenUpLeavesAChildListPastItsEnd) {
  SmallOutline o;
  Ref ref(o.root.NewItemRefAt(3, kItemRefOutlinePosition));  // x
  ref->Move(0, kItemRefNextThenUp);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2}));
  ref->Move(0, kItemRefNextThenUp);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{3});
  EXPECT_FALSE(ref->IsAtBoundary());
  Ref back(o.root.NewItemRefAt(3, kItemRefOutlinePosition));  // x
  back->Move(0, kItemRefPreviousThenUp);
  EXPECT_EQ(Path(*back), std::vector<int32_t>{1});
  back->Move(0, kItemRefPreviousThenUp);
  EXPECT_EQ(Path(*back), std::vector<int32_t>{1});
  EXPECT_TRUE(back->IsAtBoundary());
}

TEST(ItemRef, DescendGoesIntoAChildListOrSetsTheFlag) {
  DeepOutline o;
  Ref ref(o.root.NewItemRefAt(1, kItemRefOutlinePosition));
  EXPECT_FALSE(ref->HasChildren());
  ref->Move(0, kItemRefDescend);
  EXPECT_TRUE(ref->IsAtBoundary());
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{1});
  ref->Move(2, kItemRefSetIndex);
  EXPECT_TRUE(ref->HasChildren());
  EXPECT_EQ(ref->GetChildList(), &o.child);
  ref->Move(0, kItemRefDescend);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(ref->GetDepth(), 2);
  ref->Move(0, kItemRefRootFirst);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{1});
  ref->Move(2, kItemRefSetIndex);
  ref->Move(0, kItemRefDescendToLast);
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 4}));
  EXPECT_EQ(ref->GetDepth(), 3);
  EXPECT_EQ(ref->GetListTag(), -1);
}

TEST(ItemRef, NextInOutlineSkipsAnEmptyChildList) {
  VChainListOf<int32_t> root;
  VChainListOf<int32_t> empty;
  AddAll(root, {1, 2});
  ASSERT_TRUE(root.AddChildAssociation(1, &empty));
  Ref ref(root.NewItemRefAt(1, kItemRefOutlinePosition));
  ref->Move(0, kItemRefDescend);
  EXPECT_TRUE(ref->IsAtBoundary());  // the child level stands on nothing
  ref->Move(0, kItemRefSetIndex);
  ref->Move(1, kItemRefSetIndex);
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{2});
  EXPECT_FALSE(ref->IsAtBoundary());
}

TEST(ItemRef, ChildValueThatMakesNoReferencesCannotBeEntered) {
  VChainListOf<int32_t> root;
  NoRefs noRefs;
  AddAll(root, {1, 2});
  ASSERT_TRUE(root.AddChildAssociation(1, &noRefs));
  Ref ref(root.NewItemRefAt(1, kItemRefOutlinePosition));
  ref->Move(0, kItemRefDescend);
  EXPECT_TRUE(ref->IsAtBoundary());
  EXPECT_EQ(ref->GetChild(), nullptr);
  ref->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(Path(*ref), std::vector<int32_t>{2});
}

TEST(ItemRef, CloneMovesIndependentlyOfTheOriginal) {
  DeepOutline o;
  Ref ref(o.root.NewItemRefAt(4, kItemRefOutlinePosition));  // y, depth 2
  Ref copy(ref->Clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Path(*copy), (std::vector<int32_t>{2, 2}));
  EXPECT_EQ(copy->GetDepth(), 2);
  EXPECT_EQ(copy->GetList(), &o.root);
  EXPECT_NE(copy->GetChild(), ref->GetChild());
  EXPECT_EQ(copy->IsAtBoundary(), ref->IsAtBoundary());
  copy->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(Path(*copy), (std::vector<int32_t>{2, 2, 1}));
  EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2}));
  ref.reset();
  copy->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(Path(*copy), (std::vector<int32_t>{2, 2, 2}));
  // The flag is copied as it stands.
  Ref end(o.root.NewItemRefAt(99, kItemRefOutlinePosition));
  Ref endCopy(end->Clone());
  EXPECT_TRUE(endCopy->IsAtBoundary());
  EXPECT_EQ(endCopy->GetIndex(), 3);
}

TEST(ItemRef, AttachChildListRecordsAtTheDeepestItem) {
  VChainListOf<int32_t> root;
  VArrayListOf<VObject*> child;
  VChainListOf<int32_t> grandchild;
  AddAll(root, {1, 2, 3});
  VObject* none = nullptr;
  child.Add(&none);
  child.Add(&none);
  AddAll(grandchild, {7});
  Ref ref(root.NewItemRefAt(3, kItemRefOutlinePosition));
  ASSERT_TRUE(ref->AttachChildList(&child));
  EXPECT_EQ(root.GetChildAssociations()->GetAt(1).itemIndex, 3);
  EXPECT_EQ(root.CountAll(), 5);
  ref->Move(0, kItemRefDescend);
  ref->Move(0, kItemRefNextItem);
  ASSERT_TRUE(ref->AttachChildList(&grandchild));
  EXPECT_EQ(child.GetChildAssociations()->GetAt(1).itemIndex, 2);
  EXPECT_EQ(root.CountAll(), 6);
  EXPECT_TRUE(ref->HasChildren());
  Ref last(root.NewItemRefAt(6, kItemRefOutlinePosition));
  EXPECT_EQ(Path(*last), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(last->GetChild()->GetChild()->GetList(), &grandchild);
}

TEST(ItemRef, AttachingThatWouldMakeALoopIsRefused) {
  VChainListOf<int32_t> root;
  VChainListOf<int32_t> child;
  AddAll(root, {1, 2});
  AddAll(child, {1});
  Ref ref(root.NewItemRefAt(1, kItemRefOutlinePosition));
  EXPECT_FALSE(ref->AttachChildList(&root));
  EXPECT_FALSE(ref->AttachChildList(nullptr));
  ASSERT_TRUE(ref->AttachChildList(&child));
  ref->Move(0, kItemRefDescend);
  EXPECT_FALSE(ref->AttachChildList(&root));
  EXPECT_FALSE(ref->AttachChildList(&child));
  EXPECT_EQ(child.GetChildAssociations(), nullptr);
  // Counting and walking the outline end.
  EXPECT_EQ(root.CountAll(), 3);
  Ref walk(root.NewItemRefAt(1, kItemRefOutlinePosition));
  for (int i = 0; i < 5; ++i) walk->Move(0, kItemRefNextInOutline);
  EXPECT_EQ(Path(*walk), std::vector<int32_t>{2});
}

TEST(ItemRef, AttachingWithoutAnItemIsRefused) {
  VChainListOf<int32_t> empty;
  VChainListOf<int32_t> child;
  Ref ref(empty.NewItemRefAt(1, kItemRefOutlinePosition));
  EXPECT_FALSE(ref->AttachChildList(&child));
  EXPECT_EQ(empty.GetChildAssociations(), nullptr);
  // The index kept after the list shrank names no item either.
  VChainListOf<int32_t> list;
  AddAll(list, {1, 2});
  Ref stale(list.NewItemRefAt(2, kItemRefOutlinePosition));
  list.RemoveAt(2, true);
  EXPECT_FALSE(stale->AttachChildList(&child));
}

TEST(ItemRef, UnknownModeOnlyClearsTheFlag) {
  VChainListOf<int32_t> list;
  AddAll(list, {1, 2});
  Ref ref(list.NewItemRefAt(5, kItemRefOutlinePosition));
  EXPECT_TRUE(ref->IsAtBoundary());
  ref->Move(3, 99);
  EXPECT_FALSE(ref->IsAtBoundary());
  EXPECT_EQ(ref->GetIndex(), 2);
}

TEST(ItemRefOwnership, ChainsAndChildRecordsGiveTheirHeapBlocksBack) {
  // A walk down into the grandchildren and back up drops the levels below,
  // a copy owns a chain of its own, and the outline's association records
  // leave with their lists.
  const auto walk = [] {
    DeepOutline outline;
    Ref ref(outline.root.NewItemRefAt(1, kItemRefOutlinePosition));
    for (int i = 0; i < 6; ++i) ref->Move(0, kItemRefNextInOutline);
    EXPECT_EQ(Path(*ref), (std::vector<int32_t>{2, 2, 3}));
    Ref copy(ref->Clone());
    EXPECT_EQ(Path(*copy), Path(*ref));
    ref->Move(0, kItemRefPreviousInOutline);
    ref->Move(1, kItemRefOutlinePosition);
    EXPECT_EQ(Path(*ref), (std::vector<int32_t>{1}));
  };
  walk();
  const uint64_t before = gHeap->GetUsedBytes();
  walk();
  EXPECT_EQ(gHeap->GetUsedBytes(), before);
}
