// The hyperlink object: its 'wHLK' record against hand-built bytes in both
// byte orders, records that are cut short, of another version or whose
// strings claim more than they hold, its two texts, and following a link
// of each kind from an area.
#include "area/view/xMorvaHyperlink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaAreaDialogs.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Builder {
  Bytes bytes;
  bool big = false;
  Builder& Long(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (big ? 24 - 8 * i : 8 * i)));
    return *this;
  }
  Builder& Word(uint16_t v) {
    bytes.push_back(uint8_t(big ? v >> 8 : v));
    bytes.push_back(uint8_t(big ? v : v >> 8));
    return *this;
  }
  Builder& Byte(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Builder& String(const std::u16string& text) {
    Long(uint32_t(text.size()));
    if (text.empty()) return *this;
    Long(2);
    for (char16_t c : text) Word(c);
    return Word(0);
  }
};

// The record as the layout gives it: tag, version, kind, style flag, file
// type, value, title, target.
Bytes Record(bool big, uint8_t kind, const std::u16string& title, const std::u16string& target,
             uint32_t version = FourCC("0100"), uint32_t value = 0, uint32_t type = FourCC("QMV7")) {
  Builder b;
  b.big = big;
  return b.Long(FourCC("wHLK")).Long(version).Byte(kind).Byte(1).Long(type).Long(value).String(title).String(target).bytes;
}

VStr<255> Str(const std::u16string& text) {
  VStr<255> out;
  out.AppendUniChars(text.data(), int32_t(text.size()));
  return out;
}

Bytes Written(xMorvaHyperlink& link) {
  VMemHandle handle = 0;
  {
    VHandleStream stream(handle);
    EXPECT_EQ(0, stream.OpenWrite());
    EXPECT_EQ(0, link.Write(stream));
    stream.CloseWrite(1);
  }
  Bytes written(gMemoryMgr->GetHandleSize(handle));
  std::memcpy(written.data(), gMemoryMgr->LockHandle(handle), written.size());
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return written;
}

int32_t ReadInto(xMorvaHyperlink& link, const Bytes& bytes) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  stream.OpenRead();
  const int32_t status = link.Read(stream);
  stream.CloseRead();
  return status;
}

class LabelHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t offset, int16_t item, VString& out) override {
    static const char16_t* const kItems[] = {u"", u"<", u">", u"", u"", u"", u"Method", u"URL", u"Doc"};
    out.SetEmpty(false);
    if (offset != kListFieldLabels || item < 1 || item > 8) return;
    const std::u16string text = kItems[item];
    out.AppendUniChars(text.data(), int32_t(text.size()));
  }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return nullptr; }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override {
    return false;
  }
};

TEST(Hyperlink, AFreshLinkWritesItsDefaultsInTheWritersOrder) {
  xMorvaHyperlink fresh;
  EXPECT_EQ(Record(false, 255, u"", u""), Written(fresh));
  xMorvaHyperlink link(xMorvaHyperlink::kMethod, true, Str(u"DoIt"), Str(u"See"), 77);
  link.SetDialogValue(FourCC("TEXT"));
  EXPECT_EQ(Record(false, 0, u"See", u"DoIt", FourCC("0100"), 77, FourCC("TEXT")), Written(link));
}

TEST(Hyperlink, ReadsItsRecordInEitherOrder) {
  for (bool big : {false, true}) {
    SCOPED_TRACE(big);
    xMorvaHyperlink read;
    ASSERT_EQ(0, ReadInto(read, Record(big, 2, u"See", u"ch2.qmv", FourCC("0100"), 0x01020304, FourCC("QMT7"))));
    EXPECT_EQ(xMorvaHyperlink::kDocument, read.GetKind());
    EXPECT_TRUE(read.GetStyleFlag());
    EXPECT_EQ(0x01020304u, read.GetValue());
    EXPECT_EQ(FourCC("QMT7"), read.GetFileType());
    EXPECT_EQ(0, read.GetTarget().Compare(Str(u"ch2.qmv"), true));
    EXPECT_EQ(0, read.GetTitle().Compare(Str(u"See"), true));
    // Written again, in the writer's own order.
    EXPECT_EQ(Record(false, 2, u"See", u"ch2.qmv", FourCC("0100"), 0x01020304, FourCC("QMT7")), Written(read));
  }
}

TEST(Hyperlink, ABadOrTruncatedRecordLeavesTheLinkAsItWas) {
  const Bytes whole = Record(false, 1, u"Q", u"http://q");
  auto head = [](bool big) {
    Builder b;
    b.big = big;
    b.Long(kTagHyperlink).Long(kHyperlinkVersion).Byte(1).Byte(1).Long(0).Long(0);
    return b;
  };
  // A title that claims more units than the record holds, in both orders;
  // a target longer than what remains after the title; an unknown
  // character kind.
  Builder longTitle = head(false);
  longTitle.Long(0x7FFFFFFF).Long(2).Word('x');
  Builder longTitleBig = head(true);
  longTitleBig.Long(40).Long(2).Word('x').Word(0);
  Builder longTarget = head(false);
  longTarget.String(u"T").Long(3).Long(2).Word('a').Word('b');
  Builder unknownCharKind = head(false);
  unknownCharKind.String(u"x").Long(1).Long(9).Word('y').Word(0);
  struct Row {
    std::string name;
    Bytes bytes;
    int32_t status;
  };
  std::vector<Row> rows = {
      {"version 0101", Record(false, 1, u"x", u"y", FourCC("0101")), -1},
      {"version 0101, other order", Record(true, 1, u"x", u"y", FourCC("0101")), -1},
      {"other tag", Bytes{'K', 'L', 'H', 'x', 0, 0, 0, 0}, -1},
      {"title longer than the record", longTitle.bytes, -1},
      {"title longer than the record, other order", longTitleBig.bytes, -1},
      {"target longer than what remains", longTarget.bytes, -1},
      {"unknown character kind", unknownCharKind.bytes, -1},
  };
  for (size_t cut = 0; cut < whole.size(); ++cut)
    rows.push_back({"cut at " + std::to_string(cut), Bytes(whole.begin(), whole.begin() + long(cut)), 0});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    xMorvaHyperlink link(xMorvaHyperlink::kMethod, false, Str(u"old"), Str(u"Old"), 5);
    const int32_t status = ReadInto(link, row.bytes);
    if (row.status != 0) {
      EXPECT_EQ(row.status, status);
    } else {
      EXPECT_NE(0, status);
    }
    EXPECT_EQ(xMorvaHyperlink::kMethod, link.GetKind());
    EXPECT_FALSE(link.GetStyleFlag());
    EXPECT_EQ(5u, link.GetValue());
    EXPECT_EQ(0, link.GetTarget().Compare(Str(u"old"), true));
    EXPECT_EQ(0, link.GetTitle().Compare(Str(u"Old"), true));
  }
}

TEST(Hyperlink, TitleAndDescriptionAsElementUnits) {
  LabelHost host;
  VInstalledService<xMorvaEngineHost> installed{&host};
  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  auto unitsOf = [](VMemHandle h) {
    Bytes out(gMemoryMgr->GetHandleSize(h));
    std::memcpy(out.data(), gMemoryMgr->LockHandle(h), out.size());
    gMemoryMgr->UnlockHandle(h);
    gMemoryMgr->DisposeHandle(h);
    return out;
  };
  auto text = [](uint32_t look, const std::u16string& units) {
    Builder b;
    b.Word(0).Word(14).Long(look);
    for (char16_t c : units) b.Word(c);
    return b.Word(0).Word(14).Long(0).bytes;
  };
  for (bool look : {true, false}) {
    xMorvaHyperlink link(xMorvaHyperlink::kURL, look, Str(u"q.org"), Str(u"Q"));
    EXPECT_EQ(text(look ? 1 : 4, u"Q"), unitsOf(link.InsertTitle(engine)));
    EXPECT_EQ(text(3, u"<URL:q.org>"), unitsOf(link.Describe(engine)));
  }
}

// ---- Following a link from an area.

class CancelDialogs : public xMorvaAreaDialogs {
 public:
  int16_t answer = kCanDeleteCancel;
  int32_t asked = 0;
  int16_t RunCanDelete(xMorvaPlugIn&, bool) override {
    ++asked;
    return answer;
  }
  bool RunCanConvert(bool&) override { return false; }
  void RunRepair(bool&) override {}
  int16_t RunTextLoses(xMorvaPlugIn&) override { return kTextLosesCancel; }
};

struct OpenerCalls {
  static inline int32_t count = 0;
  static int32_t Open(xMorvaPlugIn&, const VString&, uint32_t type) {
    ++count;
    return type == FourCC("QMV7") ? 0 : 1032;
  }
};

class HyperlinkFollow : public areatest::AreaTest {
 protected:
  // A link inserted into the area's text, selected, and read back.
  xMorvaEngine& InsertLink(xMorvaPlugIn* area, xMorvaHyperlink& link) {
    auto& engine = *static_cast<xMorvaEngine*>(area->GetDocument()->GetCurrentPart());
    EXPECT_EQ(0, engine.InsertHyperlink(link, false));
    engine.SetSelection(0, 1);
    return engine;
  }
  // The link looks (1 unvisited, 2 visited) that the text's look records
  // carry.
  static std::vector<int32_t> LinkLooks(xMorvaEngine& engine) {
    const uint8_t* stream = engine.LockStream();
    std::vector<int32_t> looks;
    for (uint32_t at = 0; at + 8 <= engine.GetStreamSize(); at += 2) {
      uint16_t unit = 0;
      uint16_t id = 0;
      int32_t look = 0;
      std::memcpy(&unit, stream + at, 2);
      std::memcpy(&id, stream + at + 2, 2);
      std::memcpy(&look, stream + at + 4, 4);
      if (unit == 0 && id == 14 && (look == 1 || look == 2 || look == 4)) looks.push_back(look);
    }
    engine.UnlockStream();
    return looks;
  }
};

TEST_F(HyperlinkFollow, AMethodLinkCallsTheHostRoutineAndAStyledLinkIsVisited) {
  xMorvaPlugIn* area = NewOffscreenArea();
  xMorvaHyperlink link(xMorvaHyperlink::kMethod, true, Str(u"OnLink"), Str(u""), 42);
  xMorvaEngine& engine = InsertLink(area, link);
  xMorvaHyperlink read;
  ASSERT_TRUE(engine.GetHyperlinkAtSelection(read));
  EXPECT_EQ(42u, read.GetValue());
  EXPECT_TRUE(read.Follow(*area));
  // The host is asked for the routine by name, even without a title.
  ASSERT_EQ(1, host.Count(kHostSelFindRoutine));
  EXPECT_EQ(0, engine.GetSelStart());
  EXPECT_EQ(0, engine.GetSelEnd());
}

TEST_F(HyperlinkFollow, AURLGoesToTheHostAndAPlainLinkStaysUnvisited) {
  xMorvaPlugIn* area = NewOffscreenArea();
  std::string sent;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector != -264) return;
    const auto handle = static_cast<uint32_t>(block.handle);
    sent.assign(static_cast<const char*>(Tbx::HLock(handle)), size_t(Tbx::GetHandleSize(handle)));
    Tbx::HUnlock(handle);
  };
  for (bool styled : {true, false}) {
    SCOPED_TRACE(styled);
    xMorvaHyperlink link(xMorvaHyperlink::kURL, styled, Str(u"http://q.org/"), Str(u"Q"));
    xMorvaEngine& engine = InsertLink(area, link);
    EXPECT_EQ(LinkLooks(engine), std::vector<int32_t>{styled ? 1 : 4});
    EXPECT_EQ(styled, link.Follow(*area));
    EXPECT_EQ(sent, "http://q.org/");
    EXPECT_EQ(LinkLooks(engine), std::vector<int32_t>{styled ? 2 : 4});
    engine.SelectAll();
    engine.DeleteSelection();
  }
  EXPECT_EQ(2, host.Count(-264));
}

TEST_F(HyperlinkFollow, ADocumentLinkAsksBeforeAModifiedDocumentIsReplaced) {
  xMorvaPlugIn* area = NewFormArea();
  xMorvaDocument* document = area->GetDocument();
  const std::string path = testing::TempDir() + "linked.qmv";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  VStr<255> existing;
  existing.SetAnsiCText(path.c_str());
  VStr<255> missing;
  missing.SetAnsiCText((path + ".gone").c_str());
  CancelDialogs dialogs;
  VInstalledService<xMorvaAreaDialogs> installed{&dialogs};
  OpenerCalls::count = 0;

  // Without an opener a document link does nothing.
  xMorvaHyperlink link(xMorvaHyperlink::kDocument, false, existing, Str(u"Doc"));
  EXPECT_FALSE(link.Follow(*area));
  EXPECT_EQ(0, dialogs.asked);

  struct Row {
    const char* name;
    bool modified;
    bool exists;
    int16_t answer;
    int32_t code;
    int32_t asked;
    int32_t opened;
  } rows[] = {
      {"missing file", true, false, kCanDeleteDiscard, 1095, 0, 0},
      {"unmodified", false, true, kCanDeleteCancel, 0, 0, 1},
      {"modified, cancelled", true, true, kCanDeleteCancel, -1, 1, 0},
      {"modified, discarded", true, true, kCanDeleteDiscard, 0, 1, 1},
  };
  document->SetAreaSetting(0, 1, nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    dialogs.asked = 0;
    dialogs.answer = row.answer;
    OpenerCalls::count = 0;
    if (row.modified)
      document->SetModified();
    else
      document->SetAreaSetting(3, 0, nullptr);
    EXPECT_EQ(row.code, xMorvaHyperlink::OpenDocumentTarget(*area, row.exists ? existing : missing,
                                                            kHyperlinkDocumentType, &OpenerCalls::Open));
    EXPECT_EQ(row.asked, dialogs.asked);
    EXPECT_EQ(row.opened, OpenerCalls::count);
  }
  // Installed, the opener runs when a link is followed.
  xMorvaHyperlink::SetDocumentOpener(&OpenerCalls::Open);
  OpenerCalls::count = 0;
  dialogs.answer = kCanDeleteDiscard;
  link.Follow(*area);
  xMorvaHyperlink::SetDocumentOpener(nullptr);
  EXPECT_EQ(1, OpenerCalls::count);
  std::remove(path.c_str());
}

class EditingDialog : public xMorvaHyperlinkEditor {
 public:
  bool ok = true;
  int32_t runs = 0;
  bool RunHyperlinkDialog(xMorvaPlugIn&, xMorvaHyperlink& values) override {
    ++runs;
    // The dialog sees the link's own values and changes them.
    EXPECT_EQ(0, values.GetTitle().Compare(Str(u"Old"), true));
    values.SetKind(xMorvaHyperlink::kDocument);
    values.SetTarget(Str(u"/tmp/other.qmv"));
    values.SetDialogValue(FourCC("RTF "));
    return ok;
  }
};

TEST_F(HyperlinkFollow, TheDialogChangesTheLinkOnlyOnOK) {
  xMorvaPlugIn* area = NewOffscreenArea();
  xMorvaHyperlink link(xMorvaHyperlink::kURL, true, Str(u"http://q"), Str(u"Old"));
  // No dialog installed: nothing changes.
  EXPECT_FALSE(link.EditInDialog(*area));
  EditingDialog dialog;
  VInstalledService<xMorvaHyperlinkEditor> installed{&dialog};
  dialog.ok = false;
  EXPECT_FALSE(link.EditInDialog(*area));
  EXPECT_EQ(xMorvaHyperlink::kURL, link.GetKind());
  EXPECT_EQ(0, link.GetTarget().Compare(Str(u"http://q"), true));
  dialog.ok = true;
  EXPECT_TRUE(link.EditInDialog(*area));
  EXPECT_EQ(xMorvaHyperlink::kDocument, link.GetKind());
  EXPECT_EQ(0, link.GetTarget().Compare(Str(u"/tmp/other.qmv"), true));
  EXPECT_EQ(FourCC("RTF "), link.GetFileType());
  EXPECT_EQ(2, dialog.runs);
}

}  // namespace
