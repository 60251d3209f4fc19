// Strings from resources: 'STR ', 'STR#' items and 'TEXT' loaded into and
// saved from strings, string lists to and from string arrays; stored bytes,
// names, missing resources, refused sizes and adds, and round trips through
// a Macintosh resource file on disk.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/StringTestSupport.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/resources/VResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"

namespace {

constexpr uint32_t kTEXT = FourCC("TEXT");

std::string Ascii(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(static_cast<char>(s.GetCharAt(i)));
  return out;
}

std::string PString(const std::string& text) { return std::string(1, char(text.size())) + text; }

// A 'STR#' list: the count in native order, then the length-prefixed texts.
std::string StrList(const std::vector<std::string>& items) {
  const int16_t count = int16_t(items.size());
  std::string bytes(reinterpret_cast<const char*>(&count), 2);
  for (const std::string& item : items) bytes += PString(item);
  return bytes;
}

// Resources held in memory; a reference is the entry's position + 1. It can
// be told to refuse resizing and adding, and records what was written and
// given back.
class MemoryResources : public VResourceFile {
 public:
  struct Entry {
    uint32_t type;
    int16_t id;
    std::string name;
    std::string data;
    bool live = true;
  };
  std::vector<Entry> entries;
  bool refuseResize = false;
  bool refuseAdd = false;
  int writes = 0;
  int releases = 0;

  void Put(uint32_t type, int16_t id, const std::string& data, const std::string& name = "") {
    entries.push_back(Entry{type, id, name, data});
  }
  const Entry* Of(uint32_t type, int16_t id) const {
    const VResourceRef ref = Find(type, id);
    return ref != 0 ? &entries[ref - 1] : nullptr;
  }
  VResourceRef Find(uint32_t type, int16_t id) const {
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].live && entries[i].type == type && entries[i].id == id) return VResourceRef(i + 1);
    return 0;
  }

  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data, uint32_t size) override {
    if (refuseAdd) return -1;
    if (id == -1) id = UniqueResourceId(type);
    if (Find(type, id) != 0) return -1;
    Put(type, id, std::string(static_cast<const char*>(data), size), name != nullptr ? Ascii(*name) : "");
    return id;
  }
  bool RemoveResourceHandle(VResourceRef ref) override {
    if (ref == 0 || ref > entries.size()) return false;
    entries[ref - 1].live = false;
    return true;
  }
  bool RemoveResource(uint32_t type, int16_t id) override {
    ForgetCachedList(type, id);
    return RemoveResourceHandle(Find(type, id));
  }
  bool RemoveNamedResource(uint32_t type, const VString* name) override {
    return RemoveResource(type, GetNamedResourceId(type, name));
  }
  VResourceRef GetCNamedResource(uint32_t type, const char* name, uint8_t* owned) override {
    return GetResource(type, GetCNamedResourceId(type, name), owned);
  }
  VResourceRef GetPNamedResource(uint32_t, const uint8_t*, uint8_t*) override { return 0; }
  VResourceRef GetNamedResource(uint32_t type, const VString* name, uint8_t* owned) override {
    return GetResource(type, GetNamedResourceId(type, name), owned);
  }
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override {
    if (owned != nullptr) *owned = 0;
    return Find(type, id);
  }
  int16_t GetResourceId(VResourceRef ref) override { return ref != 0 ? entries[ref - 1].id : -1; }
  int16_t GetIndResourceId(uint32_t, int32_t) override { return -1; }
  int16_t GetPNamedResourceId(uint32_t, const uint8_t*) override { return -1; }
  int16_t GetCNamedResourceId(uint32_t type, const char* name) override {
    for (const Entry& e : entries)
      if (e.live && e.type == type && name != nullptr && e.name == name) return e.id;
    return -1;
  }
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override {
    return name != nullptr ? GetCNamedResourceId(type, Ascii(*name).c_str()) : -1;
  }
  VLongArray* GetResourceTypes() override { return nullptr; }
  int16_t UniqueResourceId(uint32_t type) override {
    int16_t id = 128;
    while (Find(type, id) != 0) ++id;
    return id;
  }
  VStringArray* GetResourceNames(uint32_t) override { return nullptr; }
  VWordArray* GetResourceIds(uint32_t) override { return nullptr; }
  void ReleaseResourceById(uint32_t, int16_t) override {}
  void ReleaseResource(VResourceRef) override { ++releases; }
  int32_t UpdateFile() override { return 0; }
  VResourceRef GetIndResource(uint32_t, int16_t, uint8_t*) override { return 0; }
  void GetResourceName(VString* out, uint32_t, int16_t) override { out->Clear(); }
  void GetResourceNameOfHandle(VString* out, VResourceRef) override { out->Clear(); }
  bool IsOpen() override { return true; }
  int32_t CountResources(uint32_t) override { return 0; }
  void* LockResource(VResourceRef ref) override { return ref != 0 ? entries[ref - 1].data.data() : nullptr; }
  void UnlockResource(VResourceRef) override {}
  uint32_t GetResourceSize(VResourceRef ref) override {
    return ref != 0 ? uint32_t(entries[ref - 1].data.size()) : 0;
  }
  bool SetResourceSize(VResourceRef ref, uint32_t size) override {
    if (refuseResize || ref == 0) return false;
    entries[ref - 1].data.resize(size, '?');
    return true;
  }
  VMemHandle DetachResource(VResourceRef) override { return 0; }
  void WriteResource(VResourceRef) override { ++writes; }
  uint32_t GetResourceSizeById(uint32_t type, int16_t id) override {
    const Entry* e = Of(type, id);
    return e != nullptr ? uint32_t(e->data.size()) : 0;
  }
  bool RemoveResources(uint32_t) override { return false; }
  void SetResourceName(uint32_t, int16_t, const VString*) override {}
  bool HasResource(uint32_t type, int16_t id) override { return Find(type, id) != 0; }
  int32_t GetCharSet() override { return kResCharSetMac; }
};

class StringResources : public string_tests::WithTextTables {
 protected:
  MemoryResources fFile;
};

}  // namespace

// ---- Loading

TEST_F(StringResources, LoadPStringReadsTheStrResource) {
  fFile.Put(kResTypeSTR, 300, PString("Caf\x8E"), "Title");
  VStr<255> s;
  s.SetNull(true, kWholeValue);
  s.LoadPString(fFile, 300, nullptr);
  EXPECT_EQ(string_tests::Text(s), u"Caf\u00E9");
  EXPECT_FALSE(s.IsNull(kWholeValue));
  VMacStr<255> mac;
  mac.LoadPString(fFile, 1, "Title");
  EXPECT_EQ(string_tests::Bytes(mac), "Caf\x8E");
}

TEST_F(StringResources, LoadPStringOfAMissingResourceLeavesTheStringEmpty) {
  VStr<255> s;
  s.SetCText("old", kCharSetAnsi);
  s.SetNull(true, kWholeValue);
  s.LoadPString(fFile, 300, nullptr);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.IsNull(kWholeValue));
  s.SetCText("old", kCharSetAnsi);
  s.LoadPString(fFile, 300, "nothing");
  EXPECT_EQ(s.GetLength(), 0);
}

TEST_F(StringResources, LoadIndStringTakesAnItemOfTheList) {
  fFile.Put(kResTypeSTRList, 128, StrList({"one", "two", "three"}), "Words");
  fFile.Put(kResTypeSTR, 128, PString("single"));
  VStr<255> s;
  s.LoadIndString(fFile, 128, 2, nullptr);
  EXPECT_EQ(Ascii(s), "two");
  s.LoadIndString(fFile, 0, 3, "Words");
  EXPECT_EQ(Ascii(s), "three");
  s.LoadIndString(fFile, 128, 4, nullptr);
  EXPECT_EQ(s.GetLength(), 0);
  // An item index below 1 names no item, and not the single string either.
  s.LoadIndString(fFile, 128, 0, nullptr);
  EXPECT_EQ(s.GetLength(), 0);
}

TEST_F(StringResources, LoadIndStringWithAnUnknownNameLeavesTheStringEmptyAndNotNull) {
  fFile.Put(kResTypeSTRList, -1, StrList({"must not be read"}));
  VStr<255> s;
  s.SetCText("old", kCharSetAnsi);
  s.SetNull(true, kWholeValue);
  s.LoadIndString(fFile, 128, 1, "Unknown");
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

TEST_F(StringResources, LoadTextTakesTheWholeResource) {
  std::string text(1000, 'x');
  text[0] = '\x8E';
  text[500] = '\0';
  fFile.Put(kTEXT, 7, text, "Body");
  VStrInHandle s;
  s.SetNull(true, kWholeValue);
  s.LoadText(fFile, 7, nullptr);
  ASSERT_EQ(s.GetLength(), 1000);
  EXPECT_EQ(s.GetCharAt(1), u'\u00E9');
  EXPECT_EQ(s.GetCharAt(501), u'\0');
  EXPECT_EQ(s.GetCharAt(1000), u'x');
  EXPECT_FALSE(s.IsNull(kWholeValue));
  // A smaller string keeps what fits.
  VStr<255> small;
  small.LoadText(fFile, 0, "Body");
  EXPECT_EQ(small.GetLength(), 255);
  EXPECT_GE(fFile.releases, 2);
}

TEST_F(StringResources, LoadTextOfAMissingResourceIsEmpty) {
  fFile.Put(kTEXT, 7, "");
  VStrInHandle s;
  s.SetCText("old", kCharSetAnsi);
  s.LoadText(fFile, 8, nullptr);
  EXPECT_EQ(s.GetLength(), 0);
  s.SetCText("old", kCharSetAnsi);
  s.LoadText(fFile, 7, nullptr);
  EXPECT_EQ(s.GetLength(), 0);
  s.SetCText("old", kCharSetAnsi);
  s.LoadText(fFile, 7, "no such name");
  EXPECT_EQ(s.GetLength(), 0);
}

// ---- Saving

TEST_F(StringResources, SaveTextAddsMacintoshBytesWithoutATerminator) {
  VStrInHandle s;
  s.SetUniCText(u"Caf\u00E9 au lait");
  EXPECT_EQ(s.SaveText(fFile, 200, nullptr), 200);
  ASSERT_NE(fFile.Of(kTEXT, 200), nullptr);
  EXPECT_EQ(fFile.Of(kTEXT, 200)->data, "Caf\x8E au lait");
  EXPECT_EQ(fFile.Of(kTEXT, 200)->name, "");
}

TEST_F(StringResources, SaveTextWithANewNameAddsItUnderAFreshId) {
  VStr<255> s;
  s.SetCText("hello", kCharSetAnsi);
  const int16_t id = s.SaveText(fFile, 5, "Greeting");
  EXPECT_EQ(id, 128);
  ASSERT_NE(fFile.Of(kTEXT, id), nullptr);
  EXPECT_EQ(fFile.Of(kTEXT, id)->name, "Greeting");
  EXPECT_EQ(fFile.Of(kTEXT, id)->data, "hello");
  EXPECT_EQ(fFile.Of(kTEXT, 5), nullptr);
}

TEST_F(StringResources, SaveTextRewritesAnExistingResource) {
  fFile.Put(kTEXT, 9, "a much longer old text", "Note");
  VStr<255> s;
  s.SetCText("short", kCharSetAnsi);
  EXPECT_EQ(s.SaveText(fFile, 0, "Note"), 9);
  EXPECT_EQ(fFile.Of(kTEXT, 9)->data, "short");
  EXPECT_EQ(fFile.writes, 1);
  s.SetCText("now longer than before", kCharSetAnsi);
  EXPECT_EQ(s.SaveText(fFile, 9, nullptr), 9);
  EXPECT_EQ(fFile.Of(kTEXT, 9)->data, "now longer than before");
  EXPECT_EQ(fFile.entries.size(), 1u);
}

TEST_F(StringResources, SaveTextSizesByTheConvertedBytes) {
  fFile.Put(kTEXT, 9, "old");
  VStr<255> s;
  // U+4E00 has no Macintosh form: it is dropped, and leaves no room behind.
  s.SetUniCText(u"a\u4E00b\u4E00c");
  EXPECT_EQ(s.SaveText(fFile, 9, nullptr), 9);
  EXPECT_EQ(fFile.Of(kTEXT, 9)->data, "abc");
  EXPECT_EQ(s.SaveText(fFile, 10, nullptr), 10);
  EXPECT_EQ(fFile.Of(kTEXT, 10)->data, "abc");
}

TEST_F(StringResources, SaveTextThatCannotResizeWritesNothing) {
  fFile.Put(kTEXT, 9, "old");
  fFile.refuseResize = true;
  VStr<255> s;
  s.SetCText("new text", kCharSetAnsi);
  EXPECT_EQ(s.SaveText(fFile, 9, nullptr), -1);
  EXPECT_EQ(fFile.Of(kTEXT, 9)->data, "old");
  EXPECT_EQ(fFile.writes, 0);
}

TEST_F(StringResources, SaveTextThatCannotAddAnswersMinusOne) {
  fFile.refuseAdd = true;
  VStr<255> s;
  s.SetCText("new text", kCharSetAnsi);
  EXPECT_EQ(s.SaveText(fFile, 9, nullptr), -1);
  EXPECT_TRUE(fFile.entries.empty());
}

TEST_F(StringResources, SaveTextOfAnEmptyString) {
  VStrInHandle s;
  EXPECT_EQ(s.SaveText(fFile, 3, nullptr), 3);
  ASSERT_NE(fFile.Of(kTEXT, 3), nullptr);
  EXPECT_EQ(fFile.Of(kTEXT, 3)->data, "");
}

TEST_F(StringResources, SavePStringWritesALengthPrefixedText) {
  VStr<255> s;
  s.SetUniCText(u"Caf\u00E9");
  EXPECT_EQ(s.SavePString(fFile, 300, nullptr), 300);
  EXPECT_EQ(fFile.Of(kResTypeSTR, 300)->data, PString("Caf\x8E"));
  VStr<255> back;
  back.LoadPString(fFile, 300, nullptr);
  EXPECT_EQ(back.Compare(s, true), 0);
}

TEST_F(StringResources, SavePStringKeepsWhatALengthByteCounts) {
  VMacStrInHandle mac;
  const std::string text(300, 'm');
  mac.SetChars(text.data(), 0, 300, kCharSetMac);
  EXPECT_EQ(mac.SavePString(fFile, 1, nullptr), 1);
  EXPECT_EQ(fFile.Of(kResTypeSTR, 1)->data, PString(std::string(255, 'm')));
  VStrInHandle uni;
  uni.SetChars(text.data(), 0, 300, kCharSetAnsi);
  EXPECT_EQ(uni.SavePString(fFile, 2, nullptr), 2);
  EXPECT_EQ(fFile.Of(kResTypeSTR, 2)->data, PString(std::string(254, 'm')));
}

TEST_F(StringResources, SaveIndStringIsNotSupported) {
  fFile.Put(kResTypeSTRList, 128, StrList({"one"}));
  VStr<255> s;
  s.SetCText("two", kCharSetAnsi);
  EXPECT_EQ(s.SaveIndString(fFile, 128, 1, nullptr), -1);
  EXPECT_EQ(s.SaveIndString(fFile, 129, 1, nullptr), -1);
  EXPECT_EQ(fFile.Of(kResTypeSTRList, 128)->data, StrList({"one"}));
  EXPECT_EQ(fFile.entries.size(), 1u);
}

// ---- String lists and string arrays

TEST_F(StringResources, ArrayLoadsAndAppendsLists) {
  fFile.Put(kResTypeSTRList, 128, StrList({"one", "two"}));
  fFile.Put(kResTypeSTRList, 129, StrList({"three"}));
  VStringArray list(1);
  list.LoadFromSTRList(fFile, 128);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(Ascii(*list.GetAt(1)), "one");
  list.AppendFromSTRList(fFile, 129);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(Ascii(*list.GetAt(3)), "three");
  list.AppendFromSTRList(fFile, 130);
  EXPECT_EQ(list.Count(), 3);
  list.LoadFromSTRList(fFile, 130);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(StringResources, ArraySavesItsElementsInOrderWithNullAsEmpty) {
  VStringArray list(3);
  auto* first = new VStr<255>;
  first->SetUniCText(u"Caf\u00E9");
  list.SetAt(first, 1);
  auto* third = new VAnsiStr<15>;
  third->SetCText("c", kCharSetAnsi);
  list.SetAt(third, 3);
  EXPECT_EQ(list.SaveAsSTRList(fFile, 128, nullptr), 128);
  EXPECT_EQ(fFile.Of(kResTypeSTRList, 128)->data, StrList({"Caf\x8E", "", "c"}));
}

TEST_F(StringResources, ArraySaveReplacesTheListAndCutsLongItems) {
  fFile.Put(kResTypeSTRList, 128, StrList({"old"}));
  VStringArray list(1);
  auto* longText = new VMacStrInHandle;
  const std::string text(300, 'z');
  longText->SetChars(text.data(), 0, 300, kCharSetMac);
  list.SetAt(longText, 1);
  VStr<15> name;
  name.SetCText("Long", kCharSetAnsi);
  EXPECT_EQ(list.SaveAsSTRList(fFile, 128, &name), 128);
  EXPECT_EQ(fFile.Of(kResTypeSTRList, 128)->data, StrList({std::string(255, 'z')}));
  EXPECT_EQ(fFile.Of(kResTypeSTRList, 128)->name, "Long");
}

TEST_F(StringResources, EmptyArraySavesAListWithoutItems) {
  VStringArray list;
  EXPECT_EQ(list.SaveAsSTRList(fFile, 5, nullptr), 5);
  EXPECT_EQ(fFile.Of(kResTypeSTRList, 5)->data, StrList({}));
  fFile.refuseAdd = true;
  EXPECT_EQ(list.SaveAsSTRList(fFile, 6, nullptr), -1);
}

// ---- Through a Macintosh resource file on disk

class StringResourcesOnDisk : public files_test::ScratchFolder {
 protected:
  std::unique_ptr<VMacResourceFile> Open() {
    files_test::Str path(P("strings"));
    return std::make_unique<VMacResourceFile>(&path, 1);
  }
};

TEST_F(StringResourcesOnDisk, SavedStringsReadBackAfterReopening) {
  {
    auto file = Open();
    ASSERT_TRUE(file->IsOpen());
    VStr<255> s;
    s.SetCText("a text resource", kCharSetAnsi);
    EXPECT_EQ(s.SaveText(*file, 1000, nullptr), 1000);
    s.SetCText("a title", kCharSetAnsi);
    const int16_t titleId = s.SavePString(*file, 1001, "Title");
    EXPECT_NE(titleId, -1);
    // Saved again by its name: the same resource.
    s.SetCText("a title", kCharSetAnsi);
    EXPECT_EQ(s.SavePString(*file, 0, "Title"), titleId);
    VStringArray list(2);
    auto* item = new VStr<31>;
    item->SetCText("first", kCharSetAnsi);
    list.SetAt(item, 1);
    EXPECT_EQ(list.SaveAsSTRList(*file, 1002, nullptr), 1002);
    s.SetCText("the text, rewritten", kCharSetAnsi);
    EXPECT_EQ(s.SaveText(*file, 1000, nullptr), 1000);
    EXPECT_EQ(file->UpdateFile(), 0);
  }
  auto file = Open();
  ASSERT_TRUE(file->IsOpen());
  VStrInHandle s;
  s.LoadText(*file, 1000, nullptr);
  EXPECT_EQ(Ascii(s), "the text, rewritten");
  s.LoadPString(*file, 0, "Title");
  EXPECT_EQ(Ascii(s), "a title");
  s.LoadIndString(*file, 1002, 1, nullptr);
  EXPECT_EQ(Ascii(s), "first");
  s.LoadIndString(*file, 1002, 2, nullptr);
  EXPECT_EQ(s.GetLength(), 0);
  VStringArray list;
  list.LoadFromSTRList(*file, 1002);
  EXPECT_EQ(list.Count(), 2);
}
