// The clipboard: the flavour list and its use counts, refresh and available
// types in list order, data in and out of the scrap, Macintosh text, and the
// picture exchange through the installed picture operations.
#include "framework/system/environment/VClipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

constexpr uint32_t kXMo7 = FourCC("xMo7");
constexpr uint32_t kRTF = FourCC("RTF ");

std::vector<uint8_t> ScrapBytes(uint32_t type) {
  const int32_t length = Tbx::GetScrap(0, type, nullptr);
  if (length < 0) return {};
  Tbx::Handle h = Tbx::NewHandle(0);
  Tbx::GetScrap(h, type, nullptr);
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  if (length > 0) std::memcpy(bytes.data(), Tbx::HLock(h), bytes.size());
  Tbx::DisposeHandle(h);
  return bytes;
}

std::vector<uint8_t> HandleBytes(VMemHandle h) {
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  std::vector<uint8_t> bytes(size);
  if (size > 0) std::memcpy(bytes.data(), gMemoryMgr->LockHandle(h), size);
  gMemoryMgr->UnlockHandle(h);
  return bytes;
}

class Clipboard : public testing::Test {
 protected:
  void SetUp() override { Tbx::ZeroScrap(); }
  void TearDown() override { Tbx::ZeroScrap(); }
  VClipboard clipboard;
};

TEST_F(Clipboard, StartsWithTextThenPicture) {
  ASSERT_EQ(clipboard.CountFlavors(), 2);
  EXPECT_EQ(clipboard.GetFlavor(1)->type, kFlavorTEXT);
  EXPECT_EQ(clipboard.GetFlavor(1)->useCount, 1);
  EXPECT_EQ(clipboard.GetFlavor(2)->type, kFlavorPICT);
  EXPECT_EQ(clipboard.GetFlavor(3), nullptr);
  EXPECT_EQ(clipboard.GetFlavor(0), nullptr);
}

TEST_F(Clipboard, AFlavorAddedTwiceStaysUntilRemovedTwice) {
  clipboard.AddFlavor(kXMo7);
  clipboard.AddFlavor(kXMo7);
  ASSERT_EQ(clipboard.CountFlavors(), 3);
  EXPECT_EQ(clipboard.GetFlavor(3)->type, kXMo7);
  EXPECT_EQ(clipboard.GetFlavor(3)->useCount, 2);
  clipboard.RemoveFlavor(kXMo7);
  ASSERT_EQ(clipboard.CountFlavors(), 3);
  EXPECT_EQ(clipboard.GetFlavor(3)->useCount, 1);
  clipboard.RemoveFlavor(kXMo7);
  EXPECT_EQ(clipboard.CountFlavors(), 2);
}

TEST_F(Clipboard, NewFlavorsAreAppendedInOrder) {
  clipboard.AddFlavor(kXMo7);
  clipboard.AddFlavor(kRTF);
  ASSERT_EQ(clipboard.CountFlavors(), 4);
  EXPECT_EQ(clipboard.GetFlavor(3)->type, kXMo7);
  EXPECT_EQ(clipboard.GetFlavor(4)->type, kRTF);
  clipboard.RemoveFlavor(kXMo7);
  EXPECT_EQ(clipboard.GetFlavor(3)->type, kRTF);
}

TEST_F(Clipboard, RemovingAnUnknownFlavorChangesNothing) {
  clipboard.RemoveFlavor(kRTF);
  EXPECT_EQ(clipboard.CountFlavors(), 2);
  EXPECT_EQ(clipboard.GetFlavor(1)->useCount, 1);
}

TEST_F(Clipboard, TheStandardFlavorsCanBeRemovedToo) {
  clipboard.RemoveFlavor(kFlavorTEXT);
  ASSERT_EQ(clipboard.CountFlavors(), 1);
  EXPECT_EQ(clipboard.GetFlavor(1)->type, kFlavorPICT);
}

TEST_F(Clipboard, AUseCountStopsAtItsLargestValue) {
  for (int i = 0; i < 70000; ++i) clipboard.AddFlavor(kXMo7);
  EXPECT_EQ(clipboard.GetFlavor(3)->useCount, 65535);
  clipboard.RemoveFlavor(kXMo7);
  EXPECT_EQ(clipboard.CountFlavors(), 3);
}

TEST_F(Clipboard, RefreshWithOnlyTextMakesTextTheOneAvailableType) {
  clipboard.AddFlavor(kXMo7);
  ASSERT_EQ(Tbx::PutScrap(4, kFlavorTEXT, "text"), 0);
  EXPECT_EQ(clipboard.Refresh(), 1);
  EXPECT_EQ(clipboard.GetAvailableType(1), kFlavorTEXT);
  EXPECT_EQ(clipboard.GetAvailableType(2), 0u);
  EXPECT_EQ(clipboard.GetAvailableType(0), 0u);
  EXPECT_EQ(clipboard.GetAvailableType(-1), 0u);
}

TEST_F(Clipboard, AvailableTypesFollowTheListOrderNotTheScrapOrder) {
  clipboard.AddFlavor(kXMo7);
  ASSERT_EQ(Tbx::PutScrap(2, kXMo7, "xy"), 0);
  ASSERT_EQ(Tbx::PutScrap(2, kFlavorPICT, "pp"), 0);
  ASSERT_EQ(Tbx::PutScrap(2, kRTF, "rr"), 0);  // not registered
  EXPECT_EQ(clipboard.Refresh(), 2);
  EXPECT_EQ(clipboard.GetAvailableType(1), kFlavorPICT);
  EXPECT_EQ(clipboard.GetAvailableType(2), kXMo7);
  EXPECT_EQ(clipboard.GetAvailableType(3), 0u);
}

TEST_F(Clipboard, AvailableTypesKeepTheLastRefreshUntilTheNext) {
  ASSERT_EQ(Tbx::PutScrap(1, kFlavorTEXT, "t"), 0);
  clipboard.Refresh();
  Tbx::ZeroScrap();
  EXPECT_EQ(clipboard.GetAvailableType(1), kFlavorTEXT);
  EXPECT_EQ(clipboard.Refresh(), 0);
  EXPECT_EQ(clipboard.GetAvailableType(1), 0u);
}

TEST_F(Clipboard, AFlavorWithNoBytesCountsAsAbsent) {
  ASSERT_EQ(Tbx::PutScrap(0, kFlavorTEXT, nullptr), 0);
  EXPECT_FALSE(clipboard.HasData(kFlavorTEXT));
  EXPECT_EQ(clipboard.GetSize(kFlavorTEXT), 0);
  EXPECT_EQ(clipboard.GetData(kFlavorTEXT), 0u);
  EXPECT_EQ(clipboard.GetText(), nullptr);
  EXPECT_EQ(clipboard.Refresh(), 0);
}

TEST_F(Clipboard, GetSizeOfAnAbsentTypeIsTheScrapsError) {
  EXPECT_LT(clipboard.GetSize(kRTF), 0);
  EXPECT_FALSE(clipboard.HasData(kRTF));
}

TEST_F(Clipboard, GetDataGivesACopyInAMemoryManagerHandle) {
  const uint8_t bytes[] = {0, 1, 2, 0xFE, 0xFF};
  ASSERT_TRUE(clipboard.PutData(kXMo7, bytes, 5));
  const VMemHandle h = clipboard.GetData(kXMo7);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(HandleBytes(h), std::vector<uint8_t>(bytes, bytes + 5));
  gMemoryMgr->DisposeHandle(h);
  // The scrap keeps its own copy.
  EXPECT_EQ(clipboard.GetSize(kXMo7), 5);
}

TEST_F(Clipboard, GetDataOfAnAbsentTypeAnswersZero) {
  ASSERT_TRUE(clipboard.PutData(kXMo7, "ab", 2));
  EXPECT_EQ(clipboard.GetData(kRTF), 0u);
  EXPECT_EQ(clipboard.GetData(kFlavorPICT), 0u);
}

TEST_F(Clipboard, PutDataReportsARefusalAndChangesNothing) {
  ASSERT_TRUE(clipboard.PutData(kXMo7, "ab", 2));
  EXPECT_FALSE(clipboard.PutData(kXMo7, "abc", -3));
  EXPECT_FALSE(clipboard.PutData(kXMo7, nullptr, 3));
  EXPECT_EQ(ScrapBytes(kXMo7), (std::vector<uint8_t>{'a', 'b'}));
}

TEST_F(Clipboard, ClearEmptiesTheClipboard) {
  ASSERT_TRUE(clipboard.PutData(kXMo7, "ab", 2));
  clipboard.Clear();
  EXPECT_FALSE(clipboard.HasData(kXMo7));
  EXPECT_EQ(Tbx::CountScrapTypes(), 0);
}

// Every change, whoever makes it, moves the count on; a read or a refused
// put does not.
TEST_F(Clipboard, TheChangeCountFollowsEveryChangeOfTheScrap) {
  struct Row {
    const char* what;
    void (*change)(VClipboard& clipboard);
    bool changes;
  };
  const Row rows[] = {
      {"put by the module", [](VClipboard& c) { c.PutData(kXMo7, "ab", 2); }, true},
      {"put by another program", [](VClipboard&) { Tbx::PutScrap(3, kFlavorTEXT, "abc"); }, true},
      {"emptied by the module", [](VClipboard& c) { c.Clear(); }, true},
      {"emptied by another program", [](VClipboard&) { Tbx::ZeroScrap(); }, true},
      {"read", [](VClipboard& c) { c.Refresh(); c.HasData(kFlavorTEXT); }, false},
      {"a put refused", [](VClipboard& c) { c.PutData(kXMo7, nullptr, 3); }, false},
  };
  for (const Row& row : rows) {
    const uint32_t before = clipboard.GetChangeCount();
    row.change(clipboard);
    EXPECT_EQ(clipboard.GetChangeCount() != before, row.changes) << row.what;
  }
}

TEST_F(Clipboard, PutTextPutsMacintoshBytesWithoutATerminator) {
  VMacStr<31> text;
  const uint8_t mac[] = {4, 'c', 'a', 'f', 0x8E};  // "café" in Mac Roman
  text.SetMacPText(mac);
  ASSERT_TRUE(clipboard.PutText(text));
  EXPECT_EQ(ScrapBytes(kFlavorTEXT), (std::vector<uint8_t>{'c', 'a', 'f', 0x8E}));
}

TEST_F(Clipboard, PutTextOfAUnicodeStringConvertsIt) {
  VStr<31> text;
  text.SetCText("plain", kCharSetAnsi);
  ASSERT_TRUE(clipboard.PutText(text));
  EXPECT_EQ(ScrapBytes(kFlavorTEXT), (std::vector<uint8_t>{'p', 'l', 'a', 'i', 'n'}));
}

TEST_F(Clipboard, GetTextGivesAMacintoshStringInAHandle) {
  const uint8_t bytes[] = {'o', 'n', 'e', 0x8E};
  ASSERT_EQ(Tbx::PutScrap(4, kFlavorTEXT, bytes), 0);
  VString* text = clipboard.GetText();
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->IsMac());
  EXPECT_TRUE(text->IsInHandle());
  ASSERT_EQ(text->GetLength(), 4);
  uint8_t out[8] = {};
  text->GetPText(out, 7, kCharSetMac);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(std::memcmp(out + 1, bytes, 4), 0);
  delete text;
}

TEST_F(Clipboard, GetTextWithoutTextAnswersNull) { EXPECT_EQ(clipboard.GetText(), nullptr); }

TEST_F(Clipboard, GetTextIntoReplacesTheText) {
  ASSERT_EQ(Tbx::PutScrap(3, kFlavorTEXT, "new"), 0);
  VStr<31> text;
  text.SetCText("old text", kCharSetMac);
  EXPECT_TRUE(clipboard.GetTextInto(text));
  EXPECT_EQ(text.CompareCText("new", kCharSetMac, true), 0);
}

TEST_F(Clipboard, GetTextIntoWithoutTextLeavesTheStringAlone) {
  VStr<31> text;
  text.SetCText("kept", kCharSetMac);
  EXPECT_FALSE(clipboard.GetTextInto(text));
  EXPECT_EQ(text.CompareCText("kept", kCharSetMac, true), 0);
}

TEST_F(Clipboard, TextRoundTripsThroughTheClipboard) {
  VStr<63> text;
  text.SetCText("A line\rand another", kCharSetMac);
  ASSERT_TRUE(clipboard.PutText(text));
  VString* back = clipboard.GetText();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Compare(text, true), 0);
  delete back;
}

// ---- Pictures, through picture operations of the test's own: a picture is a
// kind and a handle here.

struct FakePicture : VObject {
  int32_t kind = 1;
  VMemHandle handle = 0;
  ~FakePicture() override {
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  }
};

int sMade = 0;
int sDeleted = 0;
bool sConvertFails = false;

const FakePicture& Fake(const VPictureData& p) { return reinterpret_cast<const FakePicture&>(p); }
VPictureData* AsPicture(FakePicture* p) { return reinterpret_cast<VPictureData*>(p); }

const VClipboardPictureOps kFakeOps = {
    [](const VPictureData& p) { return Fake(p).kind; },
    [](const VPictureData& p) { return HandleBytes(Fake(p).handle); },
    [](const void* bytes, uint32_t size) {
      auto* p = new FakePicture;
      p->handle = gMemoryMgr->NewHandleFromData(bytes, size);
      ++sMade;
      return AsPicture(p);
    },
    [](const VPictureData& p) -> VPictureData* {
      if (sConvertFails) return nullptr;
      // The conversion of the test: the source's bytes behind a mark.
      const std::vector<uint8_t> source = HandleBytes(Fake(p).handle);
      std::vector<uint8_t> pict{'C'};
      pict.insert(pict.end(), source.begin(), source.end());
      auto* converted = new FakePicture;
      converted->handle = gMemoryMgr->NewHandleFromData(pict.data(), static_cast<uint32_t>(pict.size()));
      ++sMade;
      return AsPicture(converted);
    },
    [](VPictureData* p) {
      ++sDeleted;
      delete reinterpret_cast<FakePicture*>(p);
    },
};

class ClipboardPictures : public Clipboard {
 protected:
  void SetUp() override {
    Clipboard::SetUp();
    fPrevious = VClipboardPictureService::Install(&kFakeOps);
    sMade = sDeleted = 0;
    sConvertFails = false;
  }
  void TearDown() override {
    VClipboardPictureService::Install(fPrevious);
    Clipboard::TearDown();
  }
  const VClipboardPictureOps* fPrevious = nullptr;
};

TEST_F(ClipboardPictures, APictPictureIsPutDirectly) {
  FakePicture pict;
  const uint8_t bytes[] = {0, 10, 0, 0, 0, 0, 0, 5, 0, 5, 0x11, 0x01};
  pict.handle = gMemoryMgr->NewHandleFromData(bytes, sizeof bytes);
  EXPECT_TRUE(clipboard.PutPicture(*AsPicture(&pict)));
  EXPECT_EQ(ScrapBytes(kFlavorPICT), std::vector<uint8_t>(bytes, bytes + sizeof bytes));
  EXPECT_EQ(sMade, 0);
  // The handle is unlocked again.
  EXPECT_FALSE(gMemoryMgr->IsLocked(pict.handle));
}

TEST_F(ClipboardPictures, AnotherKindIsPutThroughATemporaryPict) {
  FakePicture other;
  other.kind = 2;
  other.handle = gMemoryMgr->NewHandleFromData("emf", 3);
  EXPECT_TRUE(clipboard.PutPicture(*AsPicture(&other)));
  EXPECT_EQ(ScrapBytes(kFlavorPICT), (std::vector<uint8_t>{'C', 'e', 'm', 'f'}));
  EXPECT_EQ(sMade, 1);
  EXPECT_EQ(sDeleted, 1);
}

TEST_F(ClipboardPictures, AFailedConversionPutsNothing) {
  sConvertFails = true;
  FakePicture other;
  other.kind = 3;
  other.handle = gMemoryMgr->NewHandleFromData("wmf", 3);
  EXPECT_FALSE(clipboard.PutPicture(*AsPicture(&other)));
  EXPECT_FALSE(clipboard.HasData(kFlavorPICT));
}

TEST_F(ClipboardPictures, AnEmptyPictPutsNothing) {
  FakePicture empty;
  EXPECT_FALSE(clipboard.PutPicture(*AsPicture(&empty)));
  EXPECT_FALSE(clipboard.HasData(kFlavorPICT));
}

TEST_F(ClipboardPictures, GetPictureCopiesTheClipboardsBytes) {
  ASSERT_EQ(Tbx::PutScrap(4, kFlavorPICT, "pict"), 0);
  VPictureData* picture = clipboard.GetPicture();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(HandleBytes(Fake(*picture).handle), (std::vector<uint8_t>{'p', 'i', 'c', 't'}));
  kFakeOps.deletePicture(picture);
}

TEST_F(ClipboardPictures, GetPictureWithoutAPictureAnswersNull) {
  ASSERT_EQ(Tbx::PutScrap(4, kFlavorTEXT, "text"), 0);
  EXPECT_EQ(clipboard.GetPicture(), nullptr);
  EXPECT_EQ(sMade, 0);
}

TEST_F(Clipboard, WithoutPictureOperationsNoPictureIsExchanged) {
  const VClipboardPictureOps* previous = VClipboardPictureService::Install(nullptr);
  ASSERT_EQ(Tbx::PutScrap(4, kFlavorPICT, "pict"), 0);
  EXPECT_EQ(clipboard.GetPicture(), nullptr);
  VClipboardPictureService::Install(previous);
}

}  // namespace
