// Tests of style sheets as records and in a resource store: the stored
// bytes, both byte orders, truncated and foreign records, the ids a new
// sheet takes (also when the highest is 32767), renaming, finding by name,
// the whole names kept beside the sheets and the forms that tell them
// apart, and the font that travels by name to another document.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaFontTable.h"
#include "document/xMorvaStyleSheet.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/tests/StringTestSupport.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Text(const VString& s) {
  char buffer[512] = {};
  s.GetCText(buffer, sizeof buffer - 1, kCharSetAnsi);
  return buffer;
}

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

VStr<255> Uni(const std::u16string& text) {
  VStr<255> name;
  name.SetUniCText(text.c_str());
  return name;
}

// A document with a font table of its own.
class FontDocument : public FakeDocument {
 public:
  FontDocument() { fonts.Reset(Name("Arial")); }
  xMorvaFontTable* GetFontTable() override { return &fonts; }
  std::vector<int16_t> HeldStyleSheetIds() override { return held; }
  xMorvaFontTable fonts;
  std::vector<int16_t> held;  // the ids an undo history would hold
};

Bytes Written(const xMorvaStyleSheet& sheet, bool bigEndian) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (bigEndian) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
  EXPECT_EQ(stream.OpenWrite(), 0);
  EXPECT_TRUE(sheet.WriteBody(stream));
  stream.CloseWrite(1);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

void Fill(xMorvaStyleSheet& sheet) {
  sheet.reserved = 1;
  sheet.paragraphSheet = 0;
  sheet.shortcut = 'K';
  sheet.properties.SetProperty(kPropBold, 1);
  sheet.properties.SetProperty(kPropSize, 18);
  sheet.states.SetState(kPropBold, 1);
  sheet.states.SetState(kPropSize, 1);
  sheet.states.SetState(kPropTabs, 1);
  sheet.tabs.AddStop(MakeTabStop(96, '.', kTabRight));
  sheet.fontName.SetAnsiCText("Liberation Serif");
}

void ExpectSame(const xMorvaStyleSheet& a, const xMorvaStyleSheet& b) {
  EXPECT_EQ(a.reserved, b.reserved);
  EXPECT_EQ(a.paragraphSheet, b.paragraphSheet);
  EXPECT_EQ(a.shortcut, b.shortcut);
  for (uint16_t id = 0; id < kPropertyStateCount; ++id) {
    EXPECT_EQ(a.properties.GetProperty(id), b.properties.GetProperty(id)) << id;
    EXPECT_EQ(a.states.GetState(id), b.states.GetState(id)) << id;
  }
  EXPECT_FALSE(a.tabs.IsDifferent(b.tabs));
  EXPECT_EQ(Text(a.fontName), Text(b.fontName));
}

TEST(StyleSheet, RecordBytesAndRoundTripInBothOrders) {
  xMorvaStyleSheet sheet;
  Fill(sheet);
  for (bool big : {false, true}) {
    const Bytes bytes = Written(sheet, big);
    const Bytes head = big ? Bytes{'w', 'S', 'T', 'L', '0', '1', '0', '0', 1, 0, 0, 'K'}
                           : Bytes{'L', 'T', 'S', 'w', '0', '1', '0', '0', 1, 0, 'K', 0};
    ASSERT_GE(bytes.size(), head.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12), head);
    // Then 'wPRP' (134), 'wSTT' (77), 'wTAB' with one stop (18) and the
    // font name: length, kind, 16 units and the zero.
    EXPECT_EQ(bytes.size(), 12u + 134 + 77 + 18 + 8 + 17 * 2);
    const Bytes prp = big ? Bytes{'w', 'P', 'R', 'P'} : Bytes{'P', 'R', 'P', 'w'};
    EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 16), prp);
    xMorvaStyleSheet read;
    ASSERT_TRUE(ReadStyleSheetBytes(bytes.data(), uint32_t(bytes.size()), read)) << big;
    ExpectSame(read, sheet);
  }
}

TEST(StyleSheet, BadRecordsChangeNothing) {
  xMorvaStyleSheet source;
  Fill(source);
  const Bytes bytes = Written(source, false);
  xMorvaStyleSheet before;
  before.shortcut = 'Z';
  before.fontName.SetAnsiCText("Kept");
  // Every truncation answers false and leaves the sheet as it was.
  for (size_t n = 0; n < bytes.size(); ++n) {
    xMorvaStyleSheet sheet;
    sheet.Assign(before);
    EXPECT_FALSE(ReadStyleSheetBytes(bytes.data(), uint32_t(n), sheet)) << n;
    ExpectSame(sheet, before);
  }
  struct Change {
    size_t at;
    uint8_t value;
  };
  // Another tag, another version, a damaged part inside.
  for (const Change& change : {Change{0, 'X'}, Change{7, '1'}, Change{13, 'X'}, Change{148, 'X'}}) {
    Bytes bad = bytes;
    bad[change.at] = change.value;
    xMorvaStyleSheet sheet;
    sheet.Assign(before);
    EXPECT_FALSE(ReadStyleSheetBytes(bad.data(), uint32_t(bad.size()), sheet)) << change.at;
    ExpectSame(sheet, before);
  }
}

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() : fHandle(gMemoryMgr->NewHandle(0, 0)), store(new VMemoryResourceFile(fHandle, 1)) {}
  ~StoreTest() override {
    store.reset();
    gMemoryMgr->DisposeHandle(fHandle);
  }
  int16_t Add(const char* name, int32_t wanted = -1) {
    xMorvaStyleSheet sheet;
    int16_t id = 0;
    EXPECT_TRUE(sheet.SaveNew(document, *store, Name(name), id, wanted));
    return id;
  }
  std::string NameOf(int16_t id) {
    VStr<255> name;
    store->GetResourceName(&name, kStyleSheetResourceType, id);
    return Text(name);
  }

  VMemHandle fHandle;
  FontDocument document;
  std::unique_ptr<VMemoryResourceFile> store;
};

TEST_F(StoreTest, NewIdsFollowTheHighest) {
  EXPECT_EQ(Add("first"), -32767);
  EXPECT_EQ(Add("second"), -32766);
  EXPECT_EQ(Add("wanted", 1), 1);
  EXPECT_EQ(Add("next"), 2);
  EXPECT_EQ(NameOf(1), "wanted");
  document.held = {5, 3};  // ids an undo history holds: never given
  EXPECT_EQ(Add("above the held"), 6);
  // At the highest id the store picks a free one.
  EXPECT_EQ(Add("top", 32767), 32767);
  EXPECT_EQ(Add("free"), 4);
  for (int i = 0; i < 5; ++i) {
    const int16_t id = Add("more");
    EXPECT_GE(id, 1);
    EXPECT_LE(id, 31999);
  }
  EXPECT_EQ(store->CountResources(kStyleSheetResourceType), 12);
  xMorvaStyleSheet sheet;
  EXPECT_EQ(sheet.FindOrAdd(document, *store, Name("WANTED")), 1);
}

TEST_F(StoreTest, SaveOverwritesAndRenames) {
  const int16_t id = Add("Body", 5);
  xMorvaStyleSheet sheet;
  Fill(sheet);
  const VStr<255> heading = Name("Heading");
  ASSERT_TRUE(sheet.Save(document, *store, id, &heading));
  EXPECT_EQ(NameOf(id), "Heading");
  xMorvaStyleSheet read;
  ASSERT_TRUE(ReadStyleSheetResource(*store, id, read));
  EXPECT_EQ(read.shortcut, 'K');
  EXPECT_EQ(read.properties.GetProperty(kPropSize), 18);
  // Property 7 is 1 in this document: its font name is what is stored.
  EXPECT_EQ(Text(read.fontName), "Arial");
  EXPECT_FALSE(sheet.Save(document, *store, 6, nullptr));
  EXPECT_EQ(store->CountResources(kStyleSheetResourceType), 1);

  // A truncated resource does not load; sheet and store stay as they were.
  const Bytes bytes = Written(sheet, false);
  ASSERT_EQ(store->AddResource(kStyleSheetResourceType, 9, &heading, bytes.data(), uint32_t(bytes.size() - 3)), 9);
  read.shortcut = 'Q';
  EXPECT_FALSE(read.Load(document, *store, 9));
  EXPECT_EQ(read.shortcut, 'Q');
  EXPECT_EQ(store->GetResourceSizeById(kStyleSheetResourceType, 9), bytes.size() - 3);
}

// Each name is kept whole, beside its sheet when the resource name cannot
// carry it; the forms tell every name apart without regard to case, a name
// shown as it is keeping its form.
TEST_F(StoreTest, WholeNamesAndTheFormsThatTellThemApart) {
  const std::u16string longName(40, u'x');
  struct Row {
    std::vector<std::u16string> names, forms;
  };
  for (const Row& row : {Row{{u"Τίτλος", u"Σχόλιο", u"Лист 2026", longName}, {u"??????", u"?????? 2", u"???? 2026", longName}},
                         Row{{u"Лист", u"????", u"???? 2", u"Body", u"BODY"}, {u"???? 3", u"????", u"???? 2", u"Body", u"BODY 2"}},
                         Row{{u"Signature", u"Sig@", u"No@"}, {u"Signature", u"Sig@", u"No@"}}}) {  // "@" no pattern
    store->RemoveResources(kStyleSheetResourceType);
    std::vector<int16_t> ids;
    for (const std::u16string& name : row.names) {
      xMorvaStyleSheet sheet;
      ASSERT_TRUE(sheet.SaveNew(document, *store, Uni(name), ids.emplace_back()));
      VStr<255> whole;
      GetStyleSheetWholeName(*store, ids.back(), whole);
      EXPECT_EQ(string_tests::Text(whole), name);
      EXPECT_EQ(store->HasResource(kStyleSheetNameResourceType, ids.back()), name.size() > 31 || name[0] > 0x7F);
      // Found by its whole name; "BODY" is found as "Body", as names go.
      if (name != u"BODY") {
        EXPECT_EQ(sheet.FindOrAdd(document, *store, Uni(name)), ids.back());
      }
    }
    VStringArray forms;
    FillStyleSheetFormNames(*store, ids, forms);
    for (size_t i = 0; i < row.forms.size(); ++i) EXPECT_EQ(string_tests::Text(*forms.GetAt(int32_t(i + 1))), row.forms[i]) << i;
  }
}

// A whole name no longer counts when its record is not whole (cut anywhere,
// another tag, an empty name) or the sheet was renamed by a program that
// knows nothing of it: the resource name stands.
TEST_F(StoreTest, ABadOrStaleWholeNameLeavesTheResourceName) {
  const int16_t id = Add("Sheet");
  ASSERT_TRUE(SetStyleSheetWholeName(*store, id, Uni(u"Σχόλιο 2")));
  uint8_t owned = 0;
  const VResourceRef record = store->GetResource(kStyleSheetNameResourceType, id, &owned);
  const auto* data = static_cast<const uint8_t*>(store->LockResource(record));
  const Bytes bytes(data, data + store->GetResourceSize(record));
  store->UnlockResource(record);
  std::vector<Bytes> bad = {{}, bytes, bytes};
  bad[1][0] = 'X';
  bad[2][8] = 0;
  for (size_t n = 1; n < bytes.size(); ++n) bad.emplace_back(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
  for (const Bytes& b : bad) {
    ASSERT_TRUE(store->ReplaceResource(kStyleSheetNameResourceType, id, b.data(), uint32_t(b.size())));
    VStr<255> whole;
    GetStyleSheetWholeName(*store, id, whole);
    EXPECT_EQ(string_tests::Text(whole), u" 2") << b.size();
  }
  ASSERT_TRUE(SetStyleSheetWholeName(*store, id, Uni(u"Σχόλιο 2")));
  const VStr<255> renamed = Name("Renamed");
  store->SetResourceName(kStyleSheetResourceType, id, &renamed);
  VStr<255> whole;
  GetStyleSheetWholeName(*store, id, whole);
  EXPECT_EQ(Text(whole), "Renamed");
}

TEST_F(StoreTest, AFontMissingInTheOtherDocumentIsAppended) {
  xMorvaStyleSheet sheet;
  const int16_t serif = document.fonts.AddNameAsWritten(Name("Liberation Serif"));
  ASSERT_EQ(serif, 2);
  sheet.properties.SetProperty(kPropFont, serif);
  sheet.states.SetState(kPropFont, 1);
  int16_t id = 0;
  ASSERT_TRUE(sheet.SaveNew(document, *store, Name("Serif"), id));

  FontDocument other;
  other.fonts.AddNameAsWritten(Name("DejaVu Sans"));
  other.fonts.AddNameAsWritten(Name("Symbola"));
  xMorvaStyleSheet loaded;
  ASSERT_TRUE(loaded.Load(other, *store, id));
  ASSERT_EQ(other.fonts.Count(), 4);
  EXPECT_EQ(loaded.properties.GetProperty(kPropFont), 4);
  VStrInHandle name;
  bool known = false;
  ASSERT_TRUE(other.fonts.NameForIndex(4, name, known));
  EXPECT_EQ(Text(name), "Liberation Serif");
}

}  // namespace
