// Keys in a text area, by family: arrows and their anchor rules, Home and
// End, paragraph moves, deletion, Tab, Return and Enter, typing and
// style-sheet shortcuts, the key method's offer, pictures on a page, and
// what protected documents and the text's ends do with every key.
#include "area/view/xMorvaKeyboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>
#include <vector>

#include "area/tests/ClusterTexts.h"
#include "area/tests/TextInputSupport.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaUndo.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

using areatest::kCmd;
using areatest::kOpt;
using areatest::kShift;
using Pair = std::pair<int32_t, int32_t>;

class KeyTest : public areatest::TextInputTest {};

// ---- Left and right.

TEST_F(KeyTest, ArrowsMoveByCharacterAndCollapseASelection) {
  Type("hello world");
  Caret(5);
  EXPECT_EQ(Press(kKeyLeft), 0);
  EXPECT_EQ(Sel(), Pair(4, 4));
  Press(kKeyRight);
  Press(kKeyRight);
  EXPECT_EQ(Sel(), Pair(6, 6));
  Select(2, 8);
  Press(kKeyLeft);
  EXPECT_EQ(Sel(), Pair(2, 2));
  Select(2, 8);
  Press(kKeyRight);
  EXPECT_EQ(Sel(), Pair(8, 8));
}

TEST_F(KeyTest, ShiftArrowsMoveTheEndTheAnchorLeaves) {
  Type("hello world");
  Caret(5);
  Press(kKeyLeft, kShift);
  EXPECT_EQ(Sel(), Pair(4, 5));
  EXPECT_TRUE(document->IsSelectionBackward());
  Press(kKeyRight, kShift);
  EXPECT_EQ(Sel(), Pair(5, 5));
  // From a caret Right with Shift moves the end.
  Press(kKeyRight, kShift);
  Press(kKeyRight, kShift);
  EXPECT_EQ(Sel(), Pair(5, 7));
  EXPECT_FALSE(document->IsSelectionBackward());
  Press(kKeyLeft, kShift);
  EXPECT_EQ(Sel(), Pair(5, 6));
}

TEST_F(KeyTest, CommandArrowsMoveByWord) {
  Type("one two three");
  Caret(13);
  Press(kKeyLeft, kCmd);
  EXPECT_EQ(Sel(), Pair(8, 8));
  Press(kKeyLeft, kCmd);  // at a word's start: the word before
  EXPECT_EQ(Sel(), Pair(4, 4));
  Caret(0);
  Press(kKeyRight, kCmd);  // the word and its space
  EXPECT_EQ(Sel(), Pair(4, 4));
  // Shift and Command: the moving end crosses the anchor.
  Caret(6);
  Press(kKeyLeft, kCmd | kShift);
  EXPECT_EQ(Sel(), Pair(4, 6));
  EXPECT_TRUE(document->IsSelectionBackward());
  Press(kKeyRight, kCmd | kShift);
  EXPECT_EQ(Sel(), Pair(6, 8));
  EXPECT_FALSE(document->IsSelectionBackward());
  // A Latin word and a CJK word touching are two words.
  Select(0, 13);
  for (char16_t unit : std::u16string(u"Tokyo\u6771\u4EAC x")) document->TypeCharacter(unit);
  Caret(0);
  for (const auto& [key, at] : {std::pair{kKeyRight, 5}, {kKeyRight, 8}, {kKeyLeft, 5}, {kKeyLeft, 0}}) {
    Press(key, kCmd);
    EXPECT_EQ(Sel(), Pair(at, at));
  }
  // Latin letters typed before a CJK word are a word of their own; a
  // combining mark goes with its letter, an ideograph beyond the BMP is CJK.
  Select(0, 9);
  for (char16_t unit : std::u16string(u"\u6771\u4EAC")) document->TypeCharacter(unit);
  Caret(0);
  for (char16_t unit : std::u16string(u"ab")) document->TypeCharacter(unit);
  EXPECT_EQ(Pair(Text()->GetWordStart(), Text()->GetWordEnd()), Pair(0, 2));
  Select(0, 4);
  for (char16_t unit : std::u16string(u"Cafe\u0301\uC11C\uC6B8 Tokyo\U00020B9F")) document->TypeCharacter(unit);
  Caret(0);
  for (int32_t at : {5, 8, 13, 15}) {
    Press(kKeyRight, kCmd);
    EXPECT_EQ(Sel(), Pair(at, at));
  }
  // An emoji is one character to the word keys and stays whole; a letter
  // typed at a word's end before punctuation, a paragraph end or another
  // script's word ends its word there.
  for (const auto& [text, caret, key, word] :
       {std::tuple{u"\U0001F642Tokyo", 0, kKeyRight, Pair(2, 8)}, {u"Tokyo\U0001F642", 7, kKeyLeft, Pair(0, 6)},
        {u"Tokyo, and Kyoto.", 5, int16_t(0), Pair(0, 6)}, {u"\U00020B9F\U00020B9F\r", 4, int16_t(0), Pair(4, 5)},
        {u"Tokyo\u6771\u4EAC", 5, int16_t(0), Pair(0, 6)}}) {
    Select(0, Text()->GetLength());
    for (const char16_t* unit = text; *unit != 0; ++unit) document->TypeCharacter(*unit);
    Caret(caret);
    if (key != 0) Press(key, kCmd);
    document->TypeCharacter(u'x');
    EXPECT_EQ(Pair(Text()->GetWordStart(), Text()->GetWordEnd()), word) << caret;
  }
}

// ---- Home and End.

class LineKeyTest : public KeyTest {
 protected:
  // A paragraph long enough for several screen lines, then a short one.
  void SetUp() override {
    KeyTest::SetUp();
    std::string text;
    for (int i = 0; i < 40; ++i) text += "word ";
    Type(text + "\nlast");
    ASSERT_GE(LineOf(150), 1) << "the paragraph should wrap";
  }
};

TEST_F(LineKeyTest, EndStopsBeforeTheLinesLastCharacterAndWalksDownWhenRepeated) {
  Caret(3);
  Press(kKeyEnd);
  const int32_t first = Sel().first;
  EXPECT_EQ(LineOf(first), LineOf(0));
  EXPECT_NE(LineOf(first + 1), LineOf(0));
  Press(kKeyEnd);
  const int32_t second = Sel().first;
  EXPECT_GT(second, first + 1);
  EXPECT_EQ(LineOf(second), LineOf(first + 1));
  EXPECT_NE(LineOf(second + 1), LineOf(second));
}

TEST_F(LineKeyTest, HomeGoesToTheLineStartAndFromThereToTheLineBefore) {
  Caret(3);
  Press(kKeyEnd);
  Press(kKeyRight);
  const int32_t lineTwo = Sel().first;  // the second line's start
  Press(kKeyRight);
  Press(kKeyRight);
  Press(kKeyHome);
  EXPECT_EQ(Sel(), Pair(lineTwo, lineTwo));
  Press(kKeyHome);
  EXPECT_EQ(Sel(), Pair(0, 0));
  // Shift extends from the fixed end.
  Caret(lineTwo + 2);
  Press(kKeyHome, kShift);
  EXPECT_EQ(Sel(), Pair(lineTwo, lineTwo + 2));
  EXPECT_TRUE(document->IsSelectionBackward());
}

TEST_F(LineKeyTest, CommandHomeAndEndGoToTheTextsEnds) {
  const int32_t length = Text()->GetLength();
  Caret(50);
  Press(kKeyEnd, kCmd);
  EXPECT_EQ(Sel(), Pair(length, length));
  Press(kKeyHome, kCmd);
  EXPECT_EQ(Sel(), Pair(0, 0));
  Caret(50);
  Press(kKeyEnd, kCmd | kShift);
  EXPECT_EQ(Sel(), Pair(50, length));
  Press(kKeyHome, kCmd | kShift);
  EXPECT_EQ(Sel(), Pair(0, 50));
  EXPECT_TRUE(document->IsSelectionBackward());
}

TEST_F(KeyTest, EndOnTheLastLineBeforeItsLastCharacterStopsAtTheTextsEnd) {
  // The caret one before the end of the text's last line: the next line's
  // end would be looked for two past the line, beyond the text.
  Type("ab");
  Caret(1);
  EXPECT_EQ(Press(kKeyEnd), 0);
  EXPECT_EQ(Sel(), Pair(2, 2));
  EXPECT_EQ(Plain(), "ab");
  int32_t ls = -1, le = -1;
  EXPECT_FALSE(xMorvaKeyboard::GetCaretLineBounds(*document, 4, ls, le));
  EXPECT_TRUE(xMorvaKeyboard::GetCaretLineBounds(*document, 2, ls, le));
  EXPECT_EQ(Pair(ls, le), Pair(0, 2));
}

// ---- Paragraphs, lines and pages.

TEST_F(KeyTest, CommandUpAndDownWalkByParagraph) {
  Type("first\nsecond\nthird");
  Caret(15);
  Press(kKeyUp, kCmd);
  EXPECT_EQ(Sel(), Pair(13, 13));
  Press(kKeyUp, kCmd);
  EXPECT_EQ(Sel(), Pair(6, 6));
  // A paragraph ends after its paragraph mark.
  Press(kKeyDown, kCmd);
  EXPECT_EQ(Sel(), Pair(13, 13));
  Press(kKeyDown, kCmd);
  EXPECT_EQ(Sel(), Pair(18, 18));
  Caret(8);
  Press(kKeyDown, kCmd | kShift);
  EXPECT_EQ(Sel(), Pair(8, 13));
  Press(kKeyUp, kCmd | kShift);  // the end moved; now the start does
  EXPECT_EQ(Sel(), Pair(6, 8));
  EXPECT_TRUE(document->IsSelectionBackward());
}

TEST_F(KeyTest, PageKeysScrollTheActiveFrame) {
  for (int i = 0; i < 80; ++i) Type("line\n");
  Caret(0);
  frame->ScrollTo(0, 0, false, 0);
  EXPECT_EQ(Press(kKeyPageDown), 0);
  EXPECT_GT(frame->GetScrollY(), 0);
  const int32_t down = frame->GetScrollY();
  Press(kKeyPageUp);
  EXPECT_LT(frame->GetScrollY(), down);
  EXPECT_EQ(Sel(), Pair(0, 0));
}

// ---- Deletion.

TEST_F(KeyTest, BackspaceAndDeleteRemoveACharacterOrTheSelection) {
  Type("abcdef");
  Caret(3);
  Press(kKeyBackspace);
  EXPECT_EQ(Plain(), "abdef");
  EXPECT_EQ(Sel(), Pair(2, 2));
  Press(kKeyDelete);
  EXPECT_EQ(Plain(), "abef");
  Select(1, 3);
  Press(kKeyDelete);
  EXPECT_EQ(Plain(), "af");
  // Each deletion undoes alone.
  document->Undo();
  EXPECT_EQ(Plain(), "abef");
  // With Command, words.
  Select(0, 4);
  Press(kKeyDelete);
  Type("one two three");
  // A selection starting inside a word loses that word's start too.
  Select(5, 9);
  Press(kKeyBackspace, kCmd);
  EXPECT_EQ(Plain(), "one hree");
  Caret(8);
  Press(kKeyBackspace, kCmd);
  EXPECT_EQ(Plain(), "one ");
  Caret(0);
  Press(kKeyDelete, kCmd);  // at a word's start: the word and its space
  EXPECT_EQ(Plain(), "");
}

// ---- Tab, Return, Enter.

TEST_F(KeyTest, TabInsertsATabOnlyWithoutModifiers) {
  Type("ab");
  Caret(1);
  EXPECT_EQ(Press(kKeyTab), 0);
  EXPECT_EQ(Plain(), "a#b");
  EXPECT_EQ(Sel(), Pair(2, 2));
  for (int modifiers : {kShift, kOpt, kCmd}) {
    EXPECT_EQ(Press(kKeyTab, modifiers), 1) << modifiers;
    EXPECT_EQ(Plain(), "a#b") << modifiers;
  }
}

TEST_F(KeyTest, ReturnStartsAParagraphAndEnterABreakByColumnCount) {
  Type("ab");
  Caret(1);
  EXPECT_EQ(Press(kKeyReturn), 0);
  EXPECT_EQ(Plain(), "a\nb");
  EXPECT_EQ(Sel(), Pair(2, 2));
  EXPECT_EQ(Press(kKeyReturn, kShift), 1);
  EXPECT_EQ(Press(kKeyEnter), 0);
  EXPECT_GE(Text()->FindElement(xMorvaElementCode::PageBreak, true, false), 0);
  EXPECT_LT(Text()->FindElement(xMorvaElementCode::ColBreak, true, false), 0);
  document->Params().SetColumns(2);
  Press(kKeyEnter);
  EXPECT_GE(Text()->FindElement(xMorvaElementCode::ColBreak, true, false), 0);
}

// ---- Typing and shortcuts.

TEST_F(KeyTest, TypingWithCommandIsNotHandledUnlessAStyleSheetHasTheShortcut) {
  Type("abc");
  EXPECT_EQ(Press(27, 0, char16_t(27)), 1);  // a control character types nothing
  EXPECT_EQ(Press('k', kCmd, u'k'), 1);
  EXPECT_EQ(Plain(), "abc");
  VMemoryResourceFile* store = document->GetStyleSheetStore();
  ASSERT_NE(store, nullptr);
  xMorvaStyleSheet sheet;
  sheet.shortcut = u'k';
  sheet.paragraphSheet = 0;
  VStr<31> name;
  name.SetCText("Shortcut", kCharSetMac);
  int16_t id = 0;
  ASSERT_TRUE(sheet.SaveNew(*document, *store, name, id));
  Select(0, 2);
  EXPECT_EQ(Press('k', kCmd, u'k'), 0);
  EXPECT_EQ(Text()->GetPropertyValue(15), id);
  EXPECT_EQ(Plain(), "abc");
}

// ---- The key method.

TEST_F(KeyTest, EachSpecialKeyIsOfferedWithItsCodeAndAConsumedKeyDoesNothingMore) {
  Type("abc");
  int16_t kind = 0;
  areatest::PString name("OnKey");
  Run(58, area->GetReference(), {&kind, name.bytes});
  struct Row {
    int16_t code;
    int32_t offered;
  };
  const Row rows[] = {{kKeyTab, 9},       {kKeyReturn, 13},  {kKeyHome, 1},       {kKeyEnd, 4},
                      {kKeyPageUp, 11},   {kKeyPageDown, 12}, {kKeyLeft, 28},     {kKeyRight, 29},
                      {kKeyUp, 30},       {kKeyDown, 31},    {kKeyBackspace, 8},  {kKeyDelete, 127},
                      {kKeyEnter, 3}};
  package->answer = 1;
  for (const Row& row : rows) {
    Caret(1);
    package->calls.clear();
    EXPECT_EQ(Press(row.code), 0) << row.code;
    ASSERT_EQ(package->calls.size(), 1u) << row.code;
    EXPECT_EQ(package->calls[0].numbers.back(), row.offered) << row.code;
    EXPECT_EQ(Plain(), "abc") << row.code;
    EXPECT_EQ(Sel(), Pair(1, 1)) << row.code;
  }
  // A character is offered as itself; not consumed, it is typed.
  package->answer = 0;
  package->calls.clear();
  Press('x', 0, u'x');
  ASSERT_EQ(package->calls.size(), 1u);
  EXPECT_EQ(package->calls[0].numbers.back(), 'x');
  EXPECT_EQ(Plain(), "axbc");
}

// ---- Pictures on a page.

TEST_F(KeyTest, ArrowsMoveASelectedPagePictureAndShiftResizesIt) {
  xMorvaPicturesInPageMaker maker;
  VInstalledService<xMorvaPagePicturesMaker> installed(&maker);
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  ASSERT_NE(pictures, nullptr);
  xMorvaPagePicture entry;
  entry.left = entry.top = 50;
  entry.naturalWidth = entry.shownWidth = entry.naturalHeight = entry.shownHeight = 40;
  entry.resourceId = 300;
  VMemoryResourceFile* store = document->GetStyleSheetStore();
  ASSERT_EQ(pictures->Append(*store, entry), 0);
  pictures->SetSelection(0);
  Type("ab");  // typing does not reach the text while a picture is selected
  EXPECT_EQ(Plain(), "");
  Press(kKeyRight);
  Press(kKeyDown, kCmd);
  EXPECT_EQ(pictures->GetEntry(0).left, 51);
  EXPECT_EQ(pictures->GetEntry(0).top, 60);
  Press(kKeyLeft, kShift | kCmd);
  Press(kKeyUp, kShift);
  EXPECT_EQ(pictures->GetEntry(0).shownWidth, 30);
  EXPECT_EQ(pictures->GetEntry(0).shownHeight, 39);
  EXPECT_EQ(Press(kKeyHome), 0);
  EXPECT_EQ(pictures->GetEntry(0).left, 51);
  // Tab lets the picture go; Backspace deletes a selected one.
  Press(kKeyTab);
  EXPECT_FALSE(pictures->HasSelection());
  pictures->SetSelection(0);
  Press(kKeyBackspace);
  EXPECT_EQ(pictures->GetCount(), 0);
}

// ---- Bad input: the text's ends, protection, hidden frames.

TEST_F(KeyTest, ImpossibleMovesBeepAndChangeNothing) {
  Type("ab");
  struct Row {
    int32_t caret;
    int16_t code;
    int modifiers;
  };
  const Row rows[] = {
      {0, kKeyLeft, 0},      {0, kKeyLeft, kCmd},    {2, kKeyRight, 0},  {2, kKeyRight, kCmd},
      {0, kKeyBackspace, 0}, {2, kKeyDelete, 0},     {2, kKeyDelete, kCmd}, {0, kKeyUp, 0},
      {2, kKeyDown, 0},      {0, kKeyLeft, kShift},  {2, kKeyRight, kShift},
  };
  for (const Row& row : rows) {
    Caret(row.caret);
    const int32_t beeps = Beeps();
    EXPECT_EQ(Press(row.code, row.modifiers), 0) << row.code << " " << row.modifiers;
    EXPECT_EQ(Beeps(), beeps + 1) << row.code << " " << row.modifiers;
    EXPECT_EQ(Plain(), "ab") << row.code;
    EXPECT_EQ(Sel(), Pair(row.caret, row.caret)) << row.code << " " << row.modifiers;
  }
}

TEST_F(KeyTest, ProtectedDocumentsAndLockedAreasMoveButDoNotEdit) {
  Type("abc");
  for (int lock = 0; lock < 2; ++lock) {
    document->Infos().SetLocked(lock == 0 ? 1 : 0);
    area->StoreAreaLock(lock == 1);
    Caret(1);
    for (int16_t code : {kKeyBackspace, kKeyDelete, kKeyTab, kKeyReturn, kKeyEnter}) {
      EXPECT_EQ(Press(code), 0) << code;
    }
    EXPECT_EQ(Press('z', 0, u'z'), 0);
    EXPECT_EQ(Plain(), "abc") << lock;
    Press(kKeyRight);
    EXPECT_EQ(Sel(), Pair(2, 2)) << lock;
  }
}

TEST_F(KeyTest, AHiddenFrameAnswersNotHandledAndLeavesTheText) {
  Type("abc");
  frame->SetVisible(false);
  VEvent event;
  EXPECT_EQ(frame->HandleKey(event), 1);
  EXPECT_EQ(Plain(), "abc");
}

}  // namespace

namespace {

// A character beyond the Basic Multilingual Plane is two units, one
// character: the arrows move over it and the deleting keys take it whole.
TEST_F(KeyTest, ArrowsAndDeletionTakeASurrogatePairWhole) {
  Type("ab");
  Caret(1);
  Text()->TypeCharacter(u'\xD834');
  Text()->TypeCharacter(u'\xDD1E');
  ASSERT_EQ(Plain(), "a??b");
  ASSERT_EQ(Sel(), Pair(3, 3));
  Press(kKeyLeft);
  EXPECT_EQ(Sel(), Pair(1, 1));
  Press(kKeyRight);
  EXPECT_EQ(Sel(), Pair(3, 3));
  Press(kKeyLeft, kShift);
  EXPECT_EQ(Sel(), Pair(1, 3));
  Caret(1);
  Press(kKeyRight, kShift);
  EXPECT_EQ(Sel(), Pair(1, 3));
  Caret(3);
  Press(kKeyBackspace);
  EXPECT_EQ(Plain(), "ab");
  EXPECT_EQ(Sel(), Pair(1, 1));
  Caret(1);
  Text()->TypeCharacter(u'\xD834');
  Text()->TypeCharacter(u'\xDD1E');
  Caret(1);
  Press(kKeyDelete);
  EXPECT_EQ(Plain(), "ab");
}

// Emoji (a face, a flag, a skin tone, a family joined by ZWJ, a heart with
// its selector), keycaps, Devanagari and Thai with their marks, Hangul of
// jamo, Persian with ZWNJ and Latin with combining marks, walked by every
// key and set by every selection: every stop is one of ICU's cluster
// edges, Delete and Backspace take one cluster, and a typed letter stands
// between clusters, never inside one.
TEST_F(KeyTest, EveryKeyAndSelectionKeepsClustersWhole) {
  // The shared texts, and a skin tone inside a word and after a space, a
  // joined pair of no emoji, a conjunct and a letter with two marks.
  std::vector<std::u16string> texts(std::begin(clustertest::kTexts), std::end(clustertest::kTexts));
  texts.insert(texts.end(), {
      u"up\U0001F44D\U0001F3FDdown a\U0001F44D\U0001F3FD \u00A9\u200D\u00A9 \u0915\u094D\u0937a\u0301\u0308b",
      // Twenty flags: a run longer than the units read around a place
      // still pairs from its start.
      u"x\U0001F1EF\U0001F1F5\U0001F1FA\U0001F1F8\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\U0001F1EE\U0001F1F9"
      u"\U0001F1EC\U0001F1E7\U0001F1E8\U0001F1E6\U0001F1E7\U0001F1F7\U0001F1EE\U0001F1F3\U0001F1E8\U0001F1F3"
      u"\U0001F1F0\U0001F1F7\U0001F1F2\U0001F1FD\U0001F1EA\U0001F1F8\U0001F1F8\U0001F1EA\U0001F1F3\U0001F1F4"
      u"\U0001F1EB\U0001F1EE\U0001F1E9\U0001F1F0\U0001F1F3\U0001F1F1\U0001F1E7\U0001F1EA\U0001F1E8\U0001F1ED y",
  });
  auto units = [&] {
    std::u16string out;
    xMorvaEngine* text = Text();
    uint8_t* bytes = text->LockStream();
    for (uint32_t at = 0; at < text->GetStreamSize();) {
      const StreamItem item = ReadStreamItem(bytes + at, text->GetStreamSize() - at);
      if (item.kind == StreamItem::kUnit) out.push_back(item.unit);
      at += item.size;
    }
    text->UnlockStream();
    return out;
  };
  auto load = [&](const std::u16string& text) {
    Select(0, Text()->GetLength());
    for (const char16_t unit : text) document->TypeCharacter(unit);
  };
  for (const std::u16string& text : texts) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    const int32_t length = int32_t(text.size());
    const std::vector<int32_t> edges = clustertest::ClusterEdges(text);
    const auto isEdge = [&](int32_t at) { return std::binary_search(edges.begin(), edges.end(), at); };
    const auto edgeBefore = [&](int32_t at) { return *(std::upper_bound(edges.begin(), edges.end(), at) - 1); };
    const auto edgeAfter = [&](int32_t at) { return *std::lower_bound(edges.begin(), edges.end(), at); };
    load(text);
    ASSERT_EQ(units(), text);
    // Right and Left stop at every edge and only there; Shift moves the end
    // so; the word keys stop at edges.
    std::vector<int32_t> right = {0}, left = {length}, shifted = {0};
    Caret(0);
    while (Sel().first < length && right.size() <= edges.size()) {
      Press(kKeyRight);
      right.push_back(Sel().first);
    }
    Caret(length);
    while (Sel().first > 0 && left.size() <= edges.size()) {
      Press(kKeyLeft);
      left.insert(left.begin(), Sel().first);
    }
    Caret(0);
    while (Sel().second < length && shifted.size() <= edges.size()) {
      Press(kKeyRight, kShift);
      shifted.push_back(Sel().second);
    }
    EXPECT_EQ(right, edges);
    EXPECT_EQ(left, edges);
    EXPECT_EQ(shifted, edges);
    for (const int modifiers : {int(kCmd), kCmd | kShift}) {
      Caret(0);
      for (int i = 0; i < length && Sel().second < length; ++i) {
        Press(kKeyRight, modifiers);
        EXPECT_TRUE(isEdge(Sel().second)) << Sel().second;
      }
      Caret(length);
      for (int i = 0; i < length && Sel().first > 0; ++i) {
        Press(kKeyLeft, modifiers);
        EXPECT_TRUE(isEdge(Sel().first)) << Sel().first;
      }
    }
    // Any selection (command 3) keeps to the edges: a start or caret inside
    // a cluster goes to its start, an end to its end; the word at a caret
    // (double click, command 59) is whole clusters.
    for (int32_t start = 0; start <= length; ++start) {
      for (int32_t end = start; end <= length; ++end) {
        ASSERT_TRUE(Text()->TrySetSelection(start, end));
        const int32_t wantStart = edgeBefore(start);
        EXPECT_EQ(Sel(), Pair(wantStart, start == end ? wantStart : edgeAfter(end))) << start << "," << end;
      }
      Caret(start);
      EXPECT_TRUE(isEdge(Text()->GetWordStart())) << start;
      EXPECT_TRUE(isEdge(Text()->GetWordEnd())) << start;
    }
    // Backspace and Delete take one cluster; a letter typed at any caret
    // stands alone between two clusters.
    const std::vector<std::u16string> clusters = clustertest::ClustersOf(text);
    for (size_t i = 0; i < clusters.size(); ++i) {
      std::u16string without = text;
      without.erase(size_t(edges[i]), clusters[i].size());
      load(text);
      Caret(edges[i + 1]);
      Press(kKeyBackspace);
      EXPECT_EQ(units(), without) << "backspace at " << edges[i + 1];
      EXPECT_EQ(Sel(), Pair(edges[i], edges[i]));
      load(text);
      Caret(edges[i]);
      Press(kKeyDelete);
      EXPECT_EQ(units(), without) << "delete at " << edges[i];
    }
    for (int32_t at = 0; at <= length; ++at) {
      load(text);
      Caret(at);
      document->TypeCharacter(u'x');
      std::vector<std::u16string> typed = clusters;
      typed.insert(typed.begin() + (std::find(edges.begin(), edges.end(), edgeBefore(at)) - edges.begin()), u"x");
      EXPECT_EQ(clustertest::ClustersOf(units()), typed) << "x at " << at;
    }
  }
}

// A long plain text, as a pasted text of 9,000 paragraphs is: one run of
// characters from its start to its end. Each key at its end, at its start
// and in its middle does what it does in a short text, a surrogate pair
// beside the caret included (a step never lands between its halves).
TEST_F(KeyTest, EachCaretKeyInAPlainTextOfNineThousandParagraphsGivesItsPosition) {
  const std::u16string pair = u"\U0001D11E";
  std::u16string plain;
  for (int i = 0; i < 9000; ++i) {
    const std::string line = "Item " + std::to_string(i) + ": the committee agreed on the minutes" +
                             std::string(size_t(i % 7) * 6, 'x') + "\r";
    plain.append(line.begin(), line.end());
    if (i == 4500) plain += pair + u"mid" + pair;
  }
  plain += u"last" + pair;
  std::vector<uint8_t> bytes(2 * plain.size());
  for (size_t i = 0; i < plain.size(); ++i) PutStreamUnit(&bytes[2 * i], plain[i]);
  document->GetUndo()->Suspend();
  Text()->InsertBytes(0u, bytes.data(), uint32_t(bytes.size()));
  Text()->SetLength(int32_t(plain.size()));
  document->GetUndo()->Resume();
  if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
  const int32_t end = int32_t(plain.size());
  const int32_t mid = int32_t(plain.find(u"mid")) + 3;  // between "mid" and the pair after it
  ASSERT_EQ(Text()->GetLength(), end);
  struct Row {
    int32_t caret;
    int16_t key;
    int modifiers;
    Pair selection;
    int32_t length;  // of the text after the key
  };
  const int32_t word = int32_t(plain.rfind(u"minutes"));
  const Row rows[] = {
      // At the end, after a pair.
      {end, kKeyLeft, 0, {end - 2, end - 2}, end},
      {end, kKeyLeft, kShift, {end - 2, end}, end},
      {end, kKeyBackspace, 0, {end - 2, end - 2}, end - 2},
      {end, kKeyRight, 0, {end, end}, end},
      {end, kKeyDelete, 0, {end, end}, end},
      {end - 2, kKeyRight, 0, {end, end}, end},
      {end - 2, kKeyRight, kShift, {end - 2, end}, end},
      {end - 2, kKeyDelete, 0, {end - 2, end - 2}, end - 2},
      {end - 7, kKeyLeft, kCmd, {word, word}, end},
      // At the start.
      {0, kKeyRight, 0, {1, 1}, end},
      {0, kKeyRight, kShift, {0, 1}, end},
      {0, kKeyDelete, 0, {0, 0}, end - 1},
      {0, kKeyLeft, 0, {0, 0}, end},
      {0, kKeyBackspace, 0, {0, 0}, end},
      {0, kKeyRight, kCmd, {5, 5}, end},
      {1, kKeyLeft, 0, {0, 0}, end},
      {1, kKeyBackspace, 0, {0, 0}, end - 1},
      // In the middle, with a pair on each side of the caret's neighbours.
      {mid, kKeyRight, 0, {mid + 2, mid + 2}, end},
      {mid, kKeyRight, kShift, {mid, mid + 2}, end},
      {mid, kKeyDelete, 0, {mid, mid}, end - 2},
      {mid, kKeyLeft, 0, {mid - 1, mid - 1}, end},
      {mid, kKeyLeft, kShift, {mid - 1, mid}, end},
      {mid, kKeyBackspace, 0, {mid - 1, mid - 1}, end - 1},
      {mid - 3, kKeyLeft, 0, {mid - 5, mid - 5}, end},
      {mid - 3, kKeyLeft, kShift, {mid - 5, mid - 3}, end},
      {mid - 3, kKeyBackspace, 0, {mid - 5, mid - 5}, end - 2},
      {mid - 5, kKeyRight, 0, {mid - 3, mid - 3}, end},
      {mid - 5, kKeyDelete, 0, {mid - 5, mid - 5}, end - 2},
  };
  for (const Row& row : rows) {
    Caret(row.caret);
    Press(row.key, row.modifiers);
    EXPECT_EQ(Sel(), row.selection) << row.caret << " key " << row.key << " modifiers " << row.modifiers;
    EXPECT_EQ(Text()->GetLength(), row.length) << row.caret << " key " << row.key;
    if (Text()->GetLength() != end) {
      document->GetUndo()->Commit();
      document->Undo();
    }
    ASSERT_EQ(Text()->GetLength(), end) << "undone";
  }
}

}  // namespace
