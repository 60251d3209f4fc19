// Computed elements over the document's seven parts (display mode,
// evaluation without undo, freezing in one undo step) and the page numbers
// of header lines laid out per page with the tabs before them widened.
#include <cstring>

#include "engine/tests/CompositionFixture.h"
#include "engine/tests/DocumentFixture.h"
#include "engine/xMorvaFontMeasure.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"
#include "engine/xMorvaEngineHost.h"
#include "document/xMorvaLineMeasure.h"
#include "document/xMorvaPagePicturesInterface.h"
#include "framework/core/values/VLong.h"

namespace {

// Answers a set value for every host reference.
class ValueHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t, int16_t, VString& out) override { out.SetEmpty(false); }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return new VLong(value); }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override {
    return true;
  }
  int32_t value = 42;
};

constexpr uint8_t kReference[] = {1, 2, 3};

// Pictures on pages that count what the document asks of them.
class CountingPagePictures : public xMorvaPagePicturesInterface {
 public:
  void Clear() override {}
  int32_t GetCount() const override { return selected ? 1 : 0; }
  bool HasSelection() const override { return selected; }
  VPictureData* CopySelected(VResourceFile&) const override { return nullptr; }
  void DeleteSelected(VResourceFile&, int32_t) override {}
  bool GetSelectedBox(int32_t&, VRect&) const override { return false; }
  bool SetBox(int32_t, const VRect&) override { return false; }
  void RebuildPictures(VResourceFile&) override { ++rebuilds; }
  void FreezeReferences(VResourceFile&) override { ++freezes; }
  bool GetState(VResourceFile&, int32_t, int32_t&, std::vector<uint8_t>&) const override { return false; }
  bool PutState(VResourceFile&, int32_t, const std::vector<uint8_t>*) override { return false; }
  bool ReadPagePictures(VResourceFile&) override { return true; }
  bool WritePagePictures(VResourceFile&) override { return true; }
  void DrawPictures(xMorvaDocument&, VPort&, int32_t, int32_t, int32_t, bool, bool) override {}
  bool selected = false;
  int rebuilds = 0, freezes = 0;
};
class CountingPagePicturesMaker : public xMorvaPagePicturesMaker {
 public:
  xMorvaPagePicturesInterface* NewPagePictures() override { return made = new CountingPagePictures(); }
  CountingPagePictures* made = nullptr;
};

class FieldsTest : public DocumentTest {
 protected:
  xMorvaEngine& Part(int16_t n) { return *static_cast<xMorvaEngine*>(document->GetPart(n)); }
  // Puts "a", a host expression and "b" into the part, unrecorded.
  void PutExpression(int16_t n) {
    document->GetUndo()->Suspend();
    xMorvaEngine& part = Part(n);
    part.Clear();
    part.TypeCharacter('a');
    ASSERT_EQ(0, part.InsertHostExpression(kReference, 3, false, nullptr));
    part.TypeCharacter('b');
    document->GetUndo()->Resume();
  }
  // The units a part shows, computed elements by their visible text.
  std::u16string Shown(int16_t n) {
    xMorvaEngine& part = Part(n);
    std::u16string text;
    const uint8_t* data = part.LockStream();
    for (uint32_t at = 0; data != nullptr && at < part.GetStreamSize();) {
      const StreamItem item = ReadStreamItem(data + at, part.GetStreamSize() - at);
      if (item.kind == StreamItem::kUnit) text.push_back(item.unit);
      at += item.kind == StreamItem::kRecord ? item.size : item.skipSize;
    }
    part.UnlockStream();
    return text;
  }

  // The document's pictures on pages, made at the first ask.
  CountingPagePictures& PagePictures() {
    document->GetPagePictures();
    return *pictureMaker.made;
  }

  ValueHost host;
  VInstalledService<xMorvaEngineHost> installedHost{&host};
  CountingPagePicturesMaker pictureMaker;
  VInstalledService<xMorvaPagePicturesMaker> installedPictures{&pictureMaker};
};

TEST_F(FieldsTest, UpdatingEveryPartRecordsNothingAndResumesTheUndo) {
  PutExpression(kPartBody);
  PutExpression(kPartHeader);
  CountingPagePictures& pictures = PagePictures();
  document->SelectFooterForPage(4);
  host.value = 7;
  document->UpdateDateTimeFields();
  EXPECT_EQ(Shown(kPartBody), u"a7b");
  EXPECT_EQ(Shown(kPartHeader), u"a7b");
  EXPECT_FALSE(document->GetUndo()->CanUndo());
  EXPECT_TRUE(document->GetUndo()->IsRecording());
  EXPECT_EQ(document->CurrentPartNumber(), kPartFooter);
  EXPECT_EQ(document->GetHeaderFooterPage(), 4);
  // The user's method hears of each part, in the order the parts were made.
  const std::vector<std::pair<int16_t, int32_t>> told = {{9, 0}, {9, 5}, {9, 6}, {9, 3},
                                                         {9, 4}, {9, 1}, {9, 2}};
  EXPECT_EQ(area.events, told);
  EXPECT_EQ(pictures.rebuilds, 1);

  // An undo that was suspended stays so.
  document->GetUndo()->Suspend();
  document->UpdateDateTimeFields();
  EXPECT_FALSE(document->GetUndo()->IsRecording());
}

TEST_F(FieldsTest, FreezingWithoutSelectionIsOneUndoStepForAllParts) {
  PutExpression(kPartBody);
  PutExpression(kPartFirstFooter);
  const Bytes body = StreamBytes(Part(kPartBody));
  const Bytes footer = StreamBytes(Part(kPartFirstFooter));
  CountingPagePictures& pictures = PagePictures();
  Part(kPartBody).SetSelection(0, 0);
  document->FreezeComputedElements();
  // Plain text now: no element is left to find.
  EXPECT_EQ(Shown(kPartBody), u"a42b");
  EXPECT_EQ(Part(kPartBody).FindElement(kFindAnyComputed, true, false), -1);
  EXPECT_EQ(Part(kPartFirstFooter).FindElement(kFindAnyComputed, true, false), -1);
  EXPECT_TRUE(document->IsBodyCurrent());

  EXPECT_EQ(pictures.freezes, 1);

  document->GetUndo()->Undo();
  EXPECT_EQ(StreamBytes(Part(kPartBody)), body);
  EXPECT_EQ(StreamBytes(Part(kPartFirstFooter)), footer);
  EXPECT_FALSE(document->GetUndo()->CanUndo());
}

TEST_F(FieldsTest, ASelectedPagePictureFreezesOnlyItsOwnTexts) {
  PutExpression(kPartBody);
  const Bytes body = StreamBytes(Part(kPartBody));
  CountingPagePictures& pictures = PagePictures();
  pictures.selected = true;
  document->FreezeComputedElements();
  EXPECT_EQ(pictures.freezes, 1);
  EXPECT_EQ(StreamBytes(Part(kPartBody)), body);
  EXPECT_FALSE(document->GetUndo()->CanUndo());
}

TEST_F(FieldsTest, FreezingASelectionShowingSourcesFreezesTheResult) {
  PutExpression(kPartBody);
  Part(kPartBody).SetFieldDisplayMode(1);
  Part(kPartBody).RefreshComputedElements(0, Part(kPartBody).GetStreamSize());
  Part(kPartBody).SetSelection(0, 3);
  document->FreezeComputedElements();
  EXPECT_EQ(Shown(kPartBody), u"a42b");
  EXPECT_EQ(Part(kPartBody).GetFieldDisplayMode(), 1);
}

TEST_F(FieldsTest, DisplayModeReachesEveryPartAndTheirElements) {
  PutExpression(kPartHeader);
  const std::u16string result = Shown(kPartHeader);
  document->ApplyToAllParts(1);
  for (int16_t n = 0; n < kPartCount; ++n) EXPECT_EQ(Part(n).GetFieldDisplayMode(), 1) << n;
  EXPECT_NE(Shown(kPartHeader), result);
  EXPECT_TRUE(document->IsBodyCurrent());
  document->ApplyToAllParts(0);
  EXPECT_EQ(Shown(kPartHeader), result);
}

// ---- Page numbers of header lines

// Every unit 10 pixels wide; remembers the records applied.
class TenPixels : public xMorvaLineMeasure {
 public:
  void ResetRunState() override { ++resets; }
  void ApplyProperty(uint16_t id, int32_t value) override { applied.emplace_back(id, value); }
  double MeasureCharWidth(char16_t) override { return 10; }
  int resets = 0;
  std::vector<std::pair<uint16_t, int32_t>> applied;
};

Bytes TabElement(uint16_t kind, float width, uint16_t leader = 0) {
  Stream cache;
  uint32_t bits = 0;
  std::memcpy(&bits, &width, 4);
  cache.Long(bits).Long(bits).Unit(kind).Unit(leader).Unit(0);
  return Stream().Element(xMorvaElementCode::Tab, cache, 14);
}

// A page number as the engine inserts it: format word, a 2-unit source,
// 15 units of result, showing nothing yet (or its source when `shownSource`).
Bytes PageNumberElement(uint32_t format, bool shownSource = false) {
  Stream payload;
  payload.Long(4).Long(30).Long(4).Raw({uint8_t(shownSource ? 1 : 0), 0}).Long(format);
  Bytes source = Stream().Text(u"#p");
  Bytes result = Stream().Text(std::u16string(15, u'x'));
  payload.Raw(shownSource ? result : source).Raw(shownSource ? source : result);
  const uint32_t a = uint32_t(payload.bytes().size());
  return Stream().Element(xMorvaElementCode::PageNumber, payload, shownSource ? a - 4 : a);
}

float FirstWidth(const Bytes& line, size_t tabAt) {
  float width = 0;
  std::memcpy(&width, line.data() + tabAt + 12, 4);
  return width;
}

// The units a page number shows.
std::u16string Visible(const Bytes& line, size_t at) {
  const uint32_t a = StreamLong(line.data() + at + 4);
  const uint32_t b = StreamLong(line.data() + at + 8);
  std::u16string text;
  for (uint32_t i = b; i + 2 <= a; i += 2) text.push_back(StreamUnit(line.data() + at + 12 + i));
  return text;
}

TEST_F(FieldsTest, TabsBeforeAPageNumberWidenByWhatTheNumberLost) {
  const struct {
    const char* what;
    uint16_t kind;
    uint32_t format;
    int32_t page;
    float widened;
    const char16_t* shown;
  } cases[] = {
      {"right tab", 3, 0, 0, 130, u"1"},           // "0000" 40 pixels, "1" 10
      {"decimal tab", 4, 0, 8, 130, u"9"},
      {"centre tab", 2, 0, 0, 115, u"1"},          // half of the 30 lost
      {"left tab", 1, 0, 0, 100, u"1"},            // the next tab takes it
      {"roman", 3, 3u << 28, 3, 230, u"iv"},       // 15 units of template, 2 shown
      {"page count", 3, 1, 5, 130, u"1"},          // one page
      {"two digits", 3, 0, 98, 120, u"99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes line = Stream().Text(u"P").Raw(TabElement(c.kind, 100)).Raw(PageNumberElement(c.format));
    const size_t tabAt = 2;
    const size_t numberAt = tabAt + 26;
    TenPixels font;
    const float lost = document->AdjustTabsForPageNumbers(font, c.page, line.data(), line.data() + line.size());
    EXPECT_EQ(FirstWidth(line, tabAt), c.widened);
    EXPECT_EQ(Visible(line, numberAt), c.shown);
    EXPECT_EQ(lost, 10.0f * (c.format == 3u << 28 ? 15 - 2 : 4 - std::u16string(c.shown).size()));
  }
}

TEST_F(FieldsTest, ALeftTabHandsTheLostWidthToTheNextTab) {
  Bytes line = Stream()
                   .Raw(TabElement(1, 50))
                   .Raw(PageNumberElement(0))
                   .Record(kPropBold, 1)
                   .Raw(TabElement(1, 60));
  const size_t second = line.size() - 26;
  TenPixels font;
  EXPECT_EQ(document->AdjustTabsForPageNumbers(font, 0, line.data(), line.data() + line.size()), 30);
  EXPECT_EQ(FirstWidth(line, 0), 50);
  EXPECT_EQ(FirstWidth(line, second), 90);
  EXPECT_EQ(font.resets, 1);
  EXPECT_EQ(font.applied, (std::vector<std::pair<uint16_t, int32_t>>{{kPropBold, 1}}));
}

TEST_F(FieldsTest, PageNumbersShowingTheirSourceCutOrDamagedAreNotTouched) {
  Bytes source = Stream().Raw(TabElement(3, 100)).Raw(PageNumberElement(0, true));
  const Bytes unchanged = source;
  TenPixels measure;
  EXPECT_EQ(document->AdjustTabsForPageNumbers(measure, 0, source.data(), source.data() + source.size()), 0);
  EXPECT_EQ(source, unchanged);
  EXPECT_EQ(xMorvaDocument::MeasureElementText(measure, source.data() + 26, source.data() + source.size()), 0);

  Bytes whole = Stream().Raw(TabElement(3, 100)).Raw(PageNumberElement(0));
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    Bytes line(whole.begin(), whole.begin() + cut);
    const Bytes before = line;
    TenPixels font;
    document->AdjustTabsForPageNumbers(font, 0, line.data(), line.data() + line.size());
    EXPECT_EQ(line, before) << cut;
  }
  // A result of another length than 15 units is not a laid-out number.
  Bytes damaged = Stream().Raw(PageNumberElement(0));
  damaged[12 + 4] = 28;
  const Bytes before = damaged;
  TenPixels font;
  document->AdjustTabsForPageNumbers(font, 0, damaged.data(), damaged.data() + damaged.size());
  EXPECT_EQ(damaged, before);
}

}  // namespace

namespace {

// The same with the engine's font context over "Qv Test", whose digits are
// half an em (8 pixels at 12 points) and capitals three quarters.
class QvPageNumbers : public Composition {
 protected:
  void SetUp() override {
    static const bool added = GdiFonts::AddPrivateFontFile(QV_TEST_FONT_FILE);
    ASSERT_TRUE(added);
    document.UseFace("Qv Test");
    xMorvaProperties state;
    state.SetDefaults();
    line.state.Assign(state);
    font.BeginLineAt(&line, 0, 0, 0, true);
  }
  xMorvaLineRecord line;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  xMorvaDocument owner{nullptr};
};

TEST_F(QvPageNumbers, TheLineWidthShrinksByWhatTheNumberLost) {
  const struct {
    uint32_t format;
    int32_t page;
    float lost;
  } cases[] = {
      {0, 0, 24},              // "0000" 32 pixels, "1" 8
      {2u << 28, 1, 48 - 12},  // "MMMM" capitals, "B"
  };
  for (const auto& c : cases) {
    Bytes bytes = Stream().Raw(TabElement(3, 100)).Raw(PageNumberElement(c.format));
    xMorvaFontMeasure measure(font);
    EXPECT_EQ(owner.AdjustTabsForPageNumbers(measure, c.page, bytes.data(), bytes.data() + bytes.size()),
              c.lost)
        << c.format << " " << c.page;
    EXPECT_EQ(FirstWidth(bytes, 0), 100 + c.lost);
  }
}

}  // namespace
