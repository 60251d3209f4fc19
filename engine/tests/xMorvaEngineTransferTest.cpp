// Styled text copied as a transfer stream in one document and pasted in
// another: text, looks, fonts, style sheets and paragraph formatting; the
// ruler; streams in the other byte order, the older form and bad streams.
#include "engine/tests/TransferTestSupport.h"

namespace {

// The head of a written stream: tag bytes, then the four counts.
uint32_t HeadWord(const Bytes& bytes, size_t index) {
  const size_t at = 4 * index;
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

// The bytes after the head and its sets: the trailing n and element bytes.
Bytes TailElements(const Bytes& stream, size_t n) { return Bytes(stream.end() - n, stream.end()); }

}  // namespace

TEST_F(TransferTest, CopiedTextKeepsItsLookInAnotherDocument) {
  Fill(*source, Stream().Text(u"ab").Record(kPropBold, 1).Text(u"cd\ref").Record(kPropBold, 0).Text(u"gh"), 1, 6);
  const Bytes copied = Copy(*source);
  ASSERT_GE(copied.size(), 20u);
  // Little-endian tag and head: 5 positions, 1 paragraph end, after the
  // unit 13 in the prepared bytes (b, bold on, c, d, 13).
  EXPECT_EQ(Bytes({'7', 'o', 'M', 'x'}), Bytes(copied.begin(), copied.begin() + 4));
  EXPECT_EQ(5u, HeadWord(copied, 1));
  EXPECT_EQ(1u, HeadWord(copied, 2));
  EXPECT_EQ(16u, HeadWord(copied, 3));
  EXPECT_EQ(16u, HeadWord(copied, 4));

  Fill(*target, Stream().Text(u"xyz"), 1, 1);
  ASSERT_EQ(0, Paste(*target, copied));
  EXPECT_EQ(u"xbcd\reyz", TextOf(*target));
  EXPECT_EQ(1, Body(*target).GetSelStart());
  EXPECT_EQ(6, Body(*target).GetSelEnd());
  const int32_t expected[] = {0, 0, 1, 1, 1, 1, 0, 0};
  for (int32_t position = 0; position < 8; ++position)
    EXPECT_EQ(expected[position], PropertyAt(*target, kPropBold, position)) << position;
}

TEST_F(TransferTest, RecordsLeadingTheRangeFoldIntoTheStartProperties) {
  Fill(*source, Stream().Text(u"ab").Record(kPropItalic, 1).Text(u"cd"), 2, 4);
  const Bytes copied = Copy(*source);
  // No paragraph end: both offsets 0 and the copy begins with a unit.
  EXPECT_EQ(0u, HeadWord(copied, 3));
  EXPECT_EQ(0u, HeadWord(copied, 4));
  EXPECT_EQ(Bytes(Stream().Text(u"cd")), TailElements(copied, 4));
  Fill(*target, Stream().Text(u"xy"), 2, 2);
  ASSERT_EQ(0, Paste(*target, copied));
  EXPECT_EQ(Bytes(Stream().Text(u"xy").Record(kPropItalic, 1).Text(u"cd")), StreamBytes(Body(*target)));
}

TEST_F(TransferTest, FontsAreFoundOrAppendedByName) {
  VStrInHandle courier;
  courier.SetAnsiCText("Courier New");
  VStrInHandle times;
  times.SetAnsiCText("Times New Roman");
  ASSERT_EQ(2, source->FontIndexForName(courier));
  ASSERT_EQ(3, source->FontIndexForName(times));
  Fill(*source, Stream().Record(kPropFont, 3).Text(u"ab").Record(kPropFont, 2).Text(u"cd"), 0, 4);
  const Bytes copied = Copy(*source);

  // The target knows Courier New (index 2) but not Times New Roman, which
  // is appended as 3.
  VStrInHandle courierAgain;
  courierAgain.SetAnsiCText("Courier New");
  ASSERT_EQ(2, target->FontIndexForName(courierAgain));
  Fill(*target, Stream().Text(u"z"), 1, 1);
  ASSERT_EQ(0, Paste(*target, copied));
  EXPECT_EQ(3, target->GetFontCount());
  VStrInHandle name;
  bool known = false;
  ASSERT_TRUE(target->FontNameForIndex(3, name, known));
  EXPECT_EQ(0, name.CompareCText("Times New Roman", kCharSetAnsi, false));
  EXPECT_EQ(3, PropertyAt(*target, kPropFont, 1));
  EXPECT_EQ(2, PropertyAt(*target, kPropFont, 3));
}

TEST_F(TransferTest, StyleSheetsTravelByName) {
  const Bytes heading = {1, 2, 3, 4};
  const Bytes quote = {9, 9};
  AddSheet(*source, 5, "Heading", heading);
  AddSheet(*source, 6, "Quote", quote);
  Fill(*source,
       Stream().Record(kPropStyleSheet, 5).Text(u"ab").Record(kPropStyleSheet, 1).Text(u"c")
           .Record(kPropStyleSheet, 6).Text(u"d").Record(kPropStyleSheet, 5).Text(u"e"),
       0, 5);
  const Bytes copied = Copy(*source);

  // The target has a "quote" of its own (names compare without case) and
  // no heading: the heading comes, under a new id, once for both records.
  AddSheet(*target, 40, "quote", {7});
  Fill(*target, Stream().Text(u"z"), 0, 0);
  ASSERT_EQ(0, Paste(*target, copied));
  const int16_t added = SheetIdNamed(*target, "Heading");
  EXPECT_EQ(41, added);
  const VMemHandle stored = target->CopyResource(kTestSheetType, added);
  EXPECT_EQ(heading, HandleBytes(stored));
  gMemoryMgr->DisposeHandle(stored);
  EXPECT_EQ(2, target->GetStyleSheetStore()->CountResources(kTestSheetType));
  const int32_t expected[] = {41, 41, 1, 40, 41, 1};
  for (int32_t position = 0; position < 6; ++position)
    EXPECT_EQ(expected[position], PropertyAt(*target, kPropStyleSheet, position)) << position;
}

TEST_F(TransferTest, ParagraphsPastedIntoACentredParagraph) {
  Fill(*source,
       Stream().Record(kPropAlignment, 2).Tab(40, 1).Text(u"one\r").Record(kPropAlignment, 0).Tab(40, 0).Text(u"two\rx"),
       0, 8);
  const Bytes copied = Copy(*source);
  Fill(*target, Stream().Record(kPropAlignment, 1).Tab(20, 2).Text(u"abcd\rlast"), 2, 2);
  ASSERT_EQ(0, Paste(*target, copied));
  EXPECT_EQ(u"abone\rtwo\rcd\rlast", TextOf(*target));
  // ab + one: the first pasted paragraph's formatting; two: its own; cd
  // and the following paragraph: centred, with their tab, as before.
  const int32_t alignments[] = {2, 2, 0, 1, 1};
  const int32_t tabs[] = {40, 40, -1, 20, 20};
  const int32_t positions[] = {0, 3, 6, 10, 13};
  xMorvaEngine& body = Body(*target);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(positions[i]);
    EXPECT_EQ(alignments[i], PropertyAt(*target, kPropAlignment, positions[i]));
    body.SetSelection(positions[i], positions[i]);
    ASSERT_EQ(tabs[i] < 0 ? 0 : 1, body.GetTabCount());
    if (tabs[i] >= 0) {
      EXPECT_EQ(tabs[i], TabStopPosition(body.GetCurrentTabs().StopAt(0)));
    }
  }
}

TEST_F(TransferTest, EitherByteOrderAndTheOlderFormRead) {
  struct Case {
    const char* name;
    bool bigEndian;
    uint32_t tag;
    int32_t sheetAfter;  // the sheet of the pasted text
  };
  // The first sheet of a store without sheets gets the lowest id.
  const Case cases[] = {
      {"little-endian", false, FourCC("xMo7"), -32767},
      {"big-endian", true, FourCC("xMo7"), -32767},
      {"older form", false, FourCC("xMor"), 1},
      {"older form big-endian", true, FourCC("xMor"), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StreamFields fields;
    fields.tag = c.tag;
    fields.bigEndian = c.bigEndian;
    fields.length = 3;
    fields.fonts = {"Arial", "Courier New"};
    fields.start.SetProperty(kPropUnderline, 1);
    fields.end.SetProperty(kPropUnderline, 1);
    fields.sheets = {{7, "Body", {5, 5}}};
    fields.elements = Stream().Record(kPropStyleSheet, 7).Record(kPropFont, 2).Text(u"a").Tab(30, 1).Text(u"b\t");
    Fill(*target, Stream().Text(u"z"), 0, 0);
    ASSERT_EQ(0, Paste(*target, fields.Write()));
    EXPECT_EQ(u"ab\tz", TextOf(*target));
    EXPECT_EQ(1, PropertyAt(*target, kPropUnderline, 0));
    EXPECT_EQ(0, PropertyAt(*target, kPropUnderline, 3));
    EXPECT_EQ(2, PropertyAt(*target, kPropFont, 1));
    EXPECT_EQ(c.sheetAfter, PropertyAt(*target, kPropStyleSheet, 1));
  }
}

TEST_F(TransferTest, CountsOfTheHeadAreTakenFromTheBytes) {
  struct Case {
    const char* name;
    uint32_t length, paragraphEnds, firstEnd, lastEnd;
    int32_t endAlignment, endBold;
  };
  const Case cases[] = {
      {"length too large", 900, 1, 4, 4, 2, 0},
      {"length 0", 0, 1, 4, 4, 2, 0},
      {"no paragraph end claimed", 4, 0, 0, 0, 2, 0},
      {"offsets beyond the bytes", 4, 1, 4000, 0xFFFFFFF0u, 2, 0},
      {"three ends claimed", 4, 3, 2, 6, 2, 0},
      {"end sets that differ from the bytes", 4, 1, 4, 4, 0, 1},
      {"paragraph records behind the last end", 4, 1, 4, 4, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StreamFields fields;
    fields.length = c.length;
    fields.paragraphEnds = c.paragraphEnds;
    fields.firstEnd = c.firstEnd;
    fields.lastEnd = c.lastEnd;
    fields.start.SetProperty(kPropAlignment, 2);
    fields.end.SetProperty(kPropAlignment, c.endAlignment);
    fields.end.SetProperty(kPropBold, c.endBold);
    fields.elements = Stream().Text(u"a\rbc");
    if (c.name[0] == 'p') fields.elements = Stream().Text(u"a\rb").Record(kPropAlignment, 3).Tab(9, 1).Text(u"c");
    Fill(*target, Stream().Text(u"xy\rz"), 1, 1);
    ASSERT_EQ(0, Paste(*target, fields.Write()));
    EXPECT_EQ(u"xa\rbcy\rz", TextOf(*target));
    EXPECT_EQ(8, Body(*target).GetLength());
    EXPECT_EQ(1, Body(*target).GetSelStart());
    EXPECT_EQ(5, Body(*target).GetSelEnd());
    // The paragraph and the text after the pasted ones keep their look.
    EXPECT_EQ(2, PropertyAt(*target, kPropAlignment, 0));
    EXPECT_EQ(0, PropertyAt(*target, kPropAlignment, 4));
    EXPECT_EQ(0, PropertyAt(*target, kPropBold, 5));
    Body(*target).SetSelection(4, 4);
    EXPECT_EQ(0, Body(*target).GetTabCount());
  }
}

TEST_F(TransferTest, UnknownFontsAndSheetsBecomeTheFirst) {
  StreamFields fields;
  fields.length = 3;
  fields.start.SetProperty(kPropFont, 55);
  fields.end.SetProperty(kPropFont, 55);
  fields.elements =
      Stream().Text(u"a").Record(kPropFont, -3).Text(u"b").Record(kPropStyleSheet, 12).Record(kPropFont, 2).Text(u"c");
  Fill(*target, Stream().Text(u"z"), 1, 1);
  ASSERT_EQ(0, Paste(*target, fields.Write()));
  EXPECT_EQ(1, target->GetFontCount());
  for (int32_t position = 1; position < 4; ++position) {
    EXPECT_EQ(1, PropertyAt(*target, kPropFont, position)) << position;
    EXPECT_EQ(1, PropertyAt(*target, kPropStyleSheet, position)) << position;
  }
  EXPECT_EQ(0, target->GetStyleSheetStore()->CountResources(kTestSheetType));
}

TEST_F(TransferTest, BadStreamsChangeNothing) {
  StreamFields good;
  good.length = 2;
  good.elements = Stream().Text(u"ab");
  const Bytes whole = good.Write();
  struct Case {
    const char* name;
    Bytes bytes;
  };
  std::vector<Case> cases = {
      {"another tag", [&] {
         Bytes b = whole;
         b[0] = 'Q';
         return b;
       }()},
      {"empty", {}},
  };
  for (size_t cut = 1; cut < whole.size(); ++cut)
    cases.push_back({"truncated", Bytes(whole.begin(), whole.begin() + cut)});
  auto withElements = [&](const Bytes& elements) {
    StreamFields fields = good;
    fields.elements = elements;
    return fields.Write();
  };
  cases.push_back({"odd element bytes", withElements(Bytes{'a', 0, 'b'})});
  cases.push_back({"cut record", withElements(Bytes{'a', 0, 0, 0, 3, 0})});
  cases.push_back({"element past the end", withElements(Stream().Text(u"a").Head(16000, 40, 0))});
  cases.push_back({"element of odd length leaving one byte",
                   withElements(Stream().Head(16001, 25, 0).Raw(Bytes(25, 0)).Raw({'a'}))});
  cases.push_back({"visible part beyond the payload", withElements(Stream().Head(24002, 2, 4).Unit(173))});
  cases.push_back({"computed texts beyond the payload",
                   withElements(Stream().Head(24005, 14, 0).Long(1).Long(0xFFFFFFF0u).Long(20).Unit(0))});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(*target, Stream().Text(u"xyz"), 1, 2);
    const Bytes before = StreamBytes(Body(*target));
    EXPECT_EQ(kErrorBadStream, Paste(*target, c.bytes));
    EXPECT_EQ(before, StreamBytes(Body(*target)));
    EXPECT_EQ(1, Body(*target).GetSelStart());
    EXPECT_EQ(2, Body(*target).GetSelEnd());
  }
}

TEST_F(TransferTest, TheCheckHoldsAStreamToTheRepairRulesBeforeAnyText) {
  StreamFields good;
  good.length = 3;
  good.elements = Stream().Text(u"a").Record(kPropFont, 2).Record(kPropStyleSheet, 12).Text(u"bc");
  auto withElements = [&](const Bytes& elements) {
    StreamFields fields = good;
    fields.elements = elements;
    return fields.Write();
  };
  struct Row {
    const char* name;
    Bytes bytes;
    int32_t code;
  };
  const Bytes whole = good.Write();
  const Row rows[] = {
      {"a whole stream, fonts and sheets to be remapped", whole, 0},
      {"no elements", withElements({}), 0},
      {"empty", {}, kErrorBadStream},
      {"cut short", Bytes(whole.begin(), whole.end() - 3), kErrorBadStream},
      {"record past the end", withElements(Bytes{'a', 0, 0, 0, 3, 0}), kErrorBadStream},
      {"element past the end", withElements(Stream().Text(u"a").Head(16000, 40, 0)), kErrorBadStream},
      {"unknown property", withElements(Stream().Text(u"a").Record(99, 1).Text(u"b\rc")), kErrorBadStream},
      {"bold of 7", withElements(Stream().Record(kPropBold, 7).Text(u"b")), kErrorBadStream},
      {"control unit", withElements(Stream().Text(u"a").Unit(5)), kErrorBadStream},
      {"soft hyphen of the wrong size", withElements(Stream().Head(24002, 4, 4).Long(0)), kErrorBadStream},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.code, xMorvaEngine::CheckTransferStream(row.bytes.empty() ? nullptr : row.bytes.data(),
                                                          uint32_t(row.bytes.size())));
  }
}

TEST_F(TransferTest, PastingIsOneUndoStep) {
  Fill(*source, Stream().Text(u"ab\rcd"), 0, 5);
  const Bytes copied = Copy(*source);
  Fill(*target, Stream().Record(kPropAlignment, 1).Text(u"xy"), 1, 2);
  const Bytes before = StreamBytes(Body(*target));
  target->GetUndo()->Resume();
  VMemoryStream stream(copied.data(), uint32_t(copied.size()));
  ASSERT_EQ(0, stream.OpenRead());
  ASSERT_EQ(0, Body(*target).PasteStreamWithUndo(stream, *target));
  EXPECT_EQ(u"xab\rcd", TextOf(*target));
  target->GetUndo()->Undo();
  EXPECT_EQ(before, StreamBytes(Body(*target)));
}

TEST_F(TransferTest, TheRulerCarriesParagraphPropertiesAndTabs) {
  Fill(*source, Stream().Record(kPropLeftIndent, 30).Record(kPropBold, 1).Tab(50, 2).Text(u"ab"), 1, 1);
  const VMemHandle ruler = Body(*source).CopyStyle();
  ASSERT_NE(0u, ruler);
  Fill(*target, Stream().Text(u"x\ryz\rw"), 3, 3);
  ASSERT_EQ(0, Body(*target).PasteStyle(ruler));
  gMemoryMgr->DisposeHandle(ruler);
  xMorvaEngine& body = Body(*target);
  body.SetSelection(3, 3);
  EXPECT_EQ(30, body.GetPropertyValue(kPropLeftIndent));
  ASSERT_EQ(1, body.GetTabCount());
  EXPECT_EQ(50, TabStopPosition(body.GetCurrentTabs().StopAt(0)));
  // Only the paragraph part: no bold, and the other paragraphs untouched.
  EXPECT_EQ(0, body.GetPropertyValue(kPropBold));
  body.SetSelection(0, 0);
  EXPECT_EQ(0, body.GetPropertyValue(kPropLeftIndent));
  body.SetSelection(6, 6);
  EXPECT_EQ(0, body.GetTabCount());

  // An empty or unreadable ruler applies nothing.
  const Bytes before = StreamBytes(body);
  for (const Bytes& bad : {Bytes{}, Bytes{1, 2, 3}}) {
    const VMemHandle handle = gMemoryMgr->NewHandleFromData(bad.data(), uint32_t(bad.size()));
    EXPECT_EQ(kErrorBadStream, body.PasteStyle(handle));
    gMemoryMgr->DisposeHandle(handle);
    EXPECT_EQ(before, StreamBytes(body));
  }
}

TEST_F(TransferTest, CopiedPicturesCarryNoId) {
  // A picture (its header only: shown and own sizes, options and the id
  // of a decoded picture) and another in a host expression's result.
  const Bytes header = Stream().Long(10).Long(10).Long(10).Long(10).Long(0).Long(0x00100001);
  const Bytes picture = Stream().Head(xMorvaElementCode::Pict, 24, 24).Raw(header);
  const Bytes computed =
      Stream().Long(2).Long(uint32_t(picture.size())).Long(0).Unit(1).Unit(0).Raw(picture);
  const uint32_t size = uint32_t(computed.size());
  const Bytes text = Stream()
                         .Text(u"a")
                         .Raw(picture)
                         .Head(xMorvaElementCode::ExprQv, size, size)
                         .Raw(computed)
                         .Text(u"b");
  Fill(*source, text, 0, 4);
  const Bytes copied = Copy(*source);
  ASSERT_GE(copied.size(), text.size());

  // The copy is the text with both ids 0; the source keeps its own.
  Bytes expected = text;
  const size_t outer = 2;
  const size_t inner = outer + picture.size() + kElementHeadSize + kComputedHeadSize + 2;
  for (size_t element : {outer, inner}) {
    ASSERT_EQ(StreamUnit(&expected[element + 2]), xMorvaElementCode::Pict);
    for (size_t k = 0; k < 4; ++k) expected[element + kElementHeadSize + 20 + k] = 0;
  }
  EXPECT_EQ(TailElements(copied, text.size()), expected);
  EXPECT_EQ(StreamBytes(Body(*source)), text);
}
