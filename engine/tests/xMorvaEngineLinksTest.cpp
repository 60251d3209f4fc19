// HTML expressions and the field display mode: stored bytes in both modes,
// reading the expression object in its tagged and bare forms and either
// byte order, the reordering of every computed element's texts, and the
// visited link look.
#include <functional>
#include <string>

#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaEngineLink.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"

namespace {

class LabelHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t offset, int16_t item, VString& out) override {
    static const char16_t* const kItems[] = {u"", u"<", u">", u"Page", u"Date", u"Pages",
                                             u"", u"", u"", u"Html", u"Html2"};
    out.SetEmpty(false);
    if (offset == kListFieldLabels && item >= 1 && item <= 10) {
      const std::u16string text = kItems[item];
      out.AppendUniChars(text.data(), int32_t(text.size()));
    }
  }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return nullptr; }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override {
    return false;
  }
};

VStr<255> Str(const std::u16string& text) {
  VStr<255> out;
  out.AppendUniChars(text.data(), int32_t(text.size()));
  return out;
}

// The element with the texts in the mode's order and the second visible.
Bytes Element(uint16_t code, const Bytes& object, const Bytes& result, const Bytes& source, bool resultFirst) {
  const Bytes payload = ComputedPayload(object, result, source, resultFirst);
  return Stream().Element(code, payload, uint32_t(14 + object.size() + (resultFirst ? result : source).size()));
}

// A string's stream form, little-endian: length, UTF-16 kind, the units and
// their terminating 0.
Bytes StringForm(const std::u16string& text) {
  return Stream().Long(uint32_t(text.size())).Long(2).Text(text).Unit(0);
}

Bytes ExpressionObject(const std::u16string& text) {
  return Stream().Long(FourCC("wEXP")).Long(FourCC("0100")).Raw(StringForm(text));
}

// The same bytes with every field of the given widths byte-swapped.
Bytes Swapped(const Bytes& bytes, const std::vector<int>& widths) {
  Bytes out;
  size_t at = 0;
  for (int width : widths) {
    for (int i = width - 1; i >= 0; --i) out.push_back(bytes[at + size_t(i)]);
    at += size_t(width);
  }
  return out;
}

// A link whose record is a fixed run of bytes and whose texts are the
// engine's own: the title in the link look, the description as a source.
class FakeLink : public xMorvaEngineLink {
 public:
  int32_t Write(VStream& stream) override { return stream.PutData(record.data(), uint32_t(record.size())); }
  int32_t Read(VStream& stream) override {
    Bytes in(stream.GetSize());
    uint32_t n = uint32_t(in.size());
    if (n != 0 && stream.ReadData(in.data(), n) != 0) return 1;
    if (in.empty() || in[0] != 'L') return 1074;
    read = in;
    return 0;
  }
  VMemHandle InsertTitle(xMorvaEngine& engine) override {
    uint32_t bytes = 0;
    return engine.StringToElementText(Str(u"Go"), bytes, 1, false);
  }
  VMemHandle Describe(xMorvaEngine& engine) override {
    uint32_t bytes = 0;
    return engine.StringToElementText(Str(u"URL:q"), bytes, 3, true);
  }
  Bytes record = {'L', 'N', 'K'};
  Bytes read;
};

class LinksTest : public EngineTest {
 protected:
  LabelHost host;
  VInstalledService<xMorvaEngineHost> installed{&host};
};

TEST_F(LinksTest, HTMLExpressionsInBothDisplayModes) {
  const VStr<255> expression = Str(u"a&b");
  const Bytes object = ExpressionObject(u"a&b");
  for (uint16_t code : {xMorvaElementCode::HTMLExpression, xMorvaElementCode::HTMLExpression2}) {
    for (uint8_t mode : {0, 1}) {
      SCOPED_TRACE(testing::Message() << code << " mode " << int(mode));
      Load(Stream().Text(u"xy"), 1, 1);
      engine.SetFieldDisplayMode(mode);
      ASSERT_EQ(0, engine.InsertHTMLExpression(code, expression, true));
      const Bytes source = Source(code == xMorvaElementCode::HTMLExpression ? u"Html:a&b" : u"Html2:a&b");
      const Bytes payload = ComputedPayload(object, {}, source, mode == 1);
      // Mode 0 puts the source first and shows the empty result: nothing.
      const uint32_t b = mode == 0 ? uint32_t(payload.size()) : uint32_t(14 + object.size());
      EXPECT_EQ(Stream().Text(u"x").Element(code, payload, b).Text(u"y").bytes(), Bytes_());
      engine.SetSelection(1, 2);
      VStr<255> read;
      EXPECT_TRUE(engine.GetHTMLExpressionAtSelection(code, read));
      EXPECT_EQ(0, read.Compare(expression, true));
      const uint16_t other = code == xMorvaElementCode::HTMLExpression ? xMorvaElementCode::HTMLExpression2
                                                                        : xMorvaElementCode::HTMLExpression;
      EXPECT_FALSE(engine.GetHTMLExpressionAtSelection(other, read));
      undo.Undo();
      EXPECT_EQ(Stream().Text(u"xy").bytes(), Bytes_());
    }
  }
  EXPECT_EQ(kErrorBadStream, engine.InsertHTMLExpression(xMorvaElementCode::Hyperlink, expression, false));
  ScopedNoGrowth noGrowth;
  EXPECT_EQ(kErrorTextCannotGrow, engine.InsertHTMLExpression(xMorvaElementCode::HTMLExpression, expression, false));
  EXPECT_EQ(Stream().Text(u"xy").bytes(), Bytes_());
}

TEST_F(LinksTest, HyperlinksInBothDisplayModesAndFrozen) {
  FakeLink link;
  const Bytes title = Stream().Record(kPropLinkLook, 1).Text(u"Go").Record(kPropLinkLook, 0);
  for (uint8_t mode : {0, 1}) {
    SCOPED_TRACE(int(mode));
    Load(Stream().Text(u"xy"), 1, 1);
    engine.SetFieldDisplayMode(mode);
    ASSERT_EQ(0, engine.InsertHyperlinkWithUndo(link));
    const Bytes element = Element(xMorvaElementCode::Hyperlink, link.record, title, Source(u"URL:q"), mode == 1);
    EXPECT_EQ(Stream().Text(u"x").Raw(element).Text(u"y").bytes(), Bytes_());
    engine.SetSelection(1, 2);
    FakeLink read;
    EXPECT_TRUE(engine.GetHyperlinkAtSelection(read));
    EXPECT_EQ(link.record, read.read);
    // Frozen, the visible text stays as plain characters.
    ASSERT_EQ(0, engine.FreezeComputedElements());
    EXPECT_EQ(Stream().Text(mode == 0 ? u"xGoy" : u"x<URL:q>y").bytes(), Bytes_());
    undo.Undo();
    undo.Undo();
    EXPECT_EQ(Stream().Text(u"xy").bytes(), Bytes_());
  }
  // A record the link does not take is no link.
  link.record = {'X'};
  Load(Stream().Text(u"xy"), 1, 1);
  ASSERT_EQ(0, engine.InsertHyperlink(link, false));
  engine.SetSelection(1, 2);
  FakeLink read;
  EXPECT_FALSE(engine.GetHyperlinkAtSelection(read));
  VStr<255> expression;
  EXPECT_FALSE(engine.GetHTMLExpressionAtSelection(xMorvaElementCode::HTMLExpression, expression));
}

// A link's text taken from the selection: its characters in one line with
// their properties, brought back at its end to the look it began in; its
// soft hyphens as the text holds them, hidden, whether or not the line
// broke at one, and its title with their unit.
TEST_F(LinksTest, TheSelectionAsALinksText) {
  const Bytes tab = Stream().Element(xMorvaElementCode::Tab, Bytes(14, 0), 14);
  auto softHyphen = [](uint32_t b) { return Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(173), b).bytes(); };
  struct Case {
    const char* name;
    Bytes text;
    int32_t from, to;
    Bytes link;
    std::u16string title;
  };
  const Case cases[] = {
      {"bold, a paragraph end and a tab",
       Stream().Text(u"xa").Record(kPropBold, 1).Text(u"b\r").Raw(tab).Text(u"c").Record(kPropBold, 0).Text(u"y"), 1, 6,
       Stream().Record(kPropLinkLook, 1).Text(u"a").Record(kPropBold, 1).Text(u"b  c").Record(kPropBold, 0)
           .Record(kPropLinkLook, 0),
       u"ab  c"},
      {"soft hyphens, one where the line broke",
       Stream().Text(u"Donau").Raw(softHyphen(0)).Text(u"dampf").Raw(softHyphen(2)).Text(u"schiff"), 0, 18,
       Stream().Record(kPropLinkLook, 1).Text(u"Donau").Raw(softHyphen(2)).Text(u"dampf").Raw(softHyphen(2))
           .Text(u"schiff").Record(kPropLinkLook, 0),
       u"Donau\u00ADdampf\u00ADschiff"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(c.text, c.from, c.to);
    VStr<255> shown;
    const VMemHandle units = engine.SelectionToLinkText(1, shown);
    ASSERT_NE(0u, units);
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(units));
    EXPECT_EQ(c.link, Bytes(bytes, bytes + gMemoryMgr->GetHandleSize(units)));
    gMemoryMgr->DisposeHandle(units);
    EXPECT_EQ(0, shown.Compare(Str(c.title), true));
  }
}

TEST_F(LinksTest, ExpressionObjectsInEveryForm) {
  const Bytes tagged = ExpressionObject(u"ab");
  const Bytes bare = StringForm(u"ab");
  const Bytes truncated(tagged.begin(), tagged.end() - 3);
  struct Case {
    const char* name;
    Bytes bytes;
    bool read;
  };
  const Case cases[] = {
      {"tagged", tagged, true},
      {"tagged, other order", Swapped(tagged, {4, 4, 4, 4, 2, 2, 2}), true},
      {"bare", bare, true},
      {"bare, other order", Swapped(bare, {4, 4, 2, 2, 2}), true},
      {"other version", Stream().Long(FourCC("wEXP")).Long(FourCC("0200")).Raw(bare), false},
      {"truncated string", truncated, false},
      {"only a tag", Stream().Long(FourCC("wEXP")), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VStr<255> read = Str(u"kept");
    VMemoryStream stream(c.bytes.data(), uint32_t(c.bytes.size()));
    ASSERT_EQ(0, stream.OpenRead());
    EXPECT_EQ(c.read, xMorvaEngine::ReadHTMLExpression(stream, read));
    EXPECT_EQ(0, read.Compare(Str(c.read ? u"ab" : u"kept"), true));
  }
}

TEST_F(LinksTest, SwitchingTheDisplayModeReordersEveryComputedElement) {
  const Bytes expression = ExpressionObject(u"e");
  const Bytes number = Stream().Long(0);
  const Bytes date = Stream().Unit(5 << 8);
  const Bytes dateResult = Stream().Text(u"7.12.");
  // A page number laid out as "12", and one never laid out.
  const Bytes laidOut = Stream().Text(std::u16string(13, u'x') + u"12");
  const Bytes pages = Stream().Text(std::u16string(15, u'x'));
  auto pageNumber = [&](const Bytes& result, uint32_t shownUnits, bool resultFirst) {
    Bytes payload = ComputedPayload(number, result, Source(u"Page"), resultFirst);
    // While the source shows, byte 13 keeps how many units the number showed.
    if (resultFirst) payload[13] = uint8_t(shownUnits + 1);
    const uint32_t b = resultFirst ? uint32_t(14 + 4 + 30) : uint32_t(payload.size() - 2 * shownUnits);
    return Stream().Element(xMorvaElementCode::PageNumber, payload, b).bytes();
  };
  auto document = [&](bool resultFirst) {
    return Stream()
        .Text(u"a")
        .Raw(Element(xMorvaElementCode::HTMLExpression, expression, {}, Source(u"Html:e"), resultFirst))
        .Record(kPropBold, 1)
        .Raw(Element(xMorvaElementCode::DateTime, date, dateResult, Source(u"Date"), resultFirst))
        .Raw(pageNumber(laidOut, 2, resultFirst))
        .Raw(pageNumber(pages, 0, resultFirst))
        .Text(u"b")
        .bytes();
  };
  Load(document(false));
  const Bytes before = Bytes_();
  engine.SetFieldDisplayMode(1);
  engine.RefreshComputedElements(0, engine.GetStreamSize());
  EXPECT_EQ(document(true), Bytes_());
  engine.SetFieldDisplayMode(0);
  engine.RefreshComputedElements(0, engine.GetStreamSize());
  EXPECT_EQ(before, Bytes_());
  // Elements outside the range keep their order.
  engine.SetFieldDisplayMode(1);
  engine.RefreshComputedElements(0, 2);
  EXPECT_EQ(before, Bytes_());
}

TEST_F(LinksTest, AHeadThatDoesNotFillItsPayloadIsNotReordered) {
  // Lengths that claim more than the payload holds.
  const Bytes bad = Stream().Long(0).Long(40).Long(2).Raw({0, 0}).Text(u"ab");
  Load(Stream().Element(xMorvaElementCode::DateTime, bad, 14).Text(u"z"));
  const Bytes before = Bytes_();
  engine.SetFieldDisplayMode(1);
  engine.RefreshComputedElements(0, engine.GetStreamSize());
  EXPECT_EQ(before, Bytes_());
}

TEST_F(LinksTest, FollowingALinkMarksOnlyTheFirstLinkLook) {
  struct Case {
    const char* name;
    int32_t first;
    int32_t expected;
  };
  const Case cases[] = {{"link look", 1, 2}, {"field look", 3, 3}, {"no look", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(Stream().Text(u"a").Record(kPropLinkLook, c.first).Text(u"b").Record(kPropLinkLook, 1).Text(u"c"), 0, 3);
    engine.MarkLinkVisited();
    EXPECT_EQ(Stream().Text(u"a").Record(kPropLinkLook, c.expected).Text(u"b").Record(kPropLinkLook, 1).Text(u"c").bytes(),
              Bytes_());
  }
}

TEST_F(LinksTest, FollowingAHyperlinkElementMarksItsTitleVisited) {
  FakeLink link;
  const Bytes title = Stream().Record(kPropLinkLook, 1).Text(u"Go").Record(kPropLinkLook, 0);
  const Bytes visited = Stream().Record(kPropLinkLook, 2).Text(u"Go").Record(kPropLinkLook, 0);
  for (uint8_t mode : {0, 1}) {
    SCOPED_TRACE(int(mode));
    Load(Stream().Text(u"xy"), 1, 1);
    engine.SetFieldDisplayMode(mode);
    ASSERT_EQ(0, engine.InsertHyperlink(link, false));
    engine.SetSelection(1, 2);
    engine.MarkLinkVisited();
    const Bytes element = Element(xMorvaElementCode::Hyperlink, link.record, visited, Source(u"URL:q"), mode == 1);
    EXPECT_EQ(Stream().Text(u"x").Raw(element).Text(u"y").bytes(), Bytes_());
    // Visited once, it stays so.
    engine.MarkLinkVisited();
    EXPECT_EQ(Stream().Text(u"x").Raw(element).Text(u"y").bytes(), Bytes_());
  }
  // Outside the selection nothing changes.
  Load(Stream().Text(u"xy"), 1, 1);
  ASSERT_EQ(0, engine.InsertHyperlink(link, false));
  engine.SetSelection(0, 1);
  engine.MarkLinkVisited();
  const Bytes element = Element(xMorvaElementCode::Hyperlink, link.record, title, Source(u"URL:q"), false);
  EXPECT_EQ(Stream().Text(u"x").Raw(element).Text(u"y").bytes(), Bytes_());
}

TEST_F(LinksTest, FreezingLeavesThePlainTextShownAndUndoes) {
  const Bytes expression = ExpressionObject(u"e");
  const Bytes date = Stream().Unit(5 << 8);
  const Bytes dateResult = Stream().Text(u"7.12.");
  const Bytes pages = Stream().Text(std::u16string(15, u'x'));
  const Bytes number = Stream().Long(0);
  const Bytes pageNumber = Element(xMorvaElementCode::PageNumber, number, pages, Source(u"Page"), false);
  struct Case {
    const char* name;
    uint8_t mode;
    Bytes frozen;  // between "a" and "b"
    int32_t end;   // of the selection after
  };
  const Case cases[] = {
      // Results shown: the date's text stays, the expression shows nothing.
      {"mode 0", 0, Stream().Text(u"7.12.").Raw(pageNumber), 8},
      // Sources shown: the labels stay with their marks, without the look.
      {"mode 1", 1, Stream().Text(u"<Html:e><Date>").Raw(pageNumber), 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool resultFirst = c.mode == 1;
    const Bytes original =
        Stream()
            .Text(u"a")
            .Raw(Element(xMorvaElementCode::HTMLExpression, expression, {}, Source(u"Html:e"), resultFirst))
            .Raw(Element(xMorvaElementCode::DateTime, date, dateResult, Source(u"Date"), resultFirst))
            .Raw(pageNumber)
            .Text(u"b");
    Load(original, 0, 5);
    engine.SetFieldDisplayMode(c.mode);
    ASSERT_EQ(0, engine.FreezeComputedElements());
    const Bytes frozen = Stream().Text(u"a").Raw(c.frozen).Text(u"b");
    EXPECT_EQ(frozen, Bytes_());
    EXPECT_EQ(PositionsOf(frozen), engine.GetLength());
    EXPECT_EQ(0, engine.GetSelStart());
    EXPECT_EQ(c.end, engine.GetSelEnd());
    undo.Undo();
    EXPECT_EQ(original, Bytes_());
  }
}

}  // namespace
