// Comparison of a drawn canvas with a reference image kept beside the
// tests (engine/tests/data), pixel for pixel; QV_REGENERATE_REFERENCES=1
// rewrites the reference instead. And the synthetic face "Qv Test", added
// once to the fonts before the first port asks for it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/VDIBPort.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"

inline void AddQvTestFont() {
  static const bool added = GdiFonts::AddPrivateFontFile(QV_TEST_FONT_FILE);
  ASSERT_TRUE(added) << QV_TEST_FONT_FILE;
}

inline void ExpectMatchesReference(const VDIBPort& canvas, const char* file) {
  const std::filesystem::path reference = std::filesystem::path(QV_ENGINE_TEST_DATA) / file;
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  if (regenerate && std::string(regenerate) == "1") {
    std::filesystem::create_directories(reference.parent_path());
    ASSERT_TRUE(GdiWriteBitmapPng(canvas.GetSection(), reference.c_str()));
    return;
  }
  HBITMAP expected = GdiReadPng(reference.c_str());
  ASSERT_NE(expected, nullptr) << "missing reference " << reference
                               << " (run with QV_REGENERATE_REFERENCES=1 to make it)";
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(expected, sizeof(section), &section), static_cast<int>(sizeof(section)));
  ASSERT_EQ(section.dsBm.bmWidth, canvas.GetWidth()) << file;
  ASSERT_EQ(section.dsBm.bmHeight, canvas.GetHeight()) << file;
  const auto* want = static_cast<const uint32_t*>(section.dsBm.bmBits);
  const auto* drawn = static_cast<const uint32_t*>(canvas.GetBits());
  int32_t differing = 0;
  for (int32_t i = 0; i < canvas.GetWidth() * canvas.GetHeight(); ++i) {
    differing += (drawn[i] & 0xFFFFFF) != (want[i] & 0xFFFFFF);
  }
  EXPECT_EQ(differing, 0) << file;
  DeleteObject(expected);
}
