// The position walk resumes from the marks it left behind it. Over a long
// random text edited here and there (typing, deletions, property runs,
// paragraph ends), every selection must come out as the walk from the
// text's start makes it: the same offsets, paragraph and word bounds and
// properties as an engine that walks the same bytes afresh.
#include "engine/tests/WalkFixture.h"

#include <cstring>
#include <random>

namespace {

Bytes LongRandomText(std::mt19937& random, int32_t paragraphs) {
  auto pick = [&](int n) { return int(random() % uint32_t(n)); };
  Stream s;
  for (int p = 0; p < paragraphs; ++p) {
    if (pick(3) == 0) s.Record(kPropAlignment, pick(4));
    if (pick(4) == 0) s.Tab(int16_t(20 * (1 + pick(6))), uint8_t(1 + pick(3)));
    const int words = 5 + pick(60);
    for (int w = 0; w < words; ++w) {
      if (pick(9) == 0) s.Record(kPropBold, pick(2));
      if (pick(17) == 0) s.Record(kPropSize, 9 + pick(5));
      if (pick(40) == 0) s.Element(xMorvaElementCode::SoftHyphen, Stream().Unit(173), 2);
      const int letters = 1 + pick(9);
      for (int i = 0; i < letters; ++i) s.Unit(char16_t(u'a' + pick(26)));
      s.Unit(u' ');
    }
    if (pick(25) == 0)
      s.Element(xMorvaElementCode::PageBreak, Stream().Unit(13));
    else
      s.Unit(13);
  }
  return s;
}

class WalkMarksTest : public WalkFixture {};

TEST_F(WalkMarksTest, SelectionsFromTheMarksEqualWalksFromTheStart) {
  std::mt19937 random(77);
  Load(LongRandomText(random, 220));
  ASSERT_GT(engine.GetLength(), 8 * xMorvaEngine::kMarkSpacing);
  auto anywhere = [&]() { return int32_t(random() % uint32_t(engine.GetLength() + 1)); };
  for (int step = 0; step < 120; ++step) {
    const std::string where = "step " + std::to_string(step);
    // A few selections anywhere, near marks and at the ends too.
    for (int i = 0; i < 4; ++i) {
      const int32_t start = anywhere();
      ExpectSelectedAlike(start, std::min(engine.GetLength(), start + int32_t(random() % 300)), where);
    }
    const int32_t mark = xMorvaEngine::kMarkSpacing * int32_t(1 + random() % 6);
    ExpectSelectedAlike(mark, mark, where);
    ExpectSelectedAlike(mark + 1, mark + 1, where);
    ExpectSelectedAlike(engine.GetLength(), engine.GetLength(), where);
    // An edit somewhere.
    const int32_t at = anywhere();
    engine.SetSelection(at, std::min(engine.GetLength(), at + int32_t(random() % 40)));
    switch (random() % 6) {
      case 0: ASSERT_EQ(0, engine.TypeCharacterWithUndo(char16_t(u'a' + random() % 26))); break;
      case 1: ASSERT_EQ(0, engine.TypeCharacterWithUndo(u' ')); break;
      case 2: ASSERT_EQ(0, engine.InsertParagraphEndWithUndo()); break;
      case 3: ASSERT_EQ(0, engine.DeleteSelectionWithUndo()); break;
      case 4: ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropBold, int32_t(random() % 2))); break;
      default: ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropAlignment, int32_t(random() % 4))); break;
    }
    undo.Commit();
    if (step % 10 == 9) {
      // Undo takes edits back through the byte primitives.
      undo.Undo();
      ExpectSelectedAlike(anywhere(), anywhere(), where + " undone");
    }
  }
}

// A caret set again at or past the place the last walk stopped walks on
// from there, the way a reader appends text and sets the caret after it:
// after an edit at the caret, or one before it, each selection must still
// come out as a walk from the start makes it.
TEST_F(WalkMarksTest, SelectionsAfterTheLastStopEqualWalksFromTheStart) {
  std::mt19937 random(78);
  Load(LongRandomText(random, 60));
  auto anywhere = [&]() { return int32_t(random() % uint32_t(engine.GetLength() + 1)); };
  for (int step = 0; step < 200; ++step) {
    const std::string where = "step " + std::to_string(step);
    const int32_t caret = step % 4 == 0 ? engine.GetLength() : anywhere();
    engine.SetSelection(caret, caret);
    switch (step % 8) {
      case 0: ASSERT_EQ(0, engine.TypeCharacterWithUndo(char16_t(u'a' + random() % 26))); break;
      case 1: ASSERT_EQ(0, engine.InsertParagraphEndWithUndo()); break;
      case 2: ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropBold, int32_t(random() % 2))); break;
      case 3: ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropAlignment, int32_t(random() % 4))); break;
      case 4: {
        // Text with records of its own, inserted at the caret.
        const Bytes bytes = Stream().Record(kPropItalic, 1).Unit(u'x').Unit(13).Record(kPropItalic, 0).Unit(u'y');
        VMemHandle handle = gMemoryMgr->NewHandle(uint32_t(bytes.size()), 0);
        std::memcpy(gMemoryMgr->LockHandle(handle), bytes.data(), bytes.size());
        gMemoryMgr->UnlockHandle(handle);
        ASSERT_EQ(0, engine.InsertHandle(handle, 3));
        gMemoryMgr->DisposeHandle(handle);
        break;
      }
      case 5: {
        // A deletion before the place of the last stop.
        const int32_t from = caret > 0 ? int32_t(random() % uint32_t(caret)) : 0;
        engine.SetSelection(from, std::min(caret, from + 1 + int32_t(random() % 30)));
        ASSERT_EQ(0, engine.DeleteSelectionWithUndo());
        break;
      }
      case 6: {
        // A record put at the text's start by the byte primitive, with no
        // walk after it: the look of everything after it changes.
        const Bytes record = Stream().Record(kPropBold, step % 2);
        ASSERT_EQ(0, engine.InsertBytes(0u, record.data(), uint32_t(record.size())));
        break;
      }
      default: engine.SetSelection(caret, std::min(engine.GetLength(), caret + 5)); break;
    }
    undo.Commit();
    int32_t start = 0, end = 0;
    engine.GetSelection(&start, &end);
    ExpectSelectedAlike(end, end, where + " at the end of the change");
    ExpectSelectedAlike(start, start, where + " at its start");
    ExpectSelectedAlike(start, std::min(engine.GetLength(), start + 7), where + " from its start");
    ExpectSelectedAlike(engine.GetLength(), engine.GetLength(), where + " at the text's end");
  }
}

}  // namespace
