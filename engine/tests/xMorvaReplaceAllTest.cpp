// Replace all in one walk against replace all one replacement at a time:
// over texts with property runs across and beside matches, elements next
// to and inside matches, overlapping candidates, longer, shorter and empty
// replacements, case and whole-word rules, both must leave the same bytes,
// count, selection, and undo and redo results.
#include <random>

#include "document/xMorvaFind.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/tests/DocumentFixture.h"

namespace {

// A piece of a test text: characters (tabs and soft hyphens become their
// elements), a property record, or a column break.
struct Piece {
  enum Kind { kText, kRecord, kBreak } kind = kText;
  std::u16string text;
  uint16_t id = 0;
  int32_t value = 0;
};
Piece T(const char16_t* text) { return {Piece::kText, text}; }
Piece R(uint16_t id, int32_t value) { return {Piece::kRecord, u"", id, value}; }
Piece Br() { return {Piece::kBreak, u"", 0, 0}; }

struct Setting {
  std::u16string find, by;
  uint8_t whole = 0, matchCase = 0, wrap = 1;
  int32_t selStart = 0, selEnd = 0;
  // Properties set on each replacement: id, value (none when id < 0).
  int32_t setId = -1, setValue = 0;
  // A paragraph property set on each replacement.
  bool paragraphProperty = false;
  // Whether the text replaces every match in one walk (else it leaves the
  // run to one replacement at a time).
  bool walked = true;
};

class ReplaceAllTest : public DocumentTest {
 protected:
  // The element bytes of the pieces, and their positions.
  static Bytes Build(xMorvaTextInterface& part, const std::vector<Piece>& pieces, int32_t& positions) {
    Bytes bytes;
    positions = 0;
    for (const Piece& piece : pieces) {
      if (piece.kind == Piece::kRecord) {
        uint8_t record[kRecordSize];
        PutPropertyRecord(record, piece.id, uint32_t(piece.value));
        bytes.insert(bytes.end(), record, record + kRecordSize);
      } else if (piece.kind == Piece::kBreak) {
        const uint8_t head[14] = {0, 0, uint8_t(xMorvaElementCode::ColBreak & 0xFF),
                                  uint8_t(xMorvaElementCode::ColBreak >> 8), 2, 0, 0, 0, 0, 0, 0, 0, 13, 0};
        bytes.insert(bytes.end(), head, head + 14);
        ++positions;
      } else {
        VStrInHandle string;
        string.SetUniChars(piece.text.data(), 0, int32_t(piece.text.size()));
        VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
        uint32_t units = 0, size = 0;
        EXPECT_TRUE(part.StringToUnits(string, handle, units, size, false));
        const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
        bytes.insert(bytes.end(), data, data + size);
        gMemoryMgr->UnlockHandle(handle);
        gMemoryMgr->DisposeHandle(handle);
        positions += int32_t(units);
      }
    }
    return bytes;
  }
  static void LoadBytes(xMorvaDocument& into, const Bytes& bytes, int32_t positions, int32_t start, int32_t end) {
    xMorvaTextInterface* part = into.GetCurrentPart();
    into.GetUndo()->Suspend();
    part->Clear();
    const VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(0, part->InsertHandle(handle, positions));
    gMemoryMgr->DisposeHandle(handle);
    into.GetUndo()->Resume();
    part->SetSelection(start, end);
  }
  static Bytes StreamOf(xMorvaDocument& of) {
    xMorvaTextInterface* part = of.GetCurrentPart();
    const uint8_t* data = part->LockStream();
    Bytes bytes = data != nullptr ? Bytes(data, data + part->GetStreamSize()) : Bytes();
    part->UnlockStream();
    return bytes;
  }
  // The bytes with what line composition keeps in tab and soft hyphen
  // elements (their b and payload) cleared: composition rewrites them.
  static Bytes LayoutFree(Bytes bytes) {
    for (uint32_t at = 0; at < bytes.size();) {
      const StreamItem item = ReadStreamItem(bytes.data() + at, uint32_t(bytes.size()) - at);
      if (item.kind == StreamItem::kElement &&
          (item.unit == xMorvaElementCode::Tab || item.unit == xMorvaElementCode::SoftHyphen)) {
        std::fill(bytes.begin() + at + 8, bytes.begin() + at + item.size, 0);
      }
      at += item.size;
    }
    return bytes;
  }
  static std::pair<int32_t, int32_t> SelectionOf(xMorvaDocument& of) {
    int32_t start = 0, end = 0;
    of.GetCurrentPart()->GetSelection(start, end);
    return {start, end};
  }
  static void Fill(xMorvaFindReplaceParameters& parameters, const Setting& setting) {
    parameters.findText.SetUniChars(setting.find.data(), 0, int32_t(setting.find.size()));
    parameters.replaceText.SetUniChars(setting.by.data(), 0, int32_t(setting.by.size()));
    parameters.wholeWord = setting.whole;
    parameters.caseSensitive = setting.matchCase;
    parameters.wrap = setting.wrap;
    if (setting.setId >= 0) {
      parameters.replaceProperties.SetProperty(uint16_t(setting.setId), setting.setValue);
      parameters.replaceStates.SetState(uint16_t(setting.setId), 1);
    }
    if (setting.paragraphProperty) {
      parameters.replaceProperties.SetProperty(kPropAlignment, 2);
      parameters.replaceStates.SetState(kPropAlignment, 1);
    }
  }

  // Runs both ways on two copies of the text and compares everything a
  // caller or the undo history can see.
  void Compare(const std::vector<Piece>& pieces, const Setting& setting) {
    int32_t positions = 0;
    const Bytes bytes = Build(*document->GetCurrentPart(), pieces, positions);
    LoadBytes(*document, bytes, positions, setting.selStart, setting.selEnd);
    LoadBytes(*reference, bytes, positions, setting.selStart, setting.selEnd);
    const Bytes original = StreamOf(*document);
    const auto selected = SelectionOf(*document);

    // The walk alone, on a third copy: does it take the case?
    LoadBytes(*probe, bytes, positions, setting.wrap != 0 ? 0 : setting.selStart,
              setting.wrap != 0 ? 0 : setting.selEnd);
    {
      xMorvaFindReplaceParameters parameters;
      Fill(parameters, setting);
      xMorvaTextInterface* part = probe->GetCurrentPart();
      VMemHandle units = gMemoryMgr->NewHandle(0, 0);
      uint32_t count = 0, size = 0;
      ASSERT_TRUE(part->StringToUnits(parameters.replaceText, units, count, size, false));
      const int32_t walked = part->ReplaceEveryMatch(parameters.findText, setting.whole != 0, setting.matchCase != 0,
                                                     units, int32_t(count), parameters.replaceProperties,
                                                     parameters.replaceStates);
      gMemoryMgr->DisposeHandle(units);
      EXPECT_EQ(walked >= 0, setting.walked);
    }

    xMorvaFindReplaceParameters oneWalk, stepwise;
    Fill(oneWalk, setting);
    Fill(stepwise, setting);
    const int32_t expectedCount = reference->ReplaceAllStepwise(stepwise);
    EXPECT_EQ(document->ReplaceAll(oneWalk), expectedCount);
    EXPECT_EQ(oneWalk.wrap, setting.wrap);
    EXPECT_EQ(StreamOf(*document), StreamOf(*reference));
    EXPECT_EQ(SelectionOf(*document), SelectionOf(*reference));
    EXPECT_EQ(document->GetCurrentPart()->GetLength(), reference->GetCurrentPart()->GetLength());
    bool enabled[2] = {};
    int16_t list[2] = {}, item[2] = {};
    document->GetUndo()->GetUndoItemText(enabled[0], list[0], item[0]);
    reference->GetUndo()->GetUndoItemText(enabled[1], list[1], item[1]);
    EXPECT_EQ(enabled[0], enabled[1]);
    EXPECT_EQ(list[0], list[1]);
    EXPECT_EQ(item[0], item[1]);

    // One undo takes everything back, selecting as the stepwise run's undo.
    // The stepwise undo brings only the lines of each small change up to
    // date, which can leave a tab's cached width behind: the lines of both
    // are composed whole before the bytes are compared.
    document->GetUndo()->Undo();
    reference->GetUndo()->Undo();
    EXPECT_EQ(SelectionOf(*document), SelectionOf(*reference));
    if (expectedCount == 0) {
      EXPECT_EQ(SelectionOf(*document), selected);
    }
    document->GetLayout()->ComposeAll();
    reference->GetLayout()->ComposeAll();
    EXPECT_EQ(StreamOf(*document), StreamOf(*reference));
    EXPECT_EQ(LayoutFree(StreamOf(*document)), LayoutFree(original));
    document->GetUndo()->Redo();
    reference->GetUndo()->Redo();
    EXPECT_EQ(SelectionOf(*document), SelectionOf(*reference));
    document->GetLayout()->ComposeAll();
    reference->GetLayout()->ComposeAll();
    EXPECT_EQ(StreamOf(*document), StreamOf(*reference));
    EXPECT_EQ(document->GetUndo()->CanUndo(), reference->GetUndo()->CanUndo());
  }

  FakeArea referenceArea, probeArea;
  std::unique_ptr<xMorvaDocument> reference{new xMorvaDocument(&referenceArea)};
  std::unique_ptr<xMorvaDocument> probe{new xMorvaDocument(&probeArea)};
};

// Matches far apart: the history keeps the changed stretches, not the
// unchanged text between them.
TEST_F(ReplaceAllTest, DistantMatchesKeepOnlyTheirStretchesInTheHistory) {
  const std::u16string filler(70000, u'w');
  Compare({T(u"a cat "), {Piece::kText, filler}, R(kPropBold, 1), T(u" cat"), R(kPropBold, 0), {Piece::kText, filler},
           T(u" catcat")},
          {u"cat", u"tiger"});
  EXPECT_LT(document->GetUndo()->GetEnd(), 2048);
  EXPECT_EQ(Text().size(), 2 * filler.size() + 8 + 6 + 11);
}

TEST_F(ReplaceAllTest, OneWalkLeavesWhatOneReplacementAfterAnotherLeaves) {
  struct Case {
    const char* name;
    std::vector<Piece> text;
    Setting setting;
  };
  const Case cases[] = {
      {"plain, longer", {T(u"the cat sat on the cat mat")}, {u"cat", u"tiger"}},
      {"plain, shorter", {T(u"the cat sat on the cat mat")}, {u"cat", u"x"}},
      {"empty replacement", {T(u"a cat, a cat, a cat")}, {u"cat", u""}},
      {"overlapping candidates", {T(u"aaaaa aaa")}, {u"aaa", u"b"}},
      {"touching matches", {T(u"abababab")}, {u"ab", u"xyz"}},
      {"touching matches emptied", {T(u"ababab c")}, {u"ab", u""}},
      {"match at both ends", {T(u"cat and cat")}, {u"cat", u"dog"}},
      {"whole text", {T(u"cat")}, {u"cat", u"dog"}},
      {"nothing found", {T(u"the dog")}, {u"cat", u"dog", 0, 0, 1, 2, 3}},
      {"case-insensitive", {T(u"Cat CAT cat cAt")}, {u"cat", u"Dog"}},
      {"case-sensitive", {T(u"Cat CAT cat cAt")}, {u"cat", u"Dog", 0, 1}},
      {"whole words", {T(u"cat concat cats cat\tcat")}, {u"cat", u"dog", 1}},
      {"whole word shortened", {T(u"ab ab ab")}, {u"ab", u"a", 1}},
      {"whole word emptied", {T(u"ab ab abab ab")}, {u"ab", u"", 1}},
      {"whole word grown into a word", {T(u"a b a")}, {u"a", u"bb", 1}},
      {"from the selection without wrap", {T(u"cat cat cat cat")}, {u"cat", u"x", 0, 0, 0, 5, 6}},
      {"from inside a word without wrap", {T(u"concat cat")}, {u"cat", u"x", 1, 0, 0, 3, 3}},
      {"bold run across a match",
       {T(u"one "), R(kPropBold, 1), T(u"ca"), R(kPropBold, 0), T(u"t two cat")},
       {u"cat", u"dog"}},
      {"run starting at a match",
       {T(u"x "), R(kPropItalic, 1), T(u"cat"), R(kPropItalic, 0), T(u" cat")},
       {u"cat", u"kitten"}},
      {"run ending at a match",
       {R(kPropSize, 18), T(u"big cat"), R(kPropSize, 12), T(u" small cat")},
       {u"cat", u"c"}},
      {"runs on touching matches",
       {R(kPropBold, 1), T(u"ab"), R(kPropBold, 0), T(u"ab"), R(kPropTextColour, 255), T(u"ab")},
       {u"ab", u"Q"}},
      {"runs on touching matches emptied",
       {R(kPropBold, 1), T(u"ab"), R(kPropBold, 0), T(u"ab"), R(kPropTextColour, 255), T(u"abz")},
       {u"ab", u""}},
      {"records at the end of the text", {T(u"a cat"), R(kPropBold, 1)}, {u"cat", u"dog"}},
      {"records before the first unit", {R(kPropBold, 1), R(kPropAlignment, 1), T(u"cat cat")}, {u"cat", u"pet"}},
      {"replacement properties",
       {T(u"a cat "), R(kPropItalic, 1), T(u"cat"), R(kPropItalic, 0), T(u" cat")},
       {u"cat", u"dog", 0, 0, 1, 0, 0, kPropItalic, 1}},
      {"replacement properties on touching matches",
       {T(u"catcat "), R(kPropBold, 1), T(u"catcat")},
       {u"cat", u"do", 0, 0, 1, 0, 0, kPropBold, 1}},
      {"replacement property already in effect",
       {R(kPropBold, 1), T(u"a cat cat")},
       {u"cat", u"dog", 0, 0, 1, 0, 0, kPropBold, 1}},
      {"replacement property on an emptied match",
       {T(u"a cat b")},
       {u"cat", u"", 0, 0, 1, 0, 0, kPropUnderline, 1}},
      {"tab element matched", {T(u"a\tb a\tb")}, {u"a\tb", u"x"}},
      {"tab element in the replacement", {T(u"a b a b")}, {u"a b", u"x\ty"}},
      {"tab element beside matches", {T(u"\tcat\tcat\t")}, {u"cat", u"a"}},
      {"soft hyphen inside a match", {T(u"con\u00ADcat cat")}, {u"concat", u"x"}},
      {"soft hyphen beside a match", {T(u"\u00ADcat\u00AD cat")}, {u"cat", u"dog"}},
      {"break beside a match", {T(u"cat"), Br(), T(u"cat")}, {u"cat", u"dog"}},
      {"paragraphs", {T(u"cat one\rcat two\r"), R(kPropAlignment, 2), T(u"cat three")}, {u"cat", u"kitty"}},
      {"paragraph start after records", {T(u"x\r"), R(kPropAlignment, 1), R(kPropBold, 1), T(u"cat")},
       {u"cat", u""}},
      // Matches are whole characters: a letter's mark, a flag's other half,
      // a family's joined emoji keep what they go with.
      {"combining marks", {T(u"e\u0301 e cafe\u0301 e\u0301e")}, {u"e", u"x"}},
      {"flags", {T(u"\U0001F1EF\U0001F1F5\U0001F1F5\U0001F1EF \U0001F1F5")}, {u"\U0001F1F5", u"P"}},
      {"joined family", {T(u"\U0001F468\u200D\U0001F469 \U0001F468")}, {u"\U0001F468", u"M"}},
      // What the walk leaves to one replacement at a time.
      {"paragraph end in the pattern", {T(u"cat\rcat\rdog")}, {u"t\rc", u"-", 0, 0, 1, 0, 0, -1, 0, false, false}},
      {"paragraph end in the replacement", {T(u"cat cat")}, {u" ", u"\r", 0, 0, 1, 0, 0, -1, 0, false, false}},
      {"paragraph property set", {T(u"cat\rcat")}, {u"cat", u"dog", 0, 0, 1, 0, 0, -1, 0, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Compare(c.text, c.setting);
  }
}

// Seeded texts of a small alphabet with property runs, tabs, soft hyphens
// and paragraph ends, against seeded patterns and replacements.
TEST_F(ReplaceAllTest, SeededTextsLeaveTheSameBytesBothWays) {
  std::mt19937 random(20261208);
  const std::u16string letters = u"aAb \t\u00AD";
  const uint16_t ids[] = {kPropBold, kPropItalic, kPropSize, kPropTextColour};
  for (int round = 0; round < 400; ++round) {
    std::vector<Piece> pieces;
    for (int i = 0, n = 20 + int(random() % 60); i < n; ++i) {
      const uint32_t pick = random() % 12;
      if (pick == 0) {
        pieces.push_back(R(ids[random() % 4], int32_t(random() % 3)));
      } else if (pick == 1) {
        pieces.push_back(T(u"\r"));
        // The next paragraph's own records.
        if (random() % 2 == 0) pieces.push_back(R(kPropAlignment, int32_t(random() % 3)));
      } else {
        pieces.push_back({Piece::kText, std::u16string(1, letters[random() % letters.size()])});
      }
    }
    Setting setting;
    for (uint32_t n = 1 + random() % 3; n > 0; --n) setting.find.push_back(u"aAb \t"[random() % 5]);
    for (uint32_t n = random() % 4; n > 0; --n) setting.by.push_back(u"xab\t"[random() % 4]);
    int32_t length = 0;
    for (const Piece& piece : pieces) length += int32_t(piece.text.size());
    setting.wrap = uint8_t(random() % 2);
    if (setting.wrap == 0 && length > 0) {
      setting.selStart = int32_t(random() % uint32_t(length));
      setting.selEnd = setting.selStart + int32_t(random() % 3);
    }
    setting.whole = uint8_t(random() % 2);
    setting.matchCase = uint8_t(random() % 2);
    if (random() % 3 == 0) {
      setting.setId = ids[random() % 4];
      setting.setValue = int32_t(random() % 2);
    }
    SCOPED_TRACE(round);
    Compare(pieces, setting);
    if (HasFailure()) break;
  }
}

}  // namespace
