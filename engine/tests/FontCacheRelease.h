// Measuring fills the process-wide font cache; a test program that measures
// includes this to let the cache go once every test ran.
#pragma once

#include <gtest/gtest.h>

#include "graphics/VGraphicsStart.h"

class FontCacheRelease : public testing::Environment {
 public:
  void TearDown() override { ExitGraphics(); }
};

inline const testing::Environment* const kFontCacheRelease =
    testing::AddGlobalTestEnvironment(new FontCacheRelease);
