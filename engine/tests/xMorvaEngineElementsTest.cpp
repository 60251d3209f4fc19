// Special elements: stored bytes of every kind of element in both display
// modes, finding and reading them, re-evaluation and undo, and the
// list-number styles.
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaListNumber.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "testsupport/FakeHost.h"

namespace {

// A metafile picture of w x h pixels.
VPictureData* NewPicture(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(RGB(0, 0, 255));
  recorder.PaintRect(1, 1, w - 2, h - 2);
  return new VEmfPictureData(recorder.EndRecording(), true);
}

// The element a picture of w x h makes with the given placement.
Bytes PictureBytes(int32_t w, int32_t h, int32_t shownW, int32_t shownH, int32_t mode, int32_t flag) {
  std::unique_ptr<VPictureData> picture(NewPicture(w, h));
  const VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  EXPECT_TRUE(MakePictureElement(*picture, handle, shownW, shownH, mode, flag));
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// A package with a few strings, a host reference evaluator that answers a
// set value (or none), and names of the one reference it knows.
class FakeEngineHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t offset, int16_t item, VString& out) override {
    out.SetEmpty(false);
    const auto found = strings.find({offset, item});
    if (found != strings.end()) out.AppendUniChars(found->second.data(), int32_t(found->second.size()));
  }
  void ShowMemoryAlert() override { ++alerts; }
  VValue* EvaluateReference(const uint8_t*, uint32_t) override {
    ++evaluations;
    if (picture) return NewPicture(30, 20);
    return value >= 0 ? new VLong(value) : nullptr;
  }
  bool GetReferenceNames(const uint8_t*, uint32_t size, VString& table, VString& field, VString& option,
                         VString& format) override {
    if (size == 0) return false;
    Set(table, names[0]);
    Set(field, names[1]);
    Set(option, names[2]);
    Set(format, names[3]);
    return true;
  }

  std::map<std::pair<int16_t, int16_t>, std::u16string> strings{
      {{kListFieldLabels, 1}, u"<"},    {{kListFieldLabels, 2}, u">"},
      {{kListFieldLabels, 3}, u"Page"}, {{kListFieldLabels, 4}, u"Date"},
      {{kListFieldLabels, 5}, u"Pages"}};
  std::u16string names[4] = {u"Clients", u"Name", u"", u""};
  int32_t value = -1;  // none
  bool picture = false;  // a 30 x 20 picture instead of the value
  int alerts = 0;
  int evaluations = 0;

 private:
  static void Set(VString& out, const std::u16string& text) {
    out.SetEmpty(false);
    out.AppendUniChars(text.data(), int32_t(text.size()));
  }
};

uint32_t Hidden(const Bytes& object, const Bytes& first) { return uint32_t(14 + object.size() + first.size()); }

const Bytes kReference = {'R', 'E', 'F'};

class ElementTest : public EngineTest {
 protected:
  ElementTest() { ForgetListNumberNames(); }
  ~ElementTest() override { ForgetListNumberNames(); }
  FakeEngineHost host;
  VInstalledService<xMorvaEngineHost> installed{&host};
};

TEST_F(ElementTest, FixedElementsAreInsertedAtTheCaretAndUndone) {
  struct Case {
    const char* name;
    std::function<int32_t(xMorvaEngine&)> insert;
    Bytes element;
    int32_t caret;  // after the insertion
  };
  const Case cases[] = {
      {"tab", [](xMorvaEngine& e) { return e.InsertTabWithUndo(); },
       Stream().Element(xMorvaElementCode::Tab, Bytes(14, 0), 14), 2},
      {"soft hyphen", [](xMorvaEngine& e) { return e.InsertSoftHyphenWithUndo(); },
       Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(173), 2), 2},
      {"column break", [](xMorvaEngine& e) { return e.InsertBreakWithUndo(xMorvaElementCode::ColBreak); },
       Stream().Element(xMorvaElementCode::ColBreak, Stream().Unit(13), 0), 2},
      {"page break", [](xMorvaEngine& e) { return e.InsertBreakWithUndo(xMorvaElementCode::PageBreak); },
       Stream().Element(xMorvaElementCode::PageBreak, Stream().Unit(13), 0), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(Stream().Text(u"ab"), 1, 1);
    ASSERT_EQ(0, c.insert(engine));
    EXPECT_EQ(Stream().Text(u"a").Raw(c.element).Text(u"b").bytes(), Bytes_());
    EXPECT_EQ(3, engine.GetLength());
    EXPECT_EQ(c.caret, engine.GetSelStart());
    EXPECT_EQ(engine.GetSelStart(), engine.GetSelEnd());
    // The patched selection is the one a fresh walk finds.
    const uint32_t offset = engine.GetSelStartOffset();
    engine.SetSelection(c.caret, c.caret);
    EXPECT_EQ(offset, engine.GetSelStartOffset());
    undo.Undo();
    EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  }
}

TEST_F(ElementTest, ABreakOfAnotherCodeIsRefused) {
  Load(Stream().Text(u"ab"), 1, 1);
  EXPECT_EQ(kErrorBadStream, engine.InsertBreak(xMorvaElementCode::Tab));
  EXPECT_EQ(kErrorBadStream, engine.InsertBreakWithUndo(xMorvaElementCode::PageNumber));
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  EXPECT_EQ(0, undo.GetEnd());
}

TEST_F(ElementTest, PageNumbersInBothDisplayModes) {
  const Bytes placeholder = Stream().Text(std::u16string(15, u'x'));
  const uint32_t format = 0x40000001;  // style 4, the page count
  const Bytes object = Stream().Long(format);
  for (uint8_t mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Load(Stream().Text(u"ab"), 1, 1);
    engine.SetFieldDisplayMode(mode);
    ASSERT_EQ(0, engine.InsertPageNumberField(format));
    const Bytes source = Source(u"Pages");
    const Bytes payload = ComputedPayload(object, placeholder, source, mode == 1);
    // Mode 0 shows nothing until layout; mode 1 shows the source.
    const uint32_t b = mode == 0 ? uint32_t(payload.size()) : Hidden(object, placeholder);
    EXPECT_EQ(Stream().Text(u"a").Element(xMorvaElementCode::PageNumber, payload, b).Text(u"b").bytes(), Bytes_());
    engine.SetSelection(1, 2);
    uint32_t read = 0xF0000003;
    EXPECT_TRUE(engine.GetPageNumberFormatAtSelection(read));
    EXPECT_EQ(format, read);
    undo.Undo();
    EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  }
  uint32_t none = 0xF0000003;
  engine.SetSelection(0, 1);
  EXPECT_FALSE(engine.GetPageNumberFormatAtSelection(none));
  EXPECT_EQ(0x2u, none) << "style and count bits cleared, the others kept";
}

TEST_F(ElementTest, LayoutWritesTheNumberAsTheVisibleTail) {
  // The document lays page numbers out; its body (empty) has one page.
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installedEngines{&engines};
  xMorvaDocument owner(nullptr);
  const int32_t first = owner.GetParams().GetFirstPageNumber();
  struct Case {
    uint32_t format;
    int32_t page;
    std::u16string shown;
  };
  const Case cases[] = {
      {0x00000000, 12, u"12"},
      {0x00000001, 12, u"1"},
      {0x40000000, 3888, u"MMMDCCCLXXXVIII"},
      {0x30000000, 4000, u""},
      {0x60000000, 9, u"September"},
  };
  host.strings[{kListNumberStyle6, 9}] = u"September";
  auto layOut = [&](int32_t page) {
    uint8_t* s = engine.LockStream();
    owner.FormatPageNumberElement(s, s + engine.GetStreamSize(), page - first);
    engine.UnlockStream();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.page));
    Load(Bytes());
    ASSERT_EQ(0, engine.InsertPageNumberField(c.format, false));
    layOut(c.page);
    const Bytes source = Source(c.format & 1 ? u"Pages" : u"Page");
    const std::u16string field = std::u16string(15 - c.shown.size(), u'x') + c.shown;
    const Bytes object = Stream().Long(c.format);
    const Bytes payload = ComputedPayload(object, Stream().Text(field), source, false);
    EXPECT_EQ(Stream()
                  .Element(xMorvaElementCode::PageNumber, payload,
                           uint32_t(payload.size() - 2 * c.shown.size()))
                  .bytes(),
              Bytes_());
    VStr<255> text;
    engine.WritePlainText(text, false, false);
    EXPECT_EQ(int32_t(c.shown.size()), text.GetLength());
  }
  // Mode 1 shows the source: the element is left as it is.
  Load(Bytes());
  engine.SetFieldDisplayMode(1);
  ASSERT_EQ(0, engine.InsertPageNumberField(0, false));
  const Bytes before = Bytes_();
  layOut(3);
  EXPECT_EQ(Bytes_(), before);
}

TEST_F(ElementTest, HostExpressionsCarryTheirReferenceAndBothTexts) {
  host.value = 42;
  const Bytes result = Stream().Text(u"42");
  for (uint8_t mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Load(Stream().Text(u"ab"), 1, 1);
    engine.SetFieldDisplayMode(mode);
    ASSERT_EQ(0, engine.InsertHostExpressionWithUndo(kReference.data(), 3, nullptr));
    const Bytes source = Source(u"Clients:Name");
    const Bytes payload = ComputedPayload(kReference, result, source, mode == 1);
    EXPECT_EQ(Stream()
                  .Text(u"a")
                  .Element(xMorvaElementCode::ExprQv, payload, Hidden(kReference, mode == 1 ? result : source))
                  .Text(u"b")
                  .bytes(),
              Bytes_());
    engine.SetSelection(1, 2);
    EXPECT_FALSE(engine.IsPictureSelected());  // a text result
    const VMemHandle reference = engine.GetHostExpressionAtSelection();
    ASSERT_NE(0u, reference);
    EXPECT_EQ(3u, gMemoryMgr->GetHandleSize(reference));
    gMemoryMgr->DisposeHandle(reference);
  }
  // A value given is used, and deleted, without asking the host.
  const int before = host.evaluations;
  Load(Bytes());
  ASSERT_EQ(0, engine.InsertHostExpression(kReference.data(), 3, false, new VLong(7)));
  EXPECT_EQ(before, host.evaluations);
}

TEST_F(ElementTest, LabelsKeepOnlyTheNamesPresent) {
  host.value = 1;
  struct Case {
    std::u16string names[4];
    std::u16string label;
  };
  const Case cases[] = {
      {{u"T", u"", u"", u""}, u"T"},
      {{u"T", u"F", u"O", u"M"}, u"T:F:O:M"},
      {{u"T", u"", u"", u"M"}, u"T:M"},
      {{u"T", std::u16string(300, u'n'), u"", u""}, u"T:" + std::u16string(253, u'n')},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 4; ++i) host.names[i] = c.names[i];
    Load(Bytes());
    ASSERT_EQ(0, engine.InsertHostExpression(kReference.data(), 3, false, nullptr));
    EXPECT_EQ(Stream().Element(xMorvaElementCode::ExprQv, ComputedPayload(kReference, Stream().Text(u"1"), Source(c.label), false),
                               Hidden(kReference, Source(c.label))).bytes(),
              Bytes_());
  }
}

TEST_F(ElementTest, AReferenceWithoutValueInsertsNothing) {
  Load(Stream().Text(u"ab"), 1, 2);
  EXPECT_EQ(kErrorNoResultText, engine.InsertHostExpressionWithUndo(kReference.data(), 3, nullptr));
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  EXPECT_EQ(0, undo.GetEnd());
  {
    VInstalledService<xMorvaEngineHost> none(nullptr);
    EXPECT_EQ(kErrorNoResultText, engine.InsertHostExpression(kReference.data(), 3, false, nullptr));
  }
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
}

TEST_F(ElementTest, ComputedElementsFailWholeWhenMemoryRunsOut) {
  host.value = 5;
  Load(Stream().Text(u"ab"), 1, 1);
  ScopedNoGrowth noGrowth;
  EXPECT_EQ(kErrorTextCannotGrow, engine.InsertPageNumberField(0));
  EXPECT_EQ(kErrorTextCannotGrow, engine.InsertHostExpressionWithUndo(kReference.data(), 3, nullptr));
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  EXPECT_EQ(0, undo.GetEnd());
}

TEST_F(ElementTest, UpdateRebuildsTheResultAndUndoPutsItBack) {
  host.value = 42;
  for (uint8_t mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Load(Stream().Text(u"ab"), 1, 1);
    engine.SetFieldDisplayMode(mode);
    ASSERT_EQ(0, engine.InsertHostExpression(kReference.data(), 3, false, nullptr));
    const Bytes inserted = Bytes_();
    engine.SetSelection(0, 3);
    host.value = 12345;
    ASSERT_EQ(0, engine.UpdateComputedFields());
    const Bytes result = Stream().Text(u"12345");
    const Bytes source = Source(u"Clients:Name");
    EXPECT_EQ(Stream()
                  .Text(u"a")
                  .Element(xMorvaElementCode::ExprQv, ComputedPayload(kReference, result, source, mode == 1),
                           Hidden(kReference, mode == 1 ? result : source))
                  .Text(u"b")
                  .bytes(),
              Bytes_());
    EXPECT_EQ(1, engine.GetSelStart());
    EXPECT_EQ(2, engine.GetSelEnd());
    // No value for the current record now: the element shows nothing, not
    // the last record's value.
    host.value = -1;
    EXPECT_EQ(0, engine.UpdateComputedFields());
    EXPECT_EQ(Stream()
                  .Text(u"a")
                  .Element(xMorvaElementCode::ExprQv,
                           ComputedPayload(kReference, Bytes(), source, mode == 1),
                           Hidden(kReference, mode == 1 ? Bytes() : source))
                  .Text(u"b")
                  .bytes(),
              Bytes_());
    undo.Undo();
    undo.Undo();
    EXPECT_EQ(inserted, Bytes_());
    host.value = 42;
  }
}

TEST_F(ElementTest, APictureValueIsShownAsAPictureInTheResult) {
  host.picture = true;
  const Bytes source = Source(u"Clients:Name");
  struct Case {
    const char* name;
    bool placed;
    uint8_t mode;
    Bytes picture;
  };
  const Case cases[] = {
      {"own size", false, 0, PictureBytes(30, 20, -1, -1, -1, -1)},
      {"own size, result first", false, 1, PictureBytes(30, 20, -1, -1, -1, -1)},
      {"placed", true, 0, PictureBytes(30, 20, 60, 40, 2, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(Stream().Text(u"ab"), 1, 1);
    engine.SetFieldDisplayMode(c.mode);
    xMorvaPictureHeader placement;
    placement.shownWidth = 60;
    placement.shownHeight = 40;
    placement.mode = 2;
    placement.flag = 1;
    ASSERT_EQ(0, engine.InsertHostExpressionWithUndo(kReference.data(), 3, nullptr, c.placed ? &placement : nullptr));
    const bool resultFirst = c.mode == 1;
    EXPECT_EQ(Stream()
                  .Text(u"a")
                  .Element(xMorvaElementCode::ExprQv, ComputedPayload(kReference, c.picture, source, resultFirst),
                           Hidden(kReference, resultFirst ? c.picture : source))
                  .Text(u"b")
                  .bytes(),
              Bytes_());
    // The element selected is a picture selection of the result's size;
    // with the text after it, it is not.
    engine.SetSelection(1, 3);
    EXPECT_FALSE(engine.IsPictureSelected());
    engine.SetSelection(1, 2);
    EXPECT_TRUE(engine.IsPictureSelected());
    int32_t w = 0, h = 0, ownW = 0, ownH = 0;
    engine.GetSelectedPictureSize(&w, &h, &ownW, &ownH);
    EXPECT_EQ(c.placed ? 60 : 30, w);
    EXPECT_EQ(c.placed ? 40 : 20, h);
    EXPECT_EQ(30, ownW);
    EXPECT_EQ(20, ownH);
    // Made again, a placed picture keeps its placement; one never placed
    // comes back at its own size.
    ASSERT_EQ(0, engine.UpdateComputedFields());
    engine.GetSelectedPictureSize(&w, &h, nullptr, nullptr);
    EXPECT_EQ(c.placed ? 60 : 30, w);
    EXPECT_EQ(c.placed ? 40 : 20, h);
  }
  // A picture resized without the placed flag is made again at its own size.
  Load(Bytes());
  ASSERT_EQ(0, engine.InsertHostExpression(kReference.data(), 3, false, nullptr));
  engine.SetSelection(0, 1);
  ASSERT_EQ(0, engine.SetSelectedPictureSize(90, 90));
  ASSERT_EQ(0, engine.UpdateComputedFields());
  int32_t w = 0, h = 0;
  engine.GetSelectedPictureSize(&w, &h, nullptr, nullptr);
  EXPECT_EQ(30, w);
  EXPECT_EQ(20, h);
}

TEST_F(ElementTest, ResultTextsTellPicturesFromText) {
  struct Case {
    const char* name;
    VValue* value;
    bool isPicture;
    uint32_t bytes;
  };
  const Case cases[] = {
      {"number", new VLong(12), false, 4},
      {"picture", NewPicture(8, 6), true, uint32_t(PictureBytes(8, 6, -1, -1, -1, -1).size())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool isPicture = !c.isPicture;
    const VMemHandle result = engine.BuildHostExpressionText(kReference.data(), 3, isPicture, c.value);
    ASSERT_NE(0u, result);
    EXPECT_EQ(c.isPicture, isPicture);
    EXPECT_EQ(c.bytes, gMemoryMgr->GetHandleSize(result));
    gMemoryMgr->DisposeHandle(result);
  }
  // Memory running out while the picture is written makes no result.
  bool isPicture = true;
  {
    ScopedNoGrowth noGrowth;
    EXPECT_EQ(0u, engine.BuildHostExpressionText(kReference.data(), 3, isPicture, NewPicture(8, 6)));
  }
  EXPECT_FALSE(isPicture);
}

TEST_F(ElementTest, DatesAndTimesThroughTheHostsStyles) {
  FakeHost fakeHost;
  ResetDisplayRoutines();
  VDisplayRoutines routines{};
  routines.filled = [] {};
  routines.dateText = [](const VDateRec* date, uint8_t* result, uint16_t format) {
    // Styles outside the host's list (here above 20) give no text.
    const std::string text = int16_t(format) > 20 ? "" : std::to_string(date->day) + "/" + std::to_string(format);
    result[0] = uint8_t(text.size());
    std::copy(text.begin(), text.end(), result + 1);
  };
  routines.timeText = [](int32_t seconds, uint8_t* result, uint16_t format) {
    const std::string text = std::to_string(seconds) + "s" + std::to_string(int16_t(format));
    result[0] = uint8_t(text.size());
    std::copy(text.begin(), text.end(), result + 1);
  };
  fakeHost.SetDisplayRoutines(routines);
  const VDateRec date{7, 12, 2026};
  struct Case {
    uint16_t format;
    std::u16string text;
  };
  const Case cases[] = {
      {0x0000, u""}, {0x0500, u"7/5"}, {0x0003, u"60s3"}, {0x0502, u"7/5 60s2"}, {0x00FF, u"60s-1"}, {0x1500, u""},
  };
  for (const Case& c : cases) {
    VStr<255> text;
    xMorvaEngine::FormatDateTime(date, 60, c.format, text);
    EXPECT_EQ(c.text, std::u16string(static_cast<const char16_t*>(text.GetBuffer()), size_t(text.GetLength())));
  }
  Load(Stream().Text(u"ab"), 1, 1);
  ASSERT_EQ(0, engine.InsertDateTimeField(date, 60, 0x0502));
  const Bytes object = Stream().Unit(0x0502);
  const Bytes source = Source(u"Date");
  const Bytes payload = ComputedPayload(object, Stream().Text(u"7/5 60s2"), source, false);
  EXPECT_EQ(Stream().Text(u"a").Element(xMorvaElementCode::DateTime, payload, Hidden(object, source)).Text(u"b").bytes(),
            Bytes_());
  engine.SetSelection(1, 2);
  uint16_t format = 0;
  EXPECT_TRUE(engine.GetDateTimeFormatAtSelection(format));
  EXPECT_EQ(0x0502, format);
  engine.SetSelection(0, 1);
  EXPECT_FALSE(engine.GetDateTimeFormatAtSelection(format));
  EXPECT_EQ(kDefaultDateTimeFormat, format);
  // Re-evaluation takes today's date: the result changes length, the rest
  // stays.
  engine.SetSelection(0, 3);
  ASSERT_EQ(0, engine.UpdateComputedFields());
  const Bytes updated = Bytes_();
  ASSERT_GT(updated.size(), 40u);
  EXPECT_EQ(0, std::memcmp(updated.data() + 2 + 12 + 14, object.data(), 2));
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"a").Element(xMorvaElementCode::DateTime, payload, Hidden(object, source)).Text(u"b").bytes(),
            Bytes_());
  undo.Undo();
  EXPECT_EQ(Stream().Text(u"ab").bytes(), Bytes_());
  ResetDisplayRoutines();
}

TEST_F(ElementTest, FindElementByCodeAndGroup) {
  const Bytes page = ComputedPayload(Stream().Long(0), Stream().Text(std::u16string(15, u'x')), Source(u"Page"), false);
  Load(Stream()
           .Text(u"a")
           .Element(xMorvaElementCode::PageNumber, page, uint32_t(page.size()))
           .Record(kPropBold, 1)
           .Element(xMorvaElementCode::Hyperlink, Bytes(14, 0), 14)
           .Text(u"b")
           .Element(xMorvaElementCode::DateTime, ComputedPayload(Stream().Unit(5), {}, {}, false), 16)
           .Element(xMorvaElementCode::ColBreak, Stream().Unit(13), 0));
  struct Case {
    uint16_t code;
    int32_t whole;
  };
  const Case cases[] = {
      {kFindAnyComputed, 1},   {kFindFieldOrLink, 2},           {kFindDateOrExpression, 4},
      {xMorvaElementCode::ColBreak, 5}, {xMorvaElementCode::Pict, -1}, {xMorvaElementCode::PageNumber, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.whole, engine.FindElement(c.code, true, false)) << c.code;
  engine.SetSelection(2, 4);
  EXPECT_EQ(2, engine.FindElement(kFindAnyComputed, false, true));
  EXPECT_EQ(-1, engine.FindElement(kFindDateOrExpression, false, true));
  EXPECT_EQ(4, engine.FindElement(kFindDateOrExpression, false, false));
  EXPECT_EQ(-1, engine.FindElement(kFindAnyComputed + 1, true, false));
}

TEST_F(ElementTest, ListNumbersInEveryStyle) {
  host.strings[{kListNumberStyle5, 1}] = u"Monday";
  host.strings[{kListNumberStyle6, 3}] = u"A month with a very long name";
  struct Case {
    int32_t n;
    int32_t style;
    std::u16string text;
  };
  const Case cases[] = {
      {1, 0, u"1"},          {3999, 0, u"3999"},        {4000, 0, u"4000"},     {3000, 0, u"3000"},
      {26, 1, u"z"},         {27, 1, u"aa"},            {3999, 1, u"ewu"},      {28, 2, u"AB"},
      {4000, 2, u"EWV"},     {3999, 3, u"mmmcmxcix"},   {4000, 3, u""},         {3000, 3, u"mmm"},
      {14, 3, u"xiv"},       {3888, 4, u"MMMDCCCLXXXVIII"}, {4000, 4, u""},     {3000, 4, u"MMM"},
      {8, 5, u"Monday"},     {1, 5, u"Monday"},         {3, 6, u"A month with a very long name"}, {3999, 6, u"A month with a very long name"},
      {3000, 5, u""},        {4000, 6, u""},            {5, 7, u""},            {5, -1, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + " in style " + std::to_string(c.style));
    // A guard unit on each side of the 15-unit field.
    char16_t field[17];
    for (char16_t& unit : field) unit = u'#';
    const int32_t written = FormatListNumber(c.n, c.style, &field[15]);
    const std::u16string expected = c.text.size() > 15 ? c.text.substr(c.text.size() - 15) : c.text;
    EXPECT_EQ(int32_t(expected.size()), written);
    EXPECT_EQ(expected, std::u16string(&field[16 - written], size_t(written)));
    EXPECT_EQ(u'#', field[0]);
    EXPECT_EQ(u'#', field[16]);
  }
  for (int32_t style = 0; style <= 6; ++style) {
    char16_t field[15];
    EXPECT_EQ(0, FormatListNumber(0, style, &field[14])) << style;
  }
}

}  // namespace
