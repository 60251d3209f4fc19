// xMorvaUndo: steps, byte records and groups recorded from a small engine,
// coalesced, undone and redone; a buffer that cannot grow; cancelled and
// abandoned steps.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaUndo.h"
#include "document/xMorvaUndoEngine.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "graphics/VShape.h"

namespace {

constexpr int32_t kStep = int32_t(xMorvaUndo::kStepRecordSize);
constexpr int32_t kBytes = int32_t(xMorvaUndo::kByteRecordOverhead);
constexpr int32_t kMarker = int32_t(xMorvaUndo::kGroupMarkerSize);

// An engine whose positions are its bytes: one character a byte. Its edits
// report themselves to the undo history, as the text engine's do.
class TestEngine : public xMorvaUndoEngine {
 public:
  explicit TestEngine(xMorvaUndo& undo) : fUndo(undo) {}

  int32_t GetLength() const override { return length; }
  void SetLength(int32_t value) override { length = value; }
  void GetSelection(int32_t& start, int32_t& end) const override {
    start = selStart;
    end = selEnd;
  }
  void SetSelection(int32_t start, int32_t end) override {
    selStart = start;
    selEnd = end;
  }
  int32_t InsertBytes(int32_t offset, int32_t n) override {
    if (failInsert) return 1041;
    log.push_back("+" + std::to_string(offset) + "," + std::to_string(n));
    text.insert(size_t(offset), size_t(n), '?');
    return 0;
  }
  void DeleteBytes(int32_t offset, int32_t n) override {
    log.push_back("-" + std::to_string(offset) + "," + std::to_string(n));
    text.erase(size_t(offset), size_t(n));
  }
  uint8_t* LockStream() override { return reinterpret_cast<uint8_t*>(text.data()); }
  void UnlockStream() override {}
  void RecomposeRange(int32_t first, int32_t last) override { recomposed.emplace_back(first, last); }

  // ---- Edits as the engine makes them.
  void Insert(int32_t offset, const std::string& bytes) {
    text.insert(size_t(offset), bytes);
    length += int32_t(bytes.size());
    fUndo.RecordStreamChange(kUndoInsertion, offset, reinterpret_cast<const uint8_t*>(bytes.data()),
                             int32_t(bytes.size()));
  }
  void Delete(int32_t offset, int32_t n) {
    const std::string gone = text.substr(size_t(offset), size_t(n));
    text.erase(size_t(offset), size_t(n));
    length -= n;
    fUndo.RecordStreamChange(kUndoDeletion, offset, reinterpret_cast<const uint8_t*>(gone.data()), n);
  }
  void Type(char c) {
    fUndo.BeginStep(*this, kUndoTyping, 0);
    Insert(selStart, std::string(1, c));
    selStart = selEnd = selStart + 1;
    fUndo.EndStep();
  }
  void Paste(const std::string& bytes) {
    fUndo.BeginStep(*this, kUndoPaste, 0);
    if (selEnd > selStart) Delete(selStart, selEnd - selStart);
    Insert(selStart, bytes);
    selStart = selEnd = selStart + int32_t(bytes.size());
    fUndo.EndStep();
  }
  void Select(int32_t start, int32_t end) {
    selStart = start;
    selEnd = end;
  }

  std::string text;
  int32_t length = 0;
  int32_t selStart = 0;
  int32_t selEnd = 0;
  bool failInsert = false;
  std::vector<std::string> log;
  std::vector<std::pair<int32_t, int32_t>> recomposed;

 private:
  xMorvaUndo& fUndo;
};

struct UndoSetup {
  FakeDocument document;
  FakeAreaServices area;
  xMorvaUndo undo{document};
  TestEngine engine{undo};
};

struct UndoFixture : ::testing::Test, UndoSetup {};

}  // namespace

using UndoSteps = UndoFixture;

TEST_F(UndoSteps, TypingAtOneCaretIsOneStepWithOneInsertion) {
  engine.Type('a');
  engine.Type('b');
  engine.Type('c');
  EXPECT_EQ(engine.text, "abc");
  EXPECT_TRUE(undo.IsStepPending());
  // Begin record and one open insertion of 3 bytes (its tail not yet written).
  EXPECT_EQ(undo.GetEnd(), kStep + 10 + 3);
  undo.Commit();
  EXPECT_EQ(undo.GetEnd(), kStep + kBytes + 3 + kStep);
  EXPECT_EQ(undo.GetPosition(), undo.GetEnd());
  EXPECT_EQ(document.modified, 3);

  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_EQ(engine.length, 0);
  EXPECT_EQ(engine.selStart, 0);
  EXPECT_EQ(engine.selEnd, 0);
  EXPECT_EQ(engine.log, (std::vector<std::string>{"-0,3"}));
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_TRUE(undo.CanRedo());
}

TEST_F(UndoSteps, TypingAfterMovingTheCaretIsASecondStep) {
  engine.Type('a');
  engine.Type('b');
  engine.Select(0, 0);
  engine.Type('x');
  EXPECT_EQ(engine.text, "xab");
  undo.Undo();
  EXPECT_EQ(engine.text, "ab");
  EXPECT_EQ(engine.selStart, 0);
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(UndoSteps, OtherStepsAreCommittedAtOnce) {
  engine.Paste("hello");
  EXPECT_FALSE(undo.IsStepPending());
  EXPECT_EQ(undo.GetEnd(), 2 * kStep + kBytes + 5);
  // Typing after a paste is a step of its own.
  engine.Type('!');
  undo.Undo();
  EXPECT_EQ(engine.text, "hello");
  undo.Undo();
  EXPECT_EQ(engine.text, "");
}

TEST_F(UndoSteps, InsertionThenDeletionInOneStepUndoTheDeletionFirst) {
  engine.text = "0123456789";
  engine.length = 10;
  undo.BeginStep(engine, kUndoPaste, 0);
  engine.Insert(2, "AB");
  engine.Delete(6, 3);  // "456" of the shifted text
  undo.EndStep();
  EXPECT_EQ(engine.text, "01AB23789");
  EXPECT_EQ(undo.GetEnd(), 2 * kStep + 2 * kBytes + 2 + 3);
  undo.Undo();
  EXPECT_EQ(engine.text, "0123456789");
  EXPECT_EQ(engine.length, 10);
  EXPECT_EQ(engine.log, (std::vector<std::string>{"+6,3", "-2,2"}));
  ASSERT_EQ(engine.recomposed.size(), 1u);
  EXPECT_EQ(engine.recomposed[0], (std::pair<int32_t, int32_t>{2, 9}));
  undo.Redo();
  EXPECT_EQ(engine.text, "01AB23789");
  EXPECT_EQ(engine.length, 9);
}

TEST_F(UndoSteps, InsertionsCoalesceOnlyAtTheOpenRecordsEnd) {
  undo.BeginStep(engine, kUndoPaste, 0);
  engine.Insert(0, "ab");
  engine.Insert(2, "cd");  // joins
  engine.Insert(0, "X");   // elsewhere: a new record
  undo.EndStep();
  EXPECT_EQ(engine.text, "Xabcd");
  EXPECT_EQ(undo.GetEnd(), 2 * kStep + 2 * kBytes + 4 + 1);
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_EQ(engine.log, (std::vector<std::string>{"-0,1", "-0,4"}));
}

TEST_F(UndoSteps, UndoAndRedoRestoreTextLengthAndSelection) {
  engine.Paste("one ");
  engine.Paste("two ");
  engine.Select(0, 3);
  engine.Paste("ONE");
  const std::string after = engine.text;
  EXPECT_EQ(after, "ONE two ");
  undo.Undo();
  EXPECT_EQ(engine.text, "one two ");
  EXPECT_EQ(engine.selStart, 0);
  EXPECT_EQ(engine.selEnd, 3);
  undo.Undo();
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_FALSE(undo.CanUndo());
  undo.Undo();  // nothing left: nothing happens
  EXPECT_EQ(engine.text, "");
  undo.Redo();
  undo.Redo();
  undo.Redo();
  EXPECT_EQ(engine.text, after);
  EXPECT_EQ(engine.length, 8);
  EXPECT_EQ(engine.selStart, 3);
  EXPECT_FALSE(undo.CanRedo());
  undo.Redo();  // at the end: nothing happens
  EXPECT_EQ(engine.text, after);
  EXPECT_EQ(document.changesBegun, 6);
  EXPECT_EQ(document.changesEnded, 6);
  EXPECT_EQ(document.currentPart, &engine);
}

TEST_F(UndoSteps, ANewStepAfterUndoDropsTheRedoPart) {
  engine.Paste("a");
  engine.Paste("b");
  undo.Undo();
  ASSERT_TRUE(undo.CanRedo());
  engine.Paste("c");
  EXPECT_FALSE(undo.CanRedo());
  EXPECT_EQ(engine.text, "ac");
  undo.Undo();
  undo.Undo();
  EXPECT_EQ(engine.text, "");
}

TEST_F(UndoSteps, EachStepGoesBackToItsOwnEngine) {
  TestEngine header(undo);
  engine.Paste("body");
  header.Paste("head");
  undo.Undo();
  EXPECT_EQ(document.currentPart, &header);
  EXPECT_EQ(header.text, "");
  EXPECT_EQ(engine.text, "body");
  undo.Undo();
  EXPECT_EQ(document.currentPart, &engine);
  EXPECT_EQ(engine.text, "");
  undo.Redo();
  EXPECT_EQ(document.currentPart, &engine);
  EXPECT_EQ(engine.text, "body");
}

TEST_F(UndoSteps, AStepOpenedInsideAStepJoinsIt) {
  undo.BeginStep(engine, kUndoParagraphFormat, 0);
  engine.Insert(0, "x");
  undo.BeginStep(engine, kUndoProperty, 15);
  engine.Insert(1, "y");
  undo.EndStep();
  EXPECT_TRUE(undo.IsStepOpen());
  engine.Insert(2, "z");
  undo.EndStep();
  EXPECT_FALSE(undo.IsStepOpen());
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(UndoSteps, NothingIsRecordedWithoutAnOpenStep) {
  engine.Insert(0, "free");
  EXPECT_EQ(undo.GetEnd(), 0);
  undo.EndStep();
  EXPECT_EQ(undo.GetEnd(), 0);
}

// ---- Groups

using UndoGroups = UndoFixture;

TEST_F(UndoGroups, OneUndoTakesBackTheWholeGroup) {
  engine.Paste("keep ");
  const int32_t before = undo.GetEnd();
  undo.BeginGroup(kUndoGroupReplaceAll);
  engine.Paste("1");
  engine.Paste("2");
  engine.Type('3');
  undo.EndGroup();
  // Two markers around three steps; the typing was committed before the
  // closing marker.
  EXPECT_EQ(undo.GetEnd(), before + kMarker + 6 * kStep + 3 * kBytes + 3 + kMarker);
  EXPECT_FALSE(undo.IsStepPending());
  undo.Undo();
  EXPECT_EQ(engine.text, "keep ");
  EXPECT_EQ(undo.GetPosition(), before);  // before the opening marker
  undo.Redo();
  EXPECT_EQ(engine.text, "keep 123");
  EXPECT_EQ(undo.GetPosition(), undo.GetEnd());
  undo.Undo();
  undo.Undo();
  EXPECT_EQ(engine.text, "");
}

TEST_F(UndoGroups, AnEmptyGroupWritesNoMarkers) {
  engine.Paste("text");
  const int32_t before = undo.GetEnd();
  undo.BeginGroup(kUndoGroupAllParts);
  undo.EndGroup();
  EXPECT_EQ(undo.GetEnd(), before);
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(UndoGroups, AGroupInsideAGroupJoinsIt) {
  undo.BeginGroup(kUndoGroupAllParts);
  engine.Paste("a");
  undo.BeginGroup(kUndoGroupStyleSheet);
  engine.Paste("b");
  undo.EndGroup();
  engine.Paste("c");
  undo.EndGroup();
  EXPECT_EQ(undo.GetEnd(), kMarker + 6 * kStep + 3 * kBytes + 3 + kMarker);
  bool enabled = false;
  int16_t list = 0;
  int16_t item = 0;
  undo.GetUndoItemText(enabled, list, item);
  EXPECT_EQ(item, 15);
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(UndoGroups, AGroupOverSeveralPartsEndsInThePartCurrentWhenItWasMade) {
  TestEngine footer(undo);
  document.currentPage = 3;  // the user is in the body, page 3
  document.currentPart = &engine;
  undo.BeginGroup(kUndoGroupStyleSheet);
  engine.Paste("1");
  document.currentPart = &footer;
  footer.Paste("2");
  undo.EndGroup();
  for (bool redo : {false, true}) {
    document.currentPart = &footer;
    document.currentPage = 0;
    redo ? undo.Redo() : undo.Undo();
    EXPECT_EQ(footer.text, redo ? "2" : "") << redo;
    EXPECT_EQ(document.currentPart, &engine) << redo;
    EXPECT_EQ(document.currentPage, 3) << redo;
  }
}

TEST_F(UndoGroups, UndoWaitsUntilTheGroupIsClosed) {
  undo.BeginGroup(kUndoGroupReplaceAll);
  engine.Paste("a");
  undo.Undo();
  EXPECT_EQ(engine.text, "a");
  undo.EndGroup();
  undo.Undo();
  EXPECT_EQ(engine.text, "");
}

// ---- Cancelling, clearing and suspending

using UndoFailures = UndoFixture;

TEST_F(UndoFailures, CancelStepTakesBackItsChangesAndTellsTheUser) {
  engine.Paste("base");
  const int32_t before = undo.GetEnd();
  engine.Select(1, 3);
  undo.BeginStep(engine, kUndoDelete, 0);
  engine.Delete(1, 2);
  engine.Insert(1, "xyz");  // left open
  engine.Select(4, 4);
  undo.CancelStep();
  EXPECT_EQ(engine.text, "base");
  EXPECT_EQ(engine.length, 4);
  EXPECT_EQ(engine.selStart, 1);
  EXPECT_EQ(engine.selEnd, 3);
  EXPECT_FALSE(undo.IsStepOpen());
  EXPECT_EQ(undo.GetEnd(), before);
  EXPECT_EQ(undo.GetPosition(), before);
  EXPECT_EQ(area.alerts, (std::vector<std::pair<int16_t, int16_t>>{{kAlertListOffset, 1}}));
  // The history before it stands.
  undo.Undo();
  EXPECT_EQ(engine.text, "");
}

// Typing that goes on from a pending typing step and is then given up takes
// back only its own keystroke, whether the insertion it grew is still open
// or was closed by a later change of the same step.
TEST_F(UndoFailures, CancellingContinuedTypingKeepsTheEarlierKeystrokes) {
  for (const bool closed : {false, true}) {
    SCOPED_TRACE(closed);
    UndoSetup f;
    f.engine.Type('a');
    f.engine.Type('b');
    const int32_t before = f.undo.GetEnd();
    f.undo.BeginStep(f.engine, kUndoTyping, 0);
    f.engine.Insert(2, "c");
    if (closed) f.engine.Delete(0, 1);
    f.engine.Select(3, 3);
    f.undo.CancelStep();
    EXPECT_EQ(f.engine.text, "ab");
    EXPECT_EQ(f.engine.selStart, 2);
    EXPECT_EQ(f.undo.GetEnd(), before);
    EXPECT_TRUE(f.undo.IsStepPending());
    // Typing on still joins the same step, and one undo takes all of it.
    f.engine.Type('d');
    EXPECT_EQ(f.engine.text, "abd");
    f.undo.Undo();
    EXPECT_EQ(f.engine.text, "");
    f.undo.Redo();
    EXPECT_EQ(f.engine.text, "abd");
  }
}

TEST_F(UndoFailures, CancellingTheFirstStepOfAGroupLeavesNoEmptyGroup) {
  engine.Paste("p");
  const int32_t before = undo.GetEnd();
  undo.BeginGroup(kUndoGroupReplaceAll);
  undo.BeginStep(engine, kUndoFindReplace, 0);
  engine.Insert(0, "q");
  undo.CancelStep();
  undo.EndGroup();
  EXPECT_EQ(undo.GetEnd(), before);
  undo.Undo();
  EXPECT_EQ(engine.text, "");
}

TEST_F(UndoFailures, ABufferThatCannotGrowMidStepDropsTheHistoryAndTheStep) {
  engine.Paste("abc");
  ScopedFailingMemoryMgr memory;
  memory->failResize = true;
  undo.BeginStep(engine, kUndoPaste, 0);
  engine.Insert(3, std::string(xMorvaUndo::kInitialBufferSize, 'z'));
  EXPECT_EQ(area.alerts, (std::vector<std::pair<int16_t, int16_t>>{{kAlertListOffset, 2}}));
  EXPECT_FALSE(undo.IsStepOpen());
  EXPECT_EQ(undo.GetEnd(), 0);
  // The rest of the edit is not recorded and its end changes nothing.
  engine.Insert(0, "more");
  undo.EndStep();
  EXPECT_EQ(undo.GetEnd(), 0);
  EXPECT_FALSE(undo.CanUndo());
  undo.Undo();
  EXPECT_EQ(engine.text.size(), 3u + xMorvaUndo::kInitialBufferSize + 4u);
  // Once memory is there again, editing records as before.
  memory->failResize = false;
  engine.Select(0, 0);
  engine.Paste("new");
  undo.Undo();
  EXPECT_EQ(engine.text.substr(0, 4), "more");
  EXPECT_EQ(area.alerts.size(), 1u);
}

TEST_F(UndoFailures, ClearDuringAStepAbandonsIt) {
  undo.BeginStep(engine, kUndoPaste, 0);
  engine.Insert(0, "abc");
  undo.Clear(false);
  EXPECT_FALSE(undo.IsStepOpen());
  engine.Insert(3, "def");
  undo.EndStep();
  EXPECT_EQ(undo.GetEnd(), 0);
  EXPECT_TRUE(area.alerts.empty());
  engine.Paste("!");
  undo.Undo();
  EXPECT_EQ(engine.text, "abcdef");
}

TEST_F(UndoFailures, ClearingInsideAGroupLeavesNoLoneMarker) {
  undo.BeginGroup(kUndoGroupReplaceAll);
  engine.Paste("a");
  undo.Clear(true);
  engine.Paste("b");
  undo.EndGroup();
  EXPECT_EQ(undo.GetEnd(), kMarker + 2 * kStep + kBytes + 1 + kMarker);
  undo.Undo();
  EXPECT_EQ(engine.text, "a");
  EXPECT_FALSE(undo.CanUndo());
}

TEST_F(UndoFailures, AnEngineThatCannotGrowDuringUndoDropsTheHistory) {
  engine.Paste("abcdef");
  engine.Select(0, 3);
  undo.BeginStep(engine, kUndoDelete, 0);
  engine.Delete(0, 3);
  undo.EndStep();
  engine.failInsert = true;
  undo.Undo();
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_FALSE(undo.CanRedo());
  EXPECT_EQ(area.alerts, (std::vector<std::pair<int16_t, int16_t>>{{kAlertListOffset, 2}}));
  EXPECT_EQ(document.changesBegun, document.changesEnded);
  // Recording is on again.
  engine.failInsert = false;
  engine.Paste("x");
  EXPECT_TRUE(undo.CanUndo());
}

TEST_F(UndoFailures, WhileSuspendedStepsOnlyMarkTheDocumentModified) {
  engine.Paste("a");
  undo.Suspend();
  EXPECT_FALSE(undo.IsRecording());
  EXPECT_EQ(undo.GetEnd(), 0);
  const int modified = document.modified;
  engine.Paste("b");
  EXPECT_EQ(document.modified, modified + 1);
  EXPECT_EQ(undo.GetEnd(), 0);
  undo.Undo();
  EXPECT_EQ(engine.text, "ab");
  undo.BeginGroup(kUndoGroupReplaceAll);
  undo.EndGroup();
  EXPECT_EQ(undo.GetEnd(), 0);
  undo.Resume();
  EXPECT_TRUE(undo.IsRecording());
  engine.Paste("c");
  undo.Undo();
  EXPECT_EQ(engine.text, "ab");
  EXPECT_TRUE(area.alerts.empty());
}

// ---- Wording

using UndoWording = UndoFixture;

TEST_F(UndoWording, NothingToUndoOrRedo) {
  bool enabled = true;
  int16_t list = 0;
  int16_t item = 0;
  undo.GetUndoItemText(enabled, list, item);
  EXPECT_FALSE(enabled);
  EXPECT_EQ(list, 4);
  EXPECT_EQ(item, 3);
  undo.GetRedoItemText(enabled, list, item);
  EXPECT_FALSE(enabled);
  EXPECT_EQ(item, 4);
}

TEST_F(UndoWording, TheStepBeforeAndAfterTheCursorNamesTheItem) {
  struct Case {
    uint16_t kind;
    uint16_t value;
    int16_t list;
    int16_t item;
  };
  const Case cases[] = {{kUndoProperty, 8, 1, 9},          {kUndoParagraphFormat, 0, 4, 8},
                        {kUndoTabs, 0, 4, 10},             {kUndoSpecialElement, 16001, 2, 2},
                        {kUndoSpecialElement, 24004, 3, 5}, {kUndoTyping, 0, 4, 5},
                        {kUndoPaste, 0, 4, 7},             {kUndoDelete, 0, 4, 6},
                        {kUndoNoWording, 0, 0, 0},         {kUndoCaseChange, 0, 4, 9},
                        {kUndoFreezeComputed, 0, 4, 11},   {kUndoFindReplace, 0, 4, 12},
                        {kUndoPictureSize, 0, 4, 13},      {kUndoPictureSize, kUndoValuePictureMoved, 4, 17}};
  for (const Case& c : cases) {
    undo.BeginStep(engine, c.kind, c.value);
    engine.Insert(engine.length, "x");
    undo.EndStep();
    bool enabled = false;
    int16_t list = -1;
    int16_t item = -1;
    undo.GetUndoItemText(enabled, list, item);  // pending typing, or before the cursor
    EXPECT_TRUE(enabled);
    EXPECT_EQ(list, c.list) << c.kind;
    EXPECT_EQ(item, c.item) << c.kind;
    undo.Undo();
    undo.GetRedoItemText(enabled, list, item);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(list, c.list) << c.kind;
    EXPECT_EQ(item, c.item) << c.kind;
    undo.Redo();
    undo.GetUndoItemText(enabled, list, item);
    EXPECT_EQ(item, c.item) << c.kind;
  }
}

TEST_F(UndoWording, AGroupIsNamedByItsKind) {
  for (uint16_t kind : {kUndoGroupReplaceAll, kUndoGroupAllParts, kUndoGroupStyleSheet}) {
    undo.BeginGroup(kind);
    engine.Paste("g");
    undo.EndGroup();
    bool enabled = false;
    int16_t list = 0;
    int16_t item = 0;
    undo.GetUndoItemText(enabled, list, item);
    EXPECT_EQ(list, 4);
    EXPECT_EQ(item, kind);
    undo.Undo();
    undo.GetRedoItemText(enabled, list, item);
    EXPECT_EQ(item, kind);
    undo.Redo();
  }
}

// ---- Pictures placed on pages: their box before and after in one step.

using UndoPagePictures = UndoFixture;

namespace {

constexpr int32_t kBox = int32_t(xMorvaUndo::kBoxRecordSize);
using Box = std::vector<int32_t>;

void MovePicture(UndoSetup& s, uint16_t value, int32_t id, const Box& from, const Box& to) {
  s.document.pictureBoxes[id] = to;
  s.undo.BeginStep(s.engine, kUndoPictureSize, value);
  s.undo.RecordPagePictureBox(id, VRect(from[0], from[1], from[2], from[3]), VRect(to[0], to[1], to[2], to[3]));
  s.undo.EndStep();
}

}  // namespace

TEST_F(UndoPagePictures, AMoveIsOneStepThatUndoAndRedoPutBack) {
  MovePicture(*this, kUndoValuePictureMoved, 300, {50, 60, 40, 30}, {75, 75, 40, 30});
  EXPECT_EQ(undo.GetEnd(), kStep + kBox + kStep);
  EXPECT_FALSE(undo.IsStepPending());
  bool enabled = false;
  int16_t list = 0;
  int16_t item = 0;
  undo.GetUndoItemText(enabled, list, item);
  EXPECT_EQ(item, 17);

  undo.Undo();
  EXPECT_EQ(document.pictureBoxes[300], (Box{50, 60, 40, 30}));
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_TRUE(engine.log.empty());  // the text was not touched
  undo.Redo();
  EXPECT_EQ(document.pictureBoxes[300], (Box{75, 75, 40, 30}));
  EXPECT_EQ(undo.GetPosition(), undo.GetEnd());
}

TEST_F(UndoPagePictures, AResizeBetweenTypingIsItsOwnStep) {
  engine.Type('a');
  MovePicture(*this, 0, 7, {10, 10, 40, 30}, {10, 10, 60, 45});
  engine.Select(1, 1);
  engine.Type('b');
  undo.Undo();
  EXPECT_EQ(engine.text, "a");
  EXPECT_EQ(document.pictureBoxes[7], (Box{10, 10, 60, 45}));
  undo.Undo();
  EXPECT_EQ(document.pictureBoxes[7], (Box{10, 10, 40, 30}));
  EXPECT_EQ(engine.text, "a");
  undo.Undo();
  EXPECT_EQ(engine.text, "");
  undo.Redo();
  undo.Redo();
  undo.Redo();
  EXPECT_EQ(engine.text, "ab");
  EXPECT_EQ(document.pictureBoxes[7], (Box{10, 10, 60, 45}));
}

// A step whose picture placed on a page is gone since changes nothing: undo
// passes over it to the typing before it, redo (which does not bring the
// picture back) to the typing after it, and the history stays whole.
TEST_F(UndoPagePictures, AStepWhosePictureIsGoneIsPassedOver) {
  const std::vector<uint8_t> picture{1, 2, 3};
  for (bool placed : {false, true}) {
    SCOPED_TRACE(placed ? "placed, then gone" : "moved, then gone");
    UndoSetup s;
    s.engine.Type('a');
    if (placed) {
      s.document.pagePictures[300] = picture;
      s.undo.RecordPagePicture(s.engine, kUndoPaste, 300, nullptr, &picture);
      s.document.pagePictures.clear();
    } else {
      MovePicture(s, kUndoValuePictureMoved, 300, {0, 0, 8, 8}, {5, 5, 8, 8});
      s.document.pictureBoxes.clear();
    }
    s.engine.Select(1, 1);
    s.engine.Type('b');
    auto step = [&](bool back) {
      back ? s.undo.Undo() : s.undo.Redo();
      return s.engine.text;
    };
    EXPECT_EQ(step(true), "a");
    EXPECT_EQ(step(true), "");
    EXPECT_FALSE(s.undo.CanUndo());
    EXPECT_TRUE(s.area.alerts.empty());
    EXPECT_EQ(step(false), "a");
    EXPECT_EQ(step(false), "ab");
    EXPECT_FALSE(s.undo.CanRedo());
    // Found gone once, the picture is not brought back by a redo.
    EXPECT_TRUE(s.document.pagePictures.empty() && s.document.pictureBoxes.empty());
  }
}

TEST_F(UndoPagePictures, ACancelledStepPutsTheBoxBackAndNothingIsKeptUnrecorded) {
  document.pictureBoxes[3] = {1, 2, 30, 40};
  undo.BeginStep(engine, kUndoPictureSize, 0);
  undo.RecordPagePictureBox(3, VRect(9, 9, 20, 20), VRect(1, 2, 30, 40));
  undo.CancelStep();
  EXPECT_EQ(document.pictureBoxes[3], (Box{9, 9, 20, 20}));
  EXPECT_EQ(undo.GetEnd(), 0);
  // Without an open step, or while suspended, nothing is written.
  undo.RecordPagePictureBox(3, VRect(0, 0, 8, 8), VRect(1, 1, 8, 8));
  EXPECT_EQ(undo.GetEnd(), 0);
  undo.Suspend();
  MovePicture(*this, 0, 3, {0, 0, 8, 8}, {1, 1, 8, 8});
  EXPECT_EQ(undo.GetEnd(), 0);
}

// ---- Style sheets: the sheet as its text carried it, with the text again.

TEST_F(UndoFixture, OneUndoGivesBackTheSheetWithItsTextAndRedoBoth) {
  using State = std::vector<uint8_t>;
  struct Case {
    const char* what;
    int noted;           // before the change: 1 noted, 0 not, -1 noted and the history cleared
    bool before, after;  // the sheet exists before, after
    State first, changed;
    int32_t records;  // sheet records written
  };
  const Case cases[] = {
      {"changed", 1, true, true, {12}, {13, 1, 2}, 1},
      {"deleted", 1, true, false, {12}, {}, 1},
      {"made", 1, false, true, {}, {7}, 1},
      {"changed back", 1, true, true, {12}, {12}, 0},
      {"not noted", 0, true, true, {12}, {13}, 0},
      {"noted, then cleared", -1, true, true, {12}, {13}, 0},
  };
  for (const Case& c : cases) {
    UndoSetup s;
    if (c.before) s.document.styleSheets[5] = c.first;
    if (c.noted != 0) s.undo.NoteStyleSheet(5);
    if (c.noted < 0) s.undo.Clear(false);
    if (c.after) s.document.styleSheets[5] = c.changed;
    if (!c.after) s.document.styleSheets.erase(5);
    s.undo.NoteStyleSheet(5);  // a second change keeps the first state
    s.undo.BeginGroup(kUndoGroupStyleSheet);
    s.undo.RecordStyleSheet(s.engine, 5);
    s.engine.Paste("x");
    s.undo.EndGroup();
    const int32_t sheet = c.records * (2 * kStep + int32_t(xMorvaUndo::kSheetRecordOverhead) +
                                       int32_t(c.before ? c.first.size() : 0) +
                                       int32_t(c.after ? c.changed.size() : 0));
    EXPECT_EQ(s.undo.GetEnd(), kMarker + 2 * kStep + kBytes + 1 + kMarker + sheet) << c.what;
    s.undo.Undo();
    EXPECT_EQ(s.engine.text, "") << c.what;
    const bool back = c.records > 0 ? c.before : c.after;
    EXPECT_EQ(s.document.styleSheets.count(5), back ? 1u : 0u) << c.what;
    if (back) {
      EXPECT_EQ(s.document.styleSheets[5], c.records > 0 ? c.first : c.changed) << c.what;
    }
    s.undo.Redo();
    EXPECT_EQ(s.engine.text, "x") << c.what;
    EXPECT_EQ(s.document.styleSheets.count(5), c.after ? 1u : 0u) << c.what;
  }
}
