// The document's clipboard over real engines and the platform's scrap: the
// flavours a copy puts and their order, the flavour a paste takes, cut,
// rulers, a selected picture, and bad clipboard contents.
#include <algorithm>

#include "engine/tests/DocumentFixture.h"
#include "engine/tests/TransferTestSupport.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "document/xMorvaInterchangeServices.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/environment/VClipboard.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

constexpr uint32_t kText = FourCC("TEXT");
constexpr uint32_t kStyles = FourCC("styl");
constexpr uint32_t kStream = FourCC("xMo7");
constexpr uint32_t kRuler = FourCC("xRul");
constexpr uint32_t kRtf = FourCC("RTF ");
constexpr uint32_t kPict = FourCC("PICT");

// A version 1 PICT of 20 by 10 pixels that ends at once, its header in
// this machine's order as picture values hold it; on the clipboard
// big-endian.
const Bytes kPictBytes = {13, 0, 0, 0, 0, 0, 10, 0, 20, 0, 0x11, 0x01, 0xFF};
const Bytes kPictOnClipboard = {0, 13, 0, 0, 0, 0, 0, 10, 0, 20, 0x11, 0x01, 0xFF};

const VClipboardPictureOps kPictOps = {
    [](const VPictureData& picture) { return picture.GetPictureKind(); },
    [](const VPictureData& picture) { return static_cast<const VPictPictureData&>(picture).StoredBytes(); },
    [](const void* bytes, uint32_t size) -> VPictureData* {
      return static_cast<VPictureData*>(NewPictValueFromMacPicture(static_cast<const uint8_t*>(bytes), size));
    },
    [](const VPictureData&) -> VPictureData* { return nullptr; },
    [](VPictureData* picture) { delete picture; },
};

// Writes a fixed text for 'TEXT' and, when asked, a 'styl' and RTF; reads
// nothing but counts what it was asked to read.
class FakeFilters : public xMorvaInterchangeServices {
 public:
  bool ExportStyledText(xMorvaDocument&, VStream& text, VStream& styles, bool) override {
    text.PutData("T", 1);
    if (styles_) styles.PutData("S", 1);
    return true;
  }
  bool ExportRtf(xMorvaDocument&, VStream& stream, bool) override {
    stream.PutData("{\\rtf1}", 7);
    return true;
  }
  bool ImportStyledText(xMorvaDocument&, VStream&, VStream&, bool) override {
    ++styledReads;
    return true;
  }
  bool ImportRtf(xMorvaDocument&, VStream&, bool) override {
    ++rtfReads;
    return true;
  }
  bool WritesStyles() const override { return styles_; }
  bool ReadsStyles() const override { return styles_; }
  bool WritesRtf() const override { return rtf_; }
  bool ReadsRtf() const override { return rtf_; }

  bool styles_ = false;
  bool rtf_ = false;
  int styledReads = 0;
  int rtfReads = 0;
};

// Where the scrap keeps a type's data (put order), or -1.
int32_t ScrapOffset(uint32_t type) {
  int32_t offset = -1;
  return Tbx::GetScrap(0, type, &offset) >= 0 ? offset : -1;
}

void PutScrap(uint32_t type, const Bytes& bytes) { Tbx::PutScrap(int32_t(bytes.size()), type, bytes.data()); }

}  // namespace

class ClipboardTest : public TransferTest {
 protected:
  ClipboardTest() {
    Tbx::ZeroScrap();
    gClipboard = &clipboard;
  }
  ~ClipboardTest() override {
    gClipboard = nullptr;
    Tbx::ZeroScrap();
  }
  // A picture element of the test PICT.
  Bytes PictureElement() {
    VPictPictureData picture(kPictBytes.data(), uint32_t(kPictBytes.size()));
    const VMemHandle element = transfer.MakePictureElement(picture);
    EXPECT_NE(0u, element);
    Bytes bytes = HandleBytes(element);
    gMemoryMgr->DisposeHandle(element);
    return bytes;
  }

  VClipboard clipboard;
  xMorvaTextTransferEngine transfer;
  VInstalledService<xMorvaTextTransferServices> installedTransfer{&transfer};
  FakeFilters filters;
  VInstalledService<xMorvaInterchangeServices> installedFilters{&filters};
  VInstalledService<const VClipboardPictureOps> installedPictOps{&kPictOps};
  VInstalledService<const VPictureMaker> installedMaker{&kPictureValueMaker};
};

TEST_F(ClipboardTest, AnAreasDocumentRegistersItsFlavoursInOrder) {
  const int32_t before = clipboard.CountFlavors();
  FakeArea area;
  {
    xMorvaDocument shown(&area);
    ASSERT_EQ(before + 4, clipboard.CountFlavors());
    const uint32_t expected[] = {kStream, kRuler, kRtf, FourCC("EMF ")};
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(expected[i], clipboard.GetFlavor(before + 1 + i)->type);
  }
  EXPECT_EQ(before, clipboard.CountFlavors());
}

TEST_F(ClipboardTest, ASelectionKeepsTextLooksSheetsFontsAndPicturesInAnotherDocument) {
  AddSheet(*source, 4, "Caption", {1, 2, 3});
  VStrInHandle courier;
  courier.SetAnsiCText("Courier New");
  const int16_t font = source->FontIndexForName(courier);
  const Bytes picture = PictureElement();
  // A run-time word left in the source's element goes in the copy.
  Bytes drawn = picture;
  drawn[kElementHeadSize + 20] = 0x5A;
  Fill(*source,
       Stream().Text(u"a").Record(kPropBold, 1).Record(kPropFont, font).Record(kPropStyleSheet, 4).Text(u"bc")
           .Raw(drawn).Text(u"\rd"),
       1, 5);
  source->DoCommand(4);
  // The document's flavours first, then the filters' text; no 'styl' and no
  // RTF without filters for them.
  EXPECT_LE(0, ScrapOffset(kStream));
  EXPECT_LT(ScrapOffset(kStream), ScrapOffset(kRuler));
  EXPECT_LT(ScrapOffset(kRuler), ScrapOffset(kText));
  EXPECT_EQ(-1, ScrapOffset(kStyles));
  EXPECT_EQ(-1, ScrapOffset(kRtf));
  EXPECT_EQ(3, Tbx::CountScrapTypes());

  Fill(*target, Stream().Text(u"xy"), 1, 1);
  target->DoCommand(5);
  EXPECT_EQ(u"xbc\ry", TextOf(*target));
  xMorvaEngine& body = Body(*target);
  EXPECT_EQ(5, body.GetSelStart());  // the caret after the pasted text
  EXPECT_EQ(5, body.GetSelEnd());
  EXPECT_EQ(1, PropertyAt(*target, kPropBold, 1));
  EXPECT_EQ(0, PropertyAt(*target, kPropBold, 0));
  EXPECT_EQ(2, PropertyAt(*target, kPropFont, 2));
  const int16_t sheet = SheetIdNamed(*target, "Caption");
  EXPECT_NE(-1, sheet);
  EXPECT_EQ(sheet, PropertyAt(*target, kPropStyleSheet, 2));
  // The picture element arrives with the same bytes.
  const Bytes after = StreamBytes(body);
  EXPECT_NE(after.end(), std::search(after.begin(), after.end(), picture.begin(), picture.end()));
  EXPECT_EQ(0, PropertyAt(*target, kPropBold, 5));
}

TEST_F(ClipboardTest, FiltersThatWriteStylesAndRtfAddThemLast) {
  filters.styles_ = filters.rtf_ = true;
  Fill(*source, Stream().Text(u"abc"), 0, 2);
  source->CopySelection();
  EXPECT_LT(ScrapOffset(kRuler), ScrapOffset(kText));
  EXPECT_LT(ScrapOffset(kText), ScrapOffset(kStyles));
  EXPECT_LT(ScrapOffset(kStyles), ScrapOffset(kRtf));
}

TEST_F(ClipboardTest, NothingSelectedLeavesTheClipboardAlone) {
  PutScrap(kText, {'k', 'e', 'e', 'p'});
  const uint32_t changes = Tbx::GetScrapChangeCount();
  Fill(*source, Stream().Text(u"abc"), 1, 1);
  source->DoCommand(4);
  source->CopySelection();
  EXPECT_EQ(changes, Tbx::GetScrapChangeCount());
  EXPECT_EQ(4, Tbx::GetScrap(0, kText, nullptr));
}

TEST_F(ClipboardTest, ASelectedPictureGoesAloneAsACopy) {
  const Bytes picture = PictureElement();
  Fill(*source, Stream().Text(u"a").Raw(picture).Text(u"b"), 1, 2);
  const Bytes before = StreamBytes(Body(*source));
  // Twice: the first copy must not have taken the element's picture away.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    Tbx::ZeroScrap();
    source->CopySelection();
    EXPECT_EQ(1, Tbx::CountScrapTypes());
    EXPECT_EQ(int32_t(kPictBytes.size()), Tbx::GetScrap(0, kPict, nullptr));
    EXPECT_EQ(before, StreamBytes(Body(*source)));
  }
  std::unique_ptr<VPictureData> copy(transfer.CopySelectedPicture(Body(*source)));
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(20, copy->GetWidth());
  EXPECT_EQ(10, copy->GetHeight());
  // Not a picture selection: text with it, or text alone.
  Body(*source).SetSelection(0, 2);
  EXPECT_EQ(nullptr, transfer.CopySelectedPicture(Body(*source)));
}

TEST_F(ClipboardTest, PasteTakesTheFirstFlavourItReads) {
  Fill(*source, Stream().Record(kPropLeftIndent, 24).Text(u"r"), 0, 0);
  const VMemHandle ruler = Body(*source).CopyStyle();
  const Bytes rulerBytes = HandleBytes(ruler);
  gMemoryMgr->DisposeHandle(ruler);
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, Bytes>> scrap;
    bool readsRtf;
    std::u16string text;
    int32_t indent;
    int rtfReads;
  };
  const Case cases[] = {
      {"ruler before text", {{kText, {'t'}}, {kRuler, rulerBytes}}, false, u"xy", 24, 0},
      {"RTF before text", {{kText, {'t'}}, {kRtf, {'{'}}}, true, u"xy", 0, 1},
      {"text when RTF is not read", {{kText, {'t', 'u'}}, {kRtf, {'{'}}}, false, u"xtuy", 0, 0},
      {"text up to its zero byte", {{kText, {'a', 'b', 0, 'c'}}}, false, u"xaby", 0, 0},
      {"text starting with zero", {{kText, {0, 'c'}}}, false, u"xy", 0, 0},
      {"'styl' without 'TEXT'", {{kStyles, {1, 2}}}, false, u"xy", 0, 0},
      {"text with its styles unread", {{kText, {'q'}}, {kStyles, {1, 2}}}, false, u"xqy", 0, 0},
      {"nothing", {}, false, u"xy", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tbx::ZeroScrap();
    for (const auto& [type, bytes] : c.scrap) PutScrap(type, bytes);
    filters.rtf_ = c.readsRtf;
    filters.rtfReads = 0;
    Fill(*target, Stream().Text(u"xy"), 1, 1);
    target->PasteClipboard();
    EXPECT_EQ(c.text, TextOf(*target));
    EXPECT_EQ(c.indent, PropertyAt(*target, kPropLeftIndent, 0));
    EXPECT_EQ(c.rtfReads, filters.rtfReads);
  }
  // A tab in plain text becomes a tab element.
  Tbx::ZeroScrap();
  PutScrap(kText, {'a', 9, 'b'});
  Fill(*target, Stream().Text(u"xy"), 1, 1);
  target->PasteClipboard();
  // Composition caches the tab's layout in its 14-byte payload (after "xa"
  // and the element's 12-byte head); the pasted bytes are compared without.
  Bytes pasted = StreamBytes(Body(*target));
  ASSERT_GE(pasted.size(), 30u);
  std::fill(pasted.begin() + 16, pasted.begin() + 30, 0);
  EXPECT_EQ(Bytes(Stream().Text(u"xa").Element(16000, Bytes(14, 0), 14).Text(u"by")), pasted);
}

TEST_F(ClipboardTest, APastedRulerGivesTheParagraphTabsAndIndents) {
  Fill(*source, Stream().Record(kPropLeftIndent, 36).Record(kPropFirstLineIndent, 12).Tab(72, 4).Text(u"r"), 0, 0);
  source->DoCommand(701);
  EXPECT_EQ(1, Tbx::CountScrapTypes());
  Fill(*target, Stream().Text(u"one\rtwo"), 5, 5);
  target->DoCommand(702);
  xMorvaEngine& body = Body(*target);
  body.SetSelection(5, 5);
  EXPECT_EQ(36, body.GetPropertyValue(kPropLeftIndent));
  EXPECT_EQ(12, body.GetPropertyValue(kPropFirstLineIndent));
  ASSERT_EQ(1, body.GetTabCount());
  EXPECT_EQ(72, TabStopPosition(body.GetCurrentTabs().StopAt(0)));
  body.SetSelection(1, 1);
  EXPECT_EQ(0, body.GetPropertyValue(kPropLeftIndent));
  EXPECT_EQ(0, body.GetTabCount());
}

TEST_F(ClipboardTest, CutCopiesThenDeletes) {
  Fill(*source, Stream().Text(u"abcd"), 1, 3);
  source->DoCommand(3);
  EXPECT_EQ(u"ad", TextOf(*source));
  Fill(*target, Stream().Text(u"z"), 0, 0);
  target->DoCommand(5);
  EXPECT_EQ(u"bcz", TextOf(*target));
}

TEST_F(ClipboardTest, BadStreamsFromTheClipboardChangeNothing) {
  Fill(*target, Stream().Text(u"xyz"), 1, 2);
  const Bytes before = StreamBytes(Body(*target));
  const Bytes junk = {'x', 'M', 'o', '7', 1, 2, 3};
  EXPECT_EQ(kErrorBadStream, target->PasteStreamFromMemory(junk.data(), uint32_t(junk.size()), true));
  EXPECT_EQ(kErrorBadStream, target->PasteStreamFromMemory(nullptr, 0, true));
  EXPECT_EQ(before, StreamBytes(Body(*target)));
  PutScrap(kStream, junk);
  PutScrap(kText, {'t'});
  target->PasteClipboard();
  EXPECT_EQ(before, StreamBytes(Body(*target)));
}

TEST_F(ClipboardTest, APastedPictureGoesWhereTheAreaSays) {
  // An area answering the paste picture dialog.
  FakeArea area;
  xMorvaDocument shown(&area);
  struct Case {
    const char* name;
    int16_t placement;
    int32_t length;  // of the text after the paste
    size_t alerts;
  };
  const Case cases[] = {
      {"in the text", 1, 3, 0},
      {"cancelled", -1, 2, 0},
      {"on a page that takes no picture", 0, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tbx::ZeroScrap();
    PutScrap(kPict, kPictOnClipboard);
    area.placement = c.placement;
    areaServices.alerts.clear();
    Fill(shown, Stream().Text(u"xy"), 1, 1);
    shown.PasteClipboard();
    EXPECT_EQ(c.length, Body(shown).GetLength());
    EXPECT_EQ(c.alerts, areaServices.alerts.size());
  }
  // The picture in the text reads back whole.
  Tbx::ZeroScrap();
  PutScrap(kPict, kPictOnClipboard);
  area.placement = 1;
  Fill(shown, Stream().Text(u"xy"), 1, 1);
  shown.PasteClipboard();
  Body(shown).SetSelection(1, 2);
  std::unique_ptr<VPictureData> picture(transfer.CopySelectedPicture(Body(shown)));
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(20, picture->GetWidth());
  EXPECT_EQ(10, picture->GetHeight());
}
