// The menu item registry: distinct indexes, freed ones reused lowest first,
// lookups of unknown ids, and the bound below the system commands.
#include "controls/menus/VMenuItemRef.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

VMenuBase* FakeMenu(uintptr_t n) { return reinterpret_cast<VMenuBase*>(n * 16); }

class MenuItemRefs : public testing::Test {
 protected:
  void SetUp() override { RemoveAllMenuItemRefs(); }
  void TearDown() override { RemoveAllMenuItemRefs(); }
};

TEST_F(MenuItemRefs, IndexesAreDistinctAndFreedOnesComeBackLowestFirst) {
  auto a = std::make_unique<VMenuItemRef>(FakeMenu(1), 1);
  auto b = std::make_unique<VMenuItemRef>(FakeMenu(1), 2);
  auto c = std::make_unique<VMenuItemRef>(FakeMenu(2), 1);
  EXPECT_EQ(a->GetIndex(), 1);
  EXPECT_EQ(b->GetIndex(), 2);
  EXPECT_EQ(c->GetIndex(), 3);
  EXPECT_EQ(LookUpMenuItemRef(2), b.get());
  EXPECT_EQ(LookUpMenuItemRef(2)->GetPosition(), 2);
  c.reset();
  a.reset();
  EXPECT_EQ(LookUpMenuItemRef(1), nullptr);
  auto d = std::make_unique<VMenuItemRef>(FakeMenu(3), 5);
  auto e = std::make_unique<VMenuItemRef>(FakeMenu(3), 6);
  auto f = std::make_unique<VMenuItemRef>(FakeMenu(3), 7);
  EXPECT_EQ(d->GetIndex(), 1);
  EXPECT_EQ(e->GetIndex(), 3);
  EXPECT_EQ(f->GetIndex(), 4);
  // Removing a menu's records frees exactly its own.
  d.release(), e.release(), f.release();
  RemoveMenuItemRefs(FakeMenu(3));
  EXPECT_EQ(CountMenuItemRefs(), 1u);
  EXPECT_EQ(LookUpMenuItemRef(2), b.get());
  for (uint16_t id : {0, 1, 3, 4, 5, 0xEFFF, 0xF000, 0xFFFF}) {
    EXPECT_EQ(LookUpMenuItemRef(id), nullptr) << id;
  }
}

TEST_F(MenuItemRefs, SeventyThousandItemsStayBelowTheSystemCommands) {
  std::vector<std::unique_ptr<VMenuItemRef>> held;
  for (int i = 0; i < 70000; ++i) {
    held.push_back(std::make_unique<VMenuItemRef>(FakeMenu(1), int16_t(i)));
  }
  EXPECT_EQ(held[kMaxMenuItemRef - 1]->GetIndex(), kMaxMenuItemRef);
  EXPECT_EQ(held[kMaxMenuItemRef]->GetIndex(), 0);
  EXPECT_EQ(held.back()->GetIndex(), 0);
  EXPECT_EQ(CountMenuItemRefs(), size_t{kMaxMenuItemRef});
  // An unregistered record goes without touching the registry.
  held.pop_back();
  EXPECT_EQ(CountMenuItemRefs(), size_t{kMaxMenuItemRef});
  held[100].reset();
  auto next = std::make_unique<VMenuItemRef>(FakeMenu(2), 1);
  EXPECT_EQ(next->GetIndex(), 101);
}

}  // namespace
