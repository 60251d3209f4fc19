// Setting a property or a tab list over a range takes the old records of
// the property out in one pass of the text. Over seeded random texts and
// ranges it must leave what removing them one after the other leaves: the
// same bytes, selection and properties, the same undo history, and the
// same text after undo and redo.
#include "engine/tests/EngineTestSupport.h"

#include <random>

namespace {

// A random text: paragraphs with paragraph records and tab stops at their
// start, runs of letters and spaces with character records between them,
// soft hyphens, and column breaks ending some paragraphs.
Bytes RandomText(std::mt19937& random) {
  auto pick = [&](int n) { return int(random() % uint32_t(n)); };
  Stream s;
  const int paragraphs = 1 + pick(6);
  for (int p = 0; p < paragraphs; ++p) {
    if (pick(2) == 0) s.Record(kPropAlignment, pick(4));
    if (pick(3) == 0) s.Record(kPropLeftIndent, 10 * pick(4));
    if (pick(3) == 0) s.Tab(int16_t(20 * (1 + pick(4))), uint8_t(pick(3)));
    const int runs = pick(8);
    for (int r = 0; r < runs; ++r) {
      switch (pick(6)) {
        case 0: s.Record(kPropBold, pick(2)); break;
        case 1: s.Record(kPropFont, 1 + pick(3)); break;
        case 2: s.Record(kPropSize, 9 + pick(4)); break;
        case 3: s.Record(kPropTextColour, pick(3) == 0 ? 0xFF : 0); break;
        case 4: s.Element(xMorvaElementCode::SoftHyphen, Stream().Unit(173), 2); break;
        default: break;
      }
      const int letters = pick(7);
      for (int i = 0; i < letters; ++i) s.Unit(pick(5) == 0 ? u' ' : char16_t(u'a' + pick(26)));
    }
    if (p + 1 < paragraphs) {
      if (pick(6) == 0)
        s.Element(xMorvaElementCode::ColBreak, Stream().Unit(13));
      else
        s.Unit(13);
    }
  }
  return s;
}

class PropertyPassTest : public EngineTest {
 protected:
  PropertyPassTest() { slow.RemoveRecordsOneAtATime(true); }

  void LoadBoth(const Bytes& bytes, int32_t start, int32_t end) {
    Load(bytes, start, end);
    slowUndo.Suspend();
    slow.Clear();
    if (!bytes.empty()) {
      EXPECT_EQ(0, slow.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    }
    slow.SetLength(PositionsOf(bytes));
    slowUndo.Resume();
    slow.SetSelection(start, end);
  }

  // Everything a caller of the two engines can see.
  void ExpectSame(const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(StreamBytes(slow), Bytes_());
    EXPECT_EQ(slow.GetLength(), engine.GetLength());
    EXPECT_EQ(slow.GetSelStart(), engine.GetSelStart());
    EXPECT_EQ(slow.GetSelEnd(), engine.GetSelEnd());
    EXPECT_EQ(slow.GetSelStartOffset(), engine.GetSelStartOffset());
    EXPECT_EQ(slow.GetSelEndOffset(), engine.GetSelEndOffset());
    EXPECT_EQ(slow.GetParagraphStartOffset(), engine.GetParagraphStartOffset());
    EXPECT_EQ(slow.GetParagraphEndOffset(), engine.GetParagraphEndOffset());
    EXPECT_EQ(slow.GetParagraphRecordBytes(), engine.GetParagraphRecordBytes());
    for (uint16_t id = 0; id <= kPropTabs; ++id) {
      if (!IsPropertyId(id)) continue;
      EXPECT_EQ(slow.GetPropertyValue(id), engine.GetPropertyValue(id)) << "id " << id;
      EXPECT_EQ(slow.GetPropertyState(id), engine.GetPropertyState(id)) << "id " << id;
    }
    EXPECT_FALSE(slow.GetCurrentTabs().IsDifferent(engine.GetCurrentTabs()));
    EXPECT_EQ(slowUndo.GetEnd(), undo.GetEnd());
    EXPECT_EQ(slowUndo.GetPosition(), undo.GetPosition());
  }

  xMorvaUndo slowUndo{document};
  xMorvaEngine slow{&slowUndo, xMorvaEngine::kPartGranule};
};

TEST_F(PropertyPassTest, OnePassLeavesWhatOneRecordAtATimeLeaves) {
  static const uint16_t kIds[] = {kPropBold, kPropItalic, kPropFont, kPropSize, kPropTextColour,
                                  kPropAlignment, kPropLeftIndent, kPropTabs};
  int32_t removals = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 random(seed);
    const Bytes text = RandomText(random);
    const int32_t length = PositionsOf(text);
    int32_t start = int32_t(random() % uint32_t(length + 1));
    int32_t end = int32_t(random() % uint32_t(length + 1));
    if (seed % 4 == 0) start = 0, end = length;  // select all
    if (end < start) std::swap(start, end);
    LoadBoth(text, start, end);
    const uint16_t id = kIds[random() % (sizeof kIds / sizeof kIds[0])];
    int32_t value = int32_t(random() % 3);
    if (id == kPropFont) value += 1;
    if (id == kPropSize) value += 9;
    if (id == kPropTabs) value = int32_t(MakeTabStop(int16_t(20 * (1 + random() % 4)), 0, uint8_t(random() % 3)));
    const size_t before = Bytes_().size();
    const std::string where = "seed " + std::to_string(seed) + " id " + std::to_string(id);
    if (seed % 5 == 0) {
      // A tab list over the paragraphs, all stops out first.
      xMorvaTabs tabs;
      tabs.AddStop(MakeTabStop(40, 0, kTabRight));
      EXPECT_EQ(slow.SetTabsWithUndo(tabs), engine.SetTabsWithUndo(tabs));
    } else if (seed % 7 == 0) {
      // Plain text: six properties in one step, as the plain command sets them.
      for (xMorvaEngine* e : {&slow, &engine}) {
        e->BeginUndoStep(kUndoProperty, 65);
        int32_t result = 0;
        for (uint16_t plain : {0, 1, 4, 3, 2, 5})
          if (result == 0) result = e->SetPropertyValue(plain, 0);
        e->EndUndoStep(result);
      }
    } else {
      EXPECT_EQ(slow.SetPropertyWithUndo(id, value), engine.SetPropertyWithUndo(id, value)) << where;
    }
    if (Bytes_().size() + 16 < before) ++removals;
    ExpectSame(where);
    undo.Commit();
    slowUndo.Commit();
    EXPECT_EQ(slowUndo.CanUndo(), undo.CanUndo()) << where;
    slowUndo.Undo();
    undo.Undo();
    EXPECT_EQ(text, Bytes_()) << where;
    ExpectSame(where + " undone");
    slowUndo.Redo();
    undo.Redo();
    ExpectSame(where + " redone");
  }
  // The texts must have had records to take out, several at a time.
  EXPECT_GT(removals, 20);
}

// Undo puts back the records of a property over a long text, and redo
// takes them out again, each in one pass: the same text, length and
// selection as the edit left and as there were before it.
TEST_F(PropertyPassTest, UndoAndRedoOfManyRecordsGiveBackBothTexts) {
  for (int words : {8, 300}) {
    Stream s;
    s.Record(kPropAlignment, 1);
    for (int i = 0; i < words; ++i) {
      s.Record(kPropBold, i % 2).Record(kPropSize, 10 + i % 3).Text(u"word ");
      if (i % 40 == 39) s.Unit(13).Record(kPropAlignment, i % 4);
    }
    const Bytes before = s;
    LoadBoth(before, 3, PositionsOf(before) - 2);
    ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropBold, 1));
    ASSERT_EQ(0, engine.SetPropertyWithUndo(kPropSize, 12));
    const Bytes after = Bytes_();
    const int32_t length = engine.GetLength();
    ASSERT_LT(after.size() + 8 * size_t(words), before.size() + 64) << "the records went";
    for (int round = 0; round < 2; ++round) {
      undo.Undo();
      undo.Undo();
      EXPECT_EQ(before, Bytes_()) << words;
      EXPECT_EQ(3, engine.GetSelStart());
      undo.Redo();
      undo.Redo();
      EXPECT_EQ(after, Bytes_()) << words;
      EXPECT_EQ(length, engine.GetLength());
      // The walks start again from what the replays left.
      const Bytes now = Bytes_();
      xMorvaEngine fresh(nullptr, xMorvaEngine::kPartGranule);
      ASSERT_EQ(0, fresh.InsertBytes(0u, now.data(), uint32_t(now.size())));
      fresh.SetLength(engine.GetLength());
      for (int32_t at : {0, 7, length / 2, length - 1}) {
        engine.SetSelection(at, at + 1);
        fresh.SetSelection(at, at + 1);
        EXPECT_EQ(fresh.GetSelStartOffset(), engine.GetSelStartOffset()) << at;
        EXPECT_EQ(fresh.GetPropertyValue(kPropBold), engine.GetPropertyValue(kPropBold)) << at;
      }
      engine.SetSelection(3, PositionsOf(before) - 2);
    }
  }
}

}  // namespace
