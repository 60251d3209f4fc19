// List iterators of both forms: walks forwards and backwards, placing, the
// states off the list, and lists that change or end under an iterator.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/containers/VChainListOf.h"
#include "framework/core/tests/ListTestSupport.h"

namespace {

using It = std::unique_ptr<VIteratorOf<int32_t>>;

template <typename L>
class IteratorBothForms : public testing::Test {
 protected:
  IteratorBothForms() { AddAll(list, {1, 2, 3}); }
  It NewIt() { return It(list.NewIterator(-1)); }
  L list;
};

using Forms = testing::Types<VArrayListOf<int32_t>, VChainListOf<int32_t>>;
TYPED_TEST_SUITE(IteratorBothForms, Forms);

}  // namespace

TYPED_TEST(IteratorBothForms, NextWalksEveryElementThenRunsOff) {
  It it = this->NewIt();
  EXPECT_EQ(it->GetIndex(), -1);
  EXPECT_EQ(it->Next(), 1);
  EXPECT_EQ(it->Next(), 2);
  EXPECT_EQ(it->Next(), 3);
  EXPECT_EQ(it->GetIndex(), 3);
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
}

TYPED_TEST(IteratorBothForms, CurrentAnswersWhatNextAnswered) {
  It it = this->NewIt();
  for (int32_t want = 1; want <= 3; ++want) {
    EXPECT_EQ(it->Next(), want);
    EXPECT_EQ(it->Current(), want);
  }
}

TYPED_TEST(IteratorBothForms, PreviousFromBeforeTheFirstGoesToTheLast) {
  It it = this->NewIt();
  EXPECT_EQ(it->Previous(), 3);
  EXPECT_EQ(it->GetIndex(), 3);
  EXPECT_EQ(it->Previous(), 2);
  EXPECT_EQ(it->Previous(), 1);
  EXPECT_EQ(it->Previous(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
}

TYPED_TEST(IteratorBothForms, SetIndexPlacesOrPutsOffTheList) {
  It it = this->NewIt();
  it->SetIndex(2);
  EXPECT_EQ(it->GetIndex(), 2);
  EXPECT_EQ(it->Current(), 2);
  for (int32_t off : {0, 4, -2, INT32_MAX, INT32_MIN}) {
    it->SetIndex(off);
    EXPECT_EQ(it->GetIndex(), 0) << off;
    EXPECT_EQ(it->Current(), 0) << off;
  }
  it->SetIndex(-1);
  EXPECT_EQ(it->GetIndex(), -1);
  EXPECT_EQ(it->Next(), 1);
}

TYPED_TEST(IteratorBothForms, NewIteratorStartsWhereAsked) {
  It it(this->list.NewIterator(3));
  EXPECT_EQ(it->Current(), 3);
  It off(this->list.NewIterator(9));
  EXPECT_EQ(off->GetIndex(), 0);
}

TYPED_TEST(IteratorBothForms, FirstAndLast) {
  It it = this->NewIt();
  EXPECT_EQ(it->Last(), 3);
  EXPECT_EQ(it->GetIndex(), 3);
  EXPECT_EQ(it->First(), 1);
  EXPECT_EQ(it->GetIndex(), 1);
}

TYPED_TEST(IteratorBothForms, LocateStandsOnTheFirstEqualElement) {
  this->list.Add(std::vector<int32_t>{2}.data());
  It it = this->NewIt();
  const int32_t two = 2, absent = 8;
  it->Locate(&two);
  EXPECT_EQ(it->GetIndex(), 2);
  EXPECT_EQ(it->Next(), 3);
  it->Locate(&absent);
  EXPECT_EQ(it->GetIndex(), 0);
  EXPECT_EQ(it->Current(), 0);
  it->Locate(nullptr);
  EXPECT_EQ(it->GetIndex(), 0);
}

TYPED_TEST(IteratorBothForms, EmptyListAnswersZeroEverywhere) {
  TypeParam empty;
  It it(empty.NewIterator(-1));
  EXPECT_EQ(it->Current(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
  it->Reset(&empty);
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
  it->Reset(&empty);
  EXPECT_EQ(it->Previous(), 0);
  EXPECT_EQ(it->First(), 0);
  EXPECT_EQ(it->Last(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
}

TYPED_TEST(IteratorBothForms, DetachedIteratorAnswersZero) {
  It it = this->NewIt();
  it->Reset(nullptr);
  EXPECT_EQ(it->GetList(), nullptr);
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->Current(), 0);
  EXPECT_EQ(it->Previous(), 0);
  EXPECT_EQ(it->First(), 0);
  EXPECT_EQ(it->Last(), 0);
  const int32_t one = 1;
  it->Locate(&one);
  EXPECT_EQ(it->Current(), 0);
}

TYPED_TEST(IteratorBothForms, ListReleasedUnderAnIteratorDetachesIt) {
  auto* list = new TypeParam;
  AddAll(*list, {1, 2});
  It it(list->NewIterator(-1));
  EXPECT_EQ(it->Next(), 1);
  delete list;
  EXPECT_EQ(it->GetList(), nullptr);
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->Current(), 0);
  EXPECT_EQ(it->Previous(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
}

TYPED_TEST(IteratorBothForms, IteratorsReleasedInAnyOrderBeforeTheList) {
  It a = this->NewIt();
  It b = this->NewIt();
  It c = this->NewIt();
  b.reset();
  a.reset();
  EXPECT_EQ(c->Next(), 1);
  c->Reset(&this->list);  // attaching again to the same list
  EXPECT_EQ(c->Next(), 1);
}

TYPED_TEST(IteratorBothForms, ResetMovesTheIteratorToAnotherList) {
  TypeParam other;
  AddAll(other, {7, 8});
  It it = this->NewIt();
  EXPECT_EQ(it->Next(), 1);
  it->Reset(&other);
  EXPECT_EQ(it->Next(), 7);
  this->list.RemoveAll(true);  // the first list no longer reaches the iterator
  EXPECT_EQ(it->Next(), 8);
}

TEST(ArrayIterator, RunningOffTheEndStartsAgainAtTheFirst) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  It it(l.NewIterator(-1));
  for (int i = 0; i < 4; ++i) it->Next();
  EXPECT_EQ(it->Next(), 1);
  EXPECT_EQ(it->GetIndex(), 1);
}

TEST(ArrayIterator, CurrentElementRemovedUnderIt) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  It it(l.NewIterator(-1));
  it->Last();
  l.RemoveAt(3, true);
  EXPECT_EQ(it->Current(), 0);
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
  EXPECT_EQ(it->Next(), 1);
}

TEST(ArrayIterator, KeepsItsIndexWhenTheListChangesBeforeIt) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  It it(l.NewIterator(2));
  const int32_t zero = 0;
  l.AddFirst(&zero);
  EXPECT_EQ(it->Current(), 1);  // same index, another element
}

TEST(ArrayIterator, WalksAChainListByPosition) {
  VChainListOf<int32_t> l;
  AddAll(l, {4, 5});
  VArrayIteratorOf<int32_t> it(&l);
  EXPECT_EQ(it.Next(), 4);
  EXPECT_EQ(it.Next(), 5);
  EXPECT_EQ(it.Next(), 0);
}

TEST(ChainIterator, StaysOffTheListOnceOff) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  It it(l.NewIterator(-1));
  for (int i = 0; i < 4; ++i) it->Next();
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->Previous(), 0);
  EXPECT_EQ(it->Current(), 0);
  EXPECT_EQ(it->GetIndex(), 0);
  EXPECT_EQ(it->First(), 1);
}

TEST(ChainIterator, LocateUsesTheListsComparison) {
  struct Keyed {
    int16_t key;
    int16_t value;
  };
  class KeyedChain : public VChainListOf<Keyed> {
   public:
    bool CompareItems(const Keyed* a, const Keyed* b) const override { return a->key == b->key; }
  };
  KeyedChain l;
  const Keyed a{1, 10}, b{2, 20};
  l.Add(&a);
  l.Add(&b);
  std::unique_ptr<VIteratorOf<Keyed>> it(l.NewIterator(-1));
  const Keyed probe{2, 99};
  it->Locate(&probe);
  EXPECT_EQ(it->GetIndex(), 2);
  EXPECT_EQ(it->Current().value, 20);
}

TEST(ChainIterator, RemovingTheCurrentElementStepsBack) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3, 4});
  It it(l.NewIterator(-1));
  // Remove every even element while walking forwards.
  std::vector<int32_t> seen;
  for (int32_t v = it->Next(); v != 0; v = it->Next()) {
    seen.push_back(v);
    if (v % 2 == 0) l.Remove(&v, true);
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(Items(l), (std::vector<int32_t>{1, 3}));
}

TEST(ChainIterator, RemovingTheCurrentFirstElementGoesBeforeTheFirst) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2});
  It it(l.NewIterator(1));
  l.RemoveAt(1, true);
  EXPECT_EQ(it->GetIndex(), -1);
  EXPECT_EQ(it->Next(), 2);
  EXPECT_EQ(it->GetIndex(), 1);
}

TEST(ChainIterator, RemoveAllUnderAnIterator) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  It it(l.NewIterator(2));
  l.RemoveAll(true);
  EXPECT_EQ(it->Next(), 0);
  EXPECT_EQ(it->Current(), 0);
  AddAll(l, {9});
  EXPECT_EQ(it->First(), 9);
}

TEST(ChainIterator, OwningListDisposingUnderAnIterator) {
  std::vector<int> log;
  VChainListPtrOf<VObject*> l;
  for (int i = 1; i <= 3; ++i) {
    VObject* o = new Tracked(&log, i);
    l.Add(&o);
  }
  std::unique_ptr<VIteratorOf<VObject*>> it(l.NewIterator(-1));
  VObject* second = nullptr;
  it->Next();
  second = it->Next();
  l.Remove(&second, false);
  EXPECT_EQ(log, std::vector<int>{2});
  EXPECT_EQ(static_cast<Tracked*>(it->Current())->Id(), 1);
  EXPECT_EQ(static_cast<Tracked*>(it->Next())->Id(), 3);
  l.RemoveAll(false);
}

TEST(ChainIterator, OtherNodesMayChangeAroundIt) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  It it(l.NewIterator(2));
  const int32_t one = 1, three = 3, x = 7;
  l.Remove(&one, true);
  l.Remove(&three, true);
  l.InsertAfter(&x, std::vector<int32_t>{2}.data());
  EXPECT_EQ(it->Current(), 2);
  EXPECT_EQ(it->Next(), 7);
}

TEST(ChainIterator, CannotFollowAnArrayList) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1});
  VChainIteratorOf<int32_t> it;
  it.Reset(&l);
  EXPECT_EQ(it.GetList(), nullptr);
  EXPECT_EQ(it.Next(), 0);
}
