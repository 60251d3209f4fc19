// The Macintosh resource file as the host bridge uses it: files opened at a
// fixed name, references of files someone else opened (or closed), string
// list items read through the Resource Manager within their data, handles
// shared by two objects on one file, and removed resources given back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/strings/VByteString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

namespace {

using namespace files_test;

constexpr uint32_t kDATA = FourCC("DATA");

// A 'STR#' as the file holds it in memory: the count in native order, then
// the length-prefixed items.
std::string List(int16_t count, const std::vector<std::string>& items) {
  std::string data(2, '\0');
  std::memcpy(data.data(), &count, 2);
  for (const std::string& item : items) data += char(item.size()) + item;
  return data;
}

class MacResourceFileWrap : public ScratchFolder {
 protected:
  // Another open file is current while a test runs, holding what a lookup
  // in the wrong file would find.
  void SetUp() override {
    ScratchFolder::SetUp();
    Str path(P("other"));
    other_ = std::make_unique<VMacResourceFile>(&path, 1);
    ASSERT_TRUE(other_->IsOpen());
    ASSERT_EQ(Put(*other_, kDATA, 1, "other's"), 1);
    ASSERT_EQ(Put(*other_, kResTypeSTRList, 5, List(1, {"other's"})), 5);
    Tbx::UseResFile(other_->GetFileRef());
  }
  void TearDown() override {
    other_.reset();
    ScratchFolder::TearDown();
  }
  static int16_t Put(VResourceFile& file, uint32_t type, int16_t id, const std::string& bytes) {
    return file.AddResource(type, id, nullptr, bytes.data(), uint32_t(bytes.size()));
  }
  static std::string Item(VResourceFile& file, int16_t list, int16_t index) {
    VMacStr<255> text;
    file.GetIndString(&text, list, index);
    return std::string(static_cast<const char*>(text.GetBuffer()), size_t(text.GetLength()));
  }

  std::unique_ptr<VMacResourceFile> other_;
};

TEST_F(MacResourceFileWrap, OpeningExactlyKeepsTheNameAndTheCurrentFile) {
  const int16_t current = Tbx::CurResFile();
  int16_t ref = -1;
  {
    std::unique_ptr<VMacResourceFile> file(VMacResourceFile::OpenExact(P("Pkg Prefs").c_str(), 1));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Tbx::CurResFile(), current);
    EXPECT_TRUE(fs::exists(P("Pkg Prefs")));
    EXPECT_FALSE(fs::exists(P("Pkg Prefs.RSR")));
    ref = file->GetFileRef();
    // A Macintosh string's bytes are the name's bytes, whatever they are.
    VMacStr<255> name;
    name.SetMacPText(reinterpret_cast<const uint8_t*>("\x02n\x8E"));
    EXPECT_EQ(file->AddResource(kDATA, 3, &name, "ab", 2), 3);
  }
  // Deleting the object wrote and closed the file.
  EXPECT_FALSE(VMacResourceFile(ref).IsOpen());
  std::unique_ptr<VMacResourceFile> again(VMacResourceFile::OpenExact(P("Pkg Prefs").c_str(), 0));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->GetPNamedResourceId(kDATA, reinterpret_cast<const uint8_t*>("\x02n\x8E")), 3);
  uint8_t stored[256] = {};
  again->GetResourcePName(again->GetResource(kDATA, 3, nullptr), stored);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored), 3), "\x02n\x8E");
  // A reference that is no resource has no name.
  again->GetResourcePName(0, stored);
  EXPECT_EQ(stored[0], 0);
}

TEST_F(MacResourceFileWrap, PathsThatCannotBeOpenedExactlyGiveNoFile) {
  const std::string missing = P("absent");
  const std::string tooLong = P(std::string(300, 'a'));
  const std::string noFolder = "/no/such/folder/file";
  for (const char* path : {static_cast<const char*>(nullptr), "", missing.c_str(), tooLong.c_str(),
                           noFolder.c_str()}) {
    const uint8_t create = path == missing.c_str() ? 0 : 1;
    std::unique_ptr<VMacResourceFile> file(VMacResourceFile::OpenExact(path, create));
    EXPECT_EQ(file, nullptr) << (path != nullptr ? path : "(null)");
  }
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(MacResourceFileWrap, AReferenceThatNamesNoOpenFileAnswersAsNoFile) {
  int16_t closed = -1;
  {
    std::unique_ptr<VMacResourceFile> gone(VMacResourceFile::OpenExact(P("gone").c_str(), 1));
    ASSERT_NE(gone, nullptr);
    closed = gone->GetFileRef();
  }
  const int16_t current = Tbx::CurResFile();
  for (const int16_t ref : {int16_t(-1), closed, int16_t(0x7FFF)}) {
    VMacResourceFile file(ref);
    EXPECT_FALSE(file.IsOpen()) << ref;
    // Nothing is read from (or written to) the file that is current.
    EXPECT_EQ(file.GetResource(kDATA, 1, nullptr), 0u) << ref;
    EXPECT_EQ(file.CountResources(kDATA), 0) << ref;
    EXPECT_FALSE(file.HasResource(kDATA, 1)) << ref;
    EXPECT_EQ(Item(file, 5, 1), "") << ref;
    EXPECT_EQ(Put(file, kDATA, 2, "x"), -1) << ref;
    EXPECT_EQ(file.UpdateFile(), 401) << ref;
    EXPECT_EQ(Tbx::CurResFile(), current) << ref;
  }
  EXPECT_EQ(other_->CountResources(kDATA), 1);
}

TEST_F(MacResourceFileWrap, StringListItemsAreReadWithinTheirData) {
  Str path(P("lists"));
  VMacResourceFile file(&path, 1);
  ASSERT_TRUE(file.IsOpen());
  // Three items claimed; the second claims 50 bytes that are not there.
  ASSERT_EQ(Put(file, kResTypeSTRList, 1, List(3, {"ok"}) + std::string(1, char(50)) + "x"), 1);
  ASSERT_EQ(Put(file, kResTypeSTRList, 2, std::string(1, '\0')), 2);  // no whole count
  ASSERT_EQ(Put(file, kResTypeSTRList, 3, List(-1, {"neg"})), 3);     // a negative count
  ASSERT_EQ(Put(file, kResTypeSTRList, 4, List(2, {"one", "two"})), 4);
  ASSERT_EQ(Put(file, kResTypeSTR, 4, std::string(1, char(6)) + "single"), 4);
  ASSERT_EQ(Put(file, kResTypeSTR, 6, std::string(1, char(9)) + "cut"), 6);
  ASSERT_EQ(file.UpdateFile(), 0);
  struct Case {
    int16_t list, index;
    const char* text;
  };
  const Case cases[] = {{1, 1, "ok"}, {1, 2, ""},    {1, 3, ""},       {2, 1, ""},  {3, 1, ""},
                        {4, 1, "one"}, {4, 2, "two"}, {4, 3, ""},       {4, 0, "single"},
                        {4, -1, "single"}, {6, 0, ""}, {7, 1, ""}, {5, 1, ""}};
  for (const Case& c : cases)
    EXPECT_EQ(Item(file, c.list, c.index), c.text) << c.list << "," << c.index;
  // The list of id -1 is read like any other, also as an object's first.
  // (Added through the Resource Manager: to AddResource, id -1 asks for a
  // fresh id.)
  const std::string minusOne = List(1, {"minus one"});
  const Tbx::Handle h = Tbx::NewHandle(int32_t(minusOne.size()));
  std::memcpy(Tbx::HLock(h), minusOne.data(), minusOne.size());
  Tbx::HUnlock(h);
  file.UseFile();
  Tbx::AddResource(h, kResTypeSTRList, -1, reinterpret_cast<const uint8_t*>("\0"));
  file.RestoreFile();
  ASSERT_EQ(Tbx::ResError(), Tbx::noErr);
  VMacResourceFile fresh(file.GetFileRef());
  EXPECT_EQ(Item(fresh, -1, 1), "minus one");
}

TEST_F(MacResourceFileWrap, TwoObjectsOnOneFileKeepReadingTheirLists) {
  Str path(P("shared"));
  VMacResourceFile a(&path, 1);
  ASSERT_EQ(Put(a, kResTypeSTRList, 10, List(2, {"ten one", "ten two"})), 10);
  ASSERT_EQ(Put(a, kResTypeSTRList, 11, List(1, {"eleven"})), 11);
  ASSERT_EQ(a.UpdateFile(), 0);
  VMacResourceFile b(a.GetFileRef());
  // Both hold the Resource Manager's one handle of list 10.
  EXPECT_EQ(Item(a, 10, 1), "ten one");
  EXPECT_EQ(Item(b, 10, 1), "ten one");
  // a moves to list 11 and gives list 10's handle back: b looks it up anew.
  EXPECT_EQ(Item(a, 11, 1), "eleven");
  EXPECT_EQ(Item(b, 10, 2), "ten two");
  // A list taken out of the file through another object is no longer read.
  EXPECT_TRUE(a.RemoveResource(kResTypeSTRList, 10));
  EXPECT_EQ(Item(b, 10, 1), "");
}

TEST_F(MacResourceFileWrap, ARemovedResourcesHandleIsGivenBack) {
  Str path(P("removed"));
  VMacResourceFile file(&path, 1);
  using Remove = void (*)(VMacResourceFile&);
  const Remove ways[] = {
      [](VMacResourceFile& f) { EXPECT_TRUE(f.RemoveResource(kDATA, 1)); },
      [](VMacResourceFile& f) { EXPECT_TRUE(f.RemoveResources(kDATA)); },
      [](VMacResourceFile& f) { EXPECT_EQ(Put(f, kDATA, 1, "replacement"), 1); },
  };
  for (size_t way = 0; way < std::size(ways); ++way) {
    ASSERT_EQ(Put(file, kDATA, 1, "first"), 1);
    const VResourceRef ref = file.GetResource(kDATA, 1, nullptr);
    ASSERT_NE(ref, 0u);
    ways[way](file);
    Tbx::GetHandleSize(ref);
    const bool disposed = Tbx::MemError() == Tbx::nilHandleErr;
    // A replacement may be given the value of the handle just disposed of:
    // a handle still alive could not have been.
    const bool reused = file.GetResource(kDATA, 1, nullptr) == ref;
    EXPECT_TRUE(disposed || reused) << way;
    file.RemoveResources(kDATA);
  }
  // The other file's resource of the same type and id stays.
  EXPECT_TRUE(other_->HasResource(kDATA, 1));
}

}  // namespace
