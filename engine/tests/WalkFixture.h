// The fixture of the position walk's tests: a selection made by the engine
// under test must come out as one made by an engine that walks the same
// bytes from scratch.
#pragma once

#include <string>

#include "engine/tests/EngineTestSupport.h"

class WalkFixture : public EngineTest {
 protected:
  // A selection by the engine under test and by one that walks the same
  // bytes from scratch must agree.
  void ExpectSelectedAlike(int32_t start, int32_t end, const std::string& where) {
    engine.SetSelection(start, end);
    const Bytes bytes = Bytes_();
    fresh.Clear();
    if (!bytes.empty()) {
      ASSERT_EQ(0, fresh.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    }
    fresh.SetLength(engine.GetLength());
    fresh.SetSelection(start, end);
    SCOPED_TRACE(where + " selection " + std::to_string(start) + ".." + std::to_string(end));
    EXPECT_EQ(fresh.GetSelStartOffset(), engine.GetSelStartOffset());
    EXPECT_EQ(fresh.GetSelEndOffset(), engine.GetSelEndOffset());
    EXPECT_EQ(fresh.GetParagraphStart(), engine.GetParagraphStart());
    EXPECT_EQ(fresh.GetParagraphStartOffset(), engine.GetParagraphStartOffset());
    EXPECT_EQ(fresh.GetParagraphEndOffset(), engine.GetParagraphEndOffset());
    EXPECT_EQ(fresh.GetWordStart(), engine.GetWordStart());
    EXPECT_EQ(fresh.GetWordEnd(), engine.GetWordEnd());
    for (uint16_t id = 0; id <= kPropTabs; ++id) {
      if (!IsPropertyId(id)) continue;
      EXPECT_EQ(fresh.GetPropertyValue(id), engine.GetPropertyValue(id)) << "id " << id;
      EXPECT_EQ(fresh.GetPropertyState(id), engine.GetPropertyState(id)) << "id " << id;
      EXPECT_EQ(fresh.GetTypingProperties().GetProperty(id), engine.GetTypingProperties().GetProperty(id))
          << "id " << id;
    }
    EXPECT_FALSE(fresh.GetCurrentTabs().IsDifferent(engine.GetCurrentTabs()));
    EXPECT_FALSE(fresh.GetWalkTabs().IsDifferent(engine.GetWalkTabs()));
  }

  xMorvaEngine fresh{nullptr, xMorvaEngine::kPartGranule};
};
