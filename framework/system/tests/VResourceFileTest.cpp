// The services every resource file shares, on a small in-memory file that
// counts its lookups: indexed strings and their one-list cache, truncated
// lists, string references, numeric names, string lists to and from arrays,
// and the handle form of adding.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/system/resources/VResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"

namespace {

using namespace files_test;

// Resources in a list; a reference is the entry's position + 1. Lookups
// are counted; released references are recorded.
class VListResourceFile : public VResourceFile {
 public:
  struct Entry {
    uint32_t type;
    int16_t id;
    std::string name;
    std::vector<uint8_t> data;
    bool live = true;
  };

  std::vector<Entry> entries;
  int lookups = 0;
  std::vector<VResourceRef> released;
  bool refuseAdds = false;

  VResourceRef Find(uint32_t type, int16_t id) const {
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].live && entries[i].type == type && entries[i].id == id) return VResourceRef(i + 1);
    return 0;
  }
  Entry& At(VResourceRef ref) { return entries[ref - 1]; }

  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                      uint32_t size) override {
    if (refuseAdds) return -1;
    if (id == -1) id = UniqueResourceId(type);
    if (Find(type, id) != 0) return -1;
    Entry e{type, id, name ? Text(*name) : std::string(), {}};
    if (data) e.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    entries.push_back(e);
    return id;
  }
  bool RemoveResourceHandle(VResourceRef ref) override {
    if (ref == 0 || ref > entries.size() || !At(ref).live) return false;
    At(ref).live = false;
    return true;
  }
  bool RemoveResource(uint32_t type, int16_t id) override { return RemoveResourceHandle(Find(type, id)); }
  bool RemoveNamedResource(uint32_t type, const VString* name) override {
    return RemoveResource(type, GetNamedResourceId(type, name));
  }
  VResourceRef GetCNamedResource(uint32_t, const char*, uint8_t*) override { return 0; }
  VResourceRef GetPNamedResource(uint32_t, const uint8_t*, uint8_t*) override { return 0; }
  VResourceRef GetNamedResource(uint32_t type, const VString* name, uint8_t* owned) override {
    int16_t id;
    if (name == nullptr) return 0;
    if (!NameIsNumber(*name, &id)) id = GetNamedResourceId(type, name);
    return id == -1 ? 0 : GetResource(type, id, owned);
  }
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override {
    if (owned) *owned = 0;
    ++lookups;
    return Find(type, id);
  }
  int16_t GetResourceId(VResourceRef ref) override { return ref ? At(ref).id : -1; }
  int16_t GetIndResourceId(uint32_t, int32_t) override { return -1; }
  int16_t GetPNamedResourceId(uint32_t, const uint8_t*) override { return -1; }
  int16_t GetCNamedResourceId(uint32_t, const char*) override { return -1; }
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override {
    if (name == nullptr) return -1;
    for (const auto& e : entries)
      if (e.live && e.type == type && !e.name.empty() && e.name == Text(*name)) return e.id;
    return -1;
  }
  VLongArray* GetResourceTypes() override { return nullptr; }
  int16_t UniqueResourceId(uint32_t type) override {
    for (int16_t id = 128;; ++id)
      if (Find(type, id) == 0) return id;
  }
  VStringArray* GetResourceNames(uint32_t) override { return nullptr; }
  VWordArray* GetResourceIds(uint32_t) override { return nullptr; }
  void ReleaseResourceById(uint32_t, int16_t) override {}
  void ReleaseResource(VResourceRef ref) override { released.push_back(ref); }
  int32_t UpdateFile() override { return 0; }
  VResourceRef GetIndResource(uint32_t, int16_t, uint8_t*) override { return 0; }
  void GetResourceName(VString* out, uint32_t, int16_t) override { out->Clear(); }
  void GetResourceNameOfHandle(VString* out, VResourceRef) override { out->Clear(); }
  bool IsOpen() override { return true; }
  int32_t CountResources(uint32_t) override { return 0; }
  void* LockResource(VResourceRef ref) override {
    return ref && !At(ref).data.empty() ? At(ref).data.data() : nullptr;
  }
  void UnlockResource(VResourceRef) override {}
  uint32_t GetResourceSize(VResourceRef ref) override { return ref ? uint32_t(At(ref).data.size()) : 0; }
  bool SetResourceSize(VResourceRef, uint32_t) override { return false; }
  VMemHandle DetachResource(VResourceRef) override { return 0; }
  void WriteResource(VResourceRef) override {}
  uint32_t GetResourceSizeById(uint32_t, int16_t) override { return 0; }
  bool RemoveResources(uint32_t) override { return false; }
  void SetResourceName(uint32_t, int16_t, const VString*) override {}
  bool HasResource(uint32_t type, int16_t id) override { return Find(type, id) != 0; }
  int32_t GetCharSet() override { return kResCharSetMac; }

  // A list in native order.
  void AddList(int16_t id, const std::vector<std::string>& texts, int16_t count = -1) {
    std::vector<uint8_t> data(2);
    const int16_t n = count >= 0 ? count : int16_t(texts.size());
    std::memcpy(data.data(), &n, 2);
    for (const auto& t : texts) {
      data.push_back(uint8_t(t.size()));
      data.insert(data.end(), t.begin(), t.end());
    }
    entries.push_back({kResTypeSTRList, id, std::string(), data});
  }
  void AddString(int16_t id, const std::string& text) {
    std::vector<uint8_t> data{uint8_t(text.size())};
    data.insert(data.end(), text.begin(), text.end());
    entries.push_back({kResTypeSTR, id, std::string(), data});
  }
};

std::string IndString(VResourceFile& file, int16_t id, int16_t index) {
  VStr<255> out;
  SetText(out, "stale");
  file.GetIndString(&out, id, index);
  return Text(out);
}

TEST(ResourceFile, IndexedStringsCountFromOne) {
  VListResourceFile file;
  file.AddList(100, {"one", "two", "three"});
  EXPECT_EQ(IndString(file, 100, 1), "one");
  EXPECT_EQ(IndString(file, 100, 3), "three");
  EXPECT_EQ(IndString(file, 100, 4), "");
  EXPECT_EQ(IndString(file, 101, 1), "");  // no such list
}

TEST(ResourceFile, IndexZeroOrBelowReadsTheSingleStringAndLeavesTheCache) {
  VListResourceFile file;
  file.AddList(100, {"listed"});
  file.AddString(100, "single");
  EXPECT_EQ(IndString(file, 100, 1), "listed");
  const int before = file.lookups;
  EXPECT_EQ(IndString(file, 100, 0), "single");
  EXPECT_EQ(IndString(file, 100, -5), "single");
  EXPECT_EQ(file.lookups, before + 2);
  // The list is still cached: no lookup for it.
  EXPECT_EQ(IndString(file, 100, 1), "listed");
  EXPECT_EQ(file.lookups, before + 2);
  // The single string is given back after each read; the list is not.
  EXPECT_EQ(file.released.size(), 2u);
}

TEST(ResourceFile, TheLastListStaysLoadedUntilAnotherIsAsked) {
  VListResourceFile file;
  file.AddList(100, {"a", "b"});
  file.AddList(101, {"c"});
  IndString(file, 100, 1);
  IndString(file, 100, 2);
  EXPECT_EQ(file.lookups, 1);
  IndString(file, 101, 1);
  EXPECT_EQ(file.lookups, 2);
  EXPECT_EQ(file.released, std::vector<VResourceRef>{file.Find(kResTypeSTRList, 100)});
  IndString(file, 100, 1);
  EXPECT_EQ(file.lookups, 3);
}

TEST(ResourceFile, ATruncatedListGivesTheStringsThatFitAndReadsNoFurther) {
  VListResourceFile file;
  file.AddList(100, {"first", "second"}, 9);
  auto& data = file.entries.back().data;
  data.erase(data.end() - 2, data.end());  // "second" is cut off
  EXPECT_EQ(IndString(file, 100, 1), "first");
  EXPECT_EQ(IndString(file, 100, 2), "");
  EXPECT_EQ(IndString(file, 100, 9), "");
  VStringArray list;
  file.LoadStringList(100, &list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(Text(*list.GetAt(1)), "first");
  // A list of one byte, and a single string whose length passes its end.
  file.entries.push_back({kResTypeSTRList, 102, std::string(), {5}});
  EXPECT_EQ(IndString(file, 102, 1), "");
  file.entries.push_back({kResTypeSTR, 103, std::string(), {9, 'a'}});
  EXPECT_EQ(IndString(file, 103, 0), "");
}

TEST(ResourceFile, ANegativeCountGivesNothing) {
  VListResourceFile file;
  file.AddList(100, {"x"}, 0);
  std::memcpy(file.entries.back().data.data(), "\xff\xff", 2);
  EXPECT_EQ(IndString(file, 100, 1), "");
  EXPECT_EQ(file.NewStringList(100), nullptr);
}

TEST(ResourceFile, StringReferencesNameSingleStringsAndListItems) {
  VListResourceFile file;
  file.AddList(300, {"first", "second"});
  file.AddString(300, "single");
  file.AddString(0, "zero");
  auto resolve = [&](const std::string& text) {
    uint8_t p[256];
    p[0] = uint8_t(text.size());
    std::memcpy(p + 1, text.data(), text.size());
    VStr<255> out;
    file.ResolveStringRef(&out, p);
    return Text(out);
  };
  EXPECT_EQ(resolve("Cancel"), "Cancel");
  EXPECT_EQ(resolve(":300"), "single");
  EXPECT_EQ(resolve(":300,2"), "second");
  EXPECT_EQ(resolve(":"), "zero");
  EXPECT_EQ(resolve(":301,1"), "");
  EXPECT_EQ(resolve(""), "");
}

TEST(ResourceFile, ANameThatIsANumberStandsForThatId) {
  VListResourceFile file;
  file.entries.push_back({FourCC("MENU"), 128, "Edit", {1}});
  file.entries.push_back({FourCC("MENU"), 5, "0128", {2}});
  Str number("128"), padded("0128"), word("Edit"), none("Menu");
  EXPECT_EQ(file.GetNamedResource(FourCC("MENU"), &number, nullptr), file.Find(FourCC("MENU"), 128));
  EXPECT_EQ(file.GetNamedResource(FourCC("MENU"), &padded, nullptr), file.Find(FourCC("MENU"), 5));
  EXPECT_EQ(file.GetNamedResource(FourCC("MENU"), &word, nullptr), file.Find(FourCC("MENU"), 128));
  EXPECT_EQ(file.GetNamedResource(FourCC("MENU"), &none, nullptr), 0u);
}

TEST(ResourceFile, ListsLoadAppendAndAreNullWhenMissingOrEmpty) {
  VListResourceFile file;
  file.AddList(100, {"a", "b"});
  file.AddList(101, {});
  file.entries.push_back({kResTypeSTRList, 102, "named", {}});
  file.AddList(103, {"z"});
  file.entries.back().name = "other";
  VStringArray list;
  file.LoadStringList(100, &list);
  file.AppendStringList(100, &list);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(Text(*list.GetAt(3)), "a");
  file.LoadStringList(100, &list);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(file.NewStringList(101), nullptr);
  EXPECT_EQ(file.NewStringList(999), nullptr);
  Str other("other"), unknown("unknown");
  VStringArray* named = file.NewNamedStringList(&other);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(Text(*named->GetAt(1)), "z");
  delete named;
  EXPECT_EQ(file.NewNamedStringList(&unknown), nullptr);
  file.LoadNamedStringList(&unknown, &list);
  EXPECT_EQ(list.Count(), 0);
  VStr<255> out;
  file.GetNamedIndString(&out, &other, 1);
  EXPECT_EQ(Text(out), "z");
  file.GetNamedIndString(&out, &unknown, 1);
  EXPECT_EQ(Text(out), "");
}

TEST(ResourceFile, AListLoadedWhileCachedIsNotGivenBack) {
  VListResourceFile file;
  file.AddList(100, {"a"});
  IndString(file, 100, 1);
  VStringArray list;
  file.LoadStringList(100, &list);
  EXPECT_TRUE(file.released.empty());
  file.LoadStringList(100, &list);
  EXPECT_EQ(IndString(file, 100, 1), "a");
}

TEST(ResourceFile, WritingAnEmptyArrayStoresACountOfZero) {
  VListResourceFile file;
  VStringArray list;
  EXPECT_EQ(file.WriteStringList(&list, 200, nullptr, kResTypeSTRList), 200);
  const auto& data = file.At(file.Find(kResTypeSTRList, 200)).data;
  ASSERT_EQ(data.size(), 2u);
  int16_t count;
  std::memcpy(&count, data.data(), 2);
  EXPECT_EQ(count, 0);
}

TEST(ResourceFile, WrittenListsHoldTheConvertedBytesAndReplaceTheOldList) {
  VListResourceFile file;
  file.AddList(200, {"old"});
  EXPECT_EQ(IndString(file, 200, 1), "old");
  VStringArray list;
  list.AppendString(Str("plain"), false);
  // A character without a Macintosh form is dropped, and the list holds
  // just the bytes that remain.
  VStrInHandle mixed;
  const char16_t units[] = {u'a', 0x4E2D, u'b'};
  mixed.SetUniChars(units, 0, 3);
  list.AppendString(mixed, false);
  list.SetCount(3, false);  // a null element stands for an empty text
  Str name("strings");
  EXPECT_EQ(file.WriteStringList(&list, 200, &name, kResTypeSTRList), 200);
  const auto& data = file.At(file.Find(kResTypeSTRList, 200)).data;
  const std::vector<uint8_t> expected = {3, 0, 5, 'p', 'l', 'a', 'i', 'n', 2, 'a', 'b', 0};
  std::vector<uint8_t> native = expected;
  int16_t three = 3;
  std::memcpy(native.data(), &three, 2);
  EXPECT_EQ(data, native);
  EXPECT_EQ(file.At(file.Find(kResTypeSTRList, 200)).name, "strings");
  // The cached old list is no longer read.
  EXPECT_EQ(IndString(file, 200, 1), "plain");
  EXPECT_EQ(IndString(file, 200, 2), "ab");
}

TEST(ResourceFile, LongStringsAreCutAt255Bytes) {
  VListResourceFile file;
  VStringArray list;
  list.AppendString(Str(std::string(300, 'x')), false);
  file.WriteStringList(&list, 7, nullptr, kResTypeSTRList);
  const auto& data = file.At(file.Find(kResTypeSTRList, 7)).data;
  ASSERT_EQ(data.size(), 2u + 1 + 255);
  EXPECT_EQ(data[2], 255);
}

TEST(ResourceFile, AddingAHandleConsumesItWhateverTheAnswer) {
  VListResourceFile file;
  VMemHandle h = gMemoryMgr->NewHandleFromData("abc", 3);
  EXPECT_EQ(file.AddResourceHandle(&h, FourCC("DATA"), 5, nullptr), 5);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(file.At(file.Find(FourCC("DATA"), 5)).data, (std::vector<uint8_t>{'a', 'b', 'c'}));
  file.refuseAdds = true;
  h = gMemoryMgr->NewHandleFromData("d", 1);
  EXPECT_EQ(file.AddResourceHandle(&h, FourCC("DATA"), 6, nullptr), -1);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(file.AddResourceHandle(nullptr, FourCC("DATA"), 6, nullptr), -1);
}

TEST(ResourceFile, TheSwapProcedureIsStoredAndTheOldOneAnswered) {
  VListResourceFile file;
  auto proc = [](uint8_t, uint32_t, uint32_t, void*) -> uint8_t { return 1; };
  EXPECT_EQ(file.SetSwapProc(proc), nullptr);
  EXPECT_EQ(file.GetSwapProc(), static_cast<VResSwapProc>(proc));
  EXPECT_EQ(file.SetSwapProc(nullptr), static_cast<VResSwapProc>(proc));
}

}  // namespace
