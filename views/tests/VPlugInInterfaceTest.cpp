// The interface block: 'XPRF' rules read no further than their data, blocks
// built with and without rules and stamped with 'XDVE', a ready-made block
// taken as it is, and stale stamps found out.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VPlugIn.h"
#include "StoredResourceFile.h"

namespace {

constexpr uint32_t kXCOM = FourCC("XCOM");
constexpr uint32_t kXKEY = FourCC("XKEY");
constexpr uint32_t kXMNU = FourCC("XMNU");

std::vector<uint8_t> NativeRules(uint32_t stamp, int16_t count, const std::vector<VInterfaceRule>& rules) {
  std::vector<uint8_t> bytes(kInterfaceRulesHeadSize + rules.size() * kInterfaceRuleSize);
  std::memcpy(bytes.data(), &stamp, 4);
  std::memcpy(bytes.data() + 4, &count, 2);
  for (size_t i = 0; i < rules.size(); ++i) {
    uint8_t* at = bytes.data() + kInterfaceRulesHeadSize + i * kInterfaceRuleSize;
    std::memcpy(at, &rules[i].type, 4);
    std::memcpy(at + 4, &rules[i].firstId, 2);
    std::memcpy(at + 6, &rules[i].lastId, 2);
  }
  return bytes;
}

// 'XPRF' as stored: big-endian.
std::vector<uint8_t> StoredRules(uint32_t stamp, const std::vector<VInterfaceRule>& rules) {
  StoredBytes b;
  b.I32(static_cast<int32_t>(stamp)).U16(static_cast<uint16_t>(rules.size()));
  for (const VInterfaceRule& r : rules) {
    b.I32(static_cast<int32_t>(r.type)).U16(static_cast<uint16_t>(r.firstId)).U16(static_cast<uint16_t>(r.lastId));
  }
  return b.bytes;
}

TEST(InterfaceRules, CountsAreHeldToTheRulesTheDataHolds) {
  const VInterfaceRule a{kXCOM, 1, 2};
  const VInterfaceRule b{kXKEY, -1, 0};
  struct Case {
    std::vector<uint8_t> bytes;
    bool ok;
    uint32_t stamp;
    size_t rules;
  };
  std::vector<uint8_t> cut = NativeRules(7, 2, {a, b});
  cut.resize(cut.size() - 1);  // the second rule one byte short
  const Case cases[] = {
      {NativeRules(7, 2, {a, b}), true, 7, 2},
      {NativeRules(7, 300, {a, b}), true, 7, 2},    // a count beyond the data
      {NativeRules(7, -3, {a, b}), true, 7, 0},     // a negative count
      {NativeRules(7, 0, {a, b}), true, 7, 0},
      {cut, true, 7, 1},
      {std::vector<uint8_t>(5, 0), false, 0, 0},    // no whole head
      {{}, false, 0, 0},
  };
  for (const Case& c : cases) {
    VInterfaceRules out;
    EXPECT_EQ(ReadInterfaceRules(c.bytes.data(), c.bytes.size(), out), c.ok) << c.bytes.size();
    EXPECT_EQ(out.stamp, c.stamp);
    EXPECT_EQ(out.rules.size(), c.rules) << c.bytes.size();
  }
  VInterfaceRules out;
  const std::vector<uint8_t> two = NativeRules(1, 2, {a, b});
  ReadInterfaceRules(two.data(), two.size(), out);
  EXPECT_EQ(out.rules[1].type, kXKEY);
  EXPECT_EQ(out.rules[1].firstId, -1);
  uint32_t stamp = 1;
  const uint8_t three[3] = {1, 2, 3};
  EXPECT_FALSE(ReadInterfaceStamp(three, 3, stamp));
  EXPECT_EQ(stamp, 0u);
}

// The module's file with commands 10 to 13, a shortcut list, a menu and
// rules for area 5 (and none for area 6).
class Module {
 public:
  explicit Module(const std::vector<VInterfaceRule>& rules, uint32_t stamp = 42) {
    for (int16_t id = 10; id <= 13; ++id) res.Add(kXCOM, id, StoredBytes().U16(0).bytes);
    res.Add(kXKEY, 10, StoredBytes().U16(0).bytes);
    res.Add(kXMNU, 3, StoredBytes().U8(9).bytes, "menu");
    res.Add(kResTypeInterfaceRules, 5, StoredRules(stamp, rules));
    file = res.Open();
  }
  StoredResourceFile res;
  VResourceFile* file = nullptr;
};

// The ids of a type in a block.
std::vector<int16_t> IdsIn(VMemHandle block, uint32_t type) {
  VMemoryResourceFile memory(block, 0);
  std::vector<int16_t> ids;
  for (int16_t id = -1; id <= 20; ++id) {
    if (memory.HasResource(type, id)) ids.push_back(id);
  }
  return ids;
}

uint32_t StampOf(VMemHandle block) {
  VMemoryResourceFile memory(block, 0);
  uint8_t owned = 0;
  const VResourceRef ref = memory.GetResource(kResTypeInterfaceStamp, 0, &owned);
  if (ref == 0) return 0xDEAD;
  uint32_t stamp = 0;
  ReadInterfaceStamp(static_cast<const uint8_t*>(memory.LockResource(ref)), memory.GetResourceSize(ref), stamp);
  memory.UnlockResource(ref);
  return stamp;
}

TEST(InterfaceBlock, RulesSelectTheResourcesCopied) {
  struct Case {
    std::vector<VInterfaceRule> rules;
    int16_t areaId;
    std::vector<int16_t> commands;
    std::vector<int16_t> keys;
    std::vector<int16_t> menus;
    uint32_t stamp;
  };
  const Case cases[] = {
      {{{kXCOM, 11, 12}}, 5, {11, 12}, {}, {}, 42},              // a range
      {{{kXCOM, -1, 0}, {kXKEY, 10, 10}}, 5, {10, 11, 12, 13}, {10}, {}, 42},  // every one of a type
      {{}, 5, {10, 11, 12, 13}, {10}, {3}, 42},                  // rule count 0: the default types
      {{{kXCOM, 11, 12}}, 6, {10, 11, 12, 13}, {10}, {3}, 0},    // no 'XPRF' for the area
  };
  for (const Case& c : cases) {
    Module module(c.rules);
    ASSERT_NE(module.file, nullptr);
    VStr<40> name;
    name.SetCText("Letter", 0);
    const VMemHandle block = BuildDockBlock(module.file, name, c.areaId);
    ASSERT_NE(block, 0u);
    EXPECT_EQ(IdsIn(block, kXCOM), c.commands) << c.rules.size();
    EXPECT_EQ(IdsIn(block, kXKEY), c.keys);
    EXPECT_EQ(IdsIn(block, kXMNU), c.menus);
    EXPECT_EQ(StampOf(block), c.stamp);
    gMemoryMgr->DisposeHandle(block);
  }
}

TEST(InterfaceBlock, ACopyKeepsTheResourcesNameAndBytes) {
  Module module({});
  VStr<40> name;
  const VMemHandle block = BuildDockBlock(module.file, name, 5);
  VMemoryResourceFile memory(block, 0);
  VStr<40> menuName;
  menuName.SetCText("menu", 0);
  uint8_t owned = 0;
  const VResourceRef ref = memory.GetNamedResource(kXMNU, &menuName, &owned);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(memory.GetResourceSize(ref), 1u);
  EXPECT_EQ(*static_cast<const uint8_t*>(memory.LockResource(ref)), 9);
  memory.UnlockResource(ref);
  gMemoryMgr->DisposeHandle(block);
}

TEST(InterfaceBlock, AReadyMadeBlockIsTakenAsItIs) {
  StoredResourceFile res;
  res.Add(kResTypeDockBlock, 1, {1, 2, 3, 4, 5}, "Letter");
  res.Add(kXCOM, 10, StoredBytes().U16(0).bytes);
  VResourceFile* file = res.Open();
  VStr<40> name;
  name.SetCText("Letter", 0);
  const VMemHandle block = BuildDockBlock(file, name, 5);
  ASSERT_NE(block, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(block), 5u);
  gMemoryMgr->DisposeHandle(block);
}

TEST(InterfaceBlock, AStoredBlockIsValidOnlyWhileItsStampMatchesTheModules) {
  Module built({}, 42);
  VStr<40> name;
  const VMemHandle block = BuildDockBlock(built.file, name, 5);
  struct Case {
    uint32_t moduleStamp;
    int16_t id;
    bool valid;
  };
  const Case cases[] = {{42, 5, true}, {43, 5, false}, {42, 6, false}};
  for (const Case& c : cases) {
    Module module({}, c.moduleStamp);
    EXPECT_EQ(IsInterfaceBlockValid(block, module.file, c.id), c.valid) << c.moduleStamp << " " << c.id;
  }
  // Bytes that are no block, and no block at all.
  const VMemHandle junk = gMemoryMgr->NewHandleFromData("SERVjunk", 8);
  EXPECT_FALSE(IsInterfaceBlockValid(junk, built.file, 5));
  EXPECT_FALSE(IsInterfaceBlockValid(0, built.file, 5));
  gMemoryMgr->DisposeHandle(junk);
  gMemoryMgr->DisposeHandle(block);
}

}  // namespace
