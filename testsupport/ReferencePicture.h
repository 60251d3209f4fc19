// The comparison of a drawn picture with its reference picture, shared by
// the test programs: pixel for pixel on the colour (the low 24 bits of each
// 32-bit pixel), the reference NAME.png kept in a tests' data folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"

// `picture` is a 32-bit top-down section of width x height whose pixels
// are `bits`. What it shows is written to SHOWN/NAME.png under the working
// folder, for people to look at, and compared with DATA/NAME.png;
// QV_REGENERATE_REFERENCES=1 rewrites the reference instead (the test is
// then skipped).
inline void ExpectMatchesReferencePicture(HBITMAP picture, const uint32_t* bits, int32_t width, int32_t height,
                                          const std::filesystem::path& data, const std::string& shown,
                                          const std::string& name) {
  const std::filesystem::path written = std::filesystem::current_path() / shown / (name + ".png");
  std::filesystem::create_directories(written.parent_path());
  ASSERT_TRUE(GdiWriteBitmapPng(picture, written.c_str()));
  const std::filesystem::path reference = data / (name + ".png");
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  if (regenerate != nullptr && std::string(regenerate) == "1") {
    ASSERT_TRUE(GdiWriteBitmapPng(picture, reference.c_str()));
    GTEST_SKIP() << "reference rewritten: " << reference;
  }
  HBITMAP expected = GdiReadPng(reference.c_str());
  ASSERT_NE(expected, nullptr) << "missing reference " << reference
                               << " (run with QV_REGENERATE_REFERENCES=1 to make it)";
  DIBSECTION section{};
  const bool read = GetObjectA(expected, sizeof(section), &section) == static_cast<int>(sizeof(section));
  int32_t differing = -1;
  if (read && section.dsBm.bmWidth == width && section.dsBm.bmHeight == height) {
    const auto* want = static_cast<const uint32_t*>(section.dsBm.bmBits);
    differing = 0;
    for (int32_t i = 0; i < width * height; ++i) differing += (bits[i] & 0xFFFFFF) != (want[i] & 0xFFFFFF);
  }
  DeleteObject(expected);
  EXPECT_EQ(differing, 0) << name << " differs from " << reference << " (-1: in size); see " << written;
}
