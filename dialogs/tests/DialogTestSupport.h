// What the dialogs' tests share: the comparison of a drawn canvas with a
// reference picture in dialogs/tests/data.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "controls/looks/LookPainterMaker.h"
#include "controls/tests/LookTestSupport.h"

// The graphics started with the module's look painters, as the module
// starts them, for as long as the object lives.
class DialogGraphics {
 public:
  DialogGraphics() = default;
  DialogGraphics(const DialogGraphics&) = delete;
  DialogGraphics& operator=(const DialogGraphics&) = delete;

 private:
  struct Painters {
    Painters() { VLookPainterMakerService::Install(&kLookPainterMaker); }
    ~Painters() { VLookPainterMakerService::Remove(&kLookPainterMaker); }
  };
  // The painters' maker first, so that the graphics start with it and stop
  // before it goes.
  Painters fPainters;
  GraphicsSession fSession;
};

// Writes what the canvas shows to dialogs/NAME.png under the working folder
// and compares it, pixel for pixel, with the reference NAME.png beside this
// file; QV_REGENERATE_REFERENCES=1 rewrites the reference instead.
inline void ExpectDialogReference(LookCanvas& canvas, const std::string& name) {
  const std::filesystem::path shown = std::filesystem::current_path() / "dialogs" / (name + ".png");
  std::filesystem::create_directories(shown.parent_path());
  ASSERT_TRUE(GdiWriteBitmapPng(canvas.port().GetSection(), shown.c_str()));
  const std::filesystem::path reference =
      std::filesystem::path(__FILE__).parent_path() / "data" / (name + ".png");
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  if (regenerate != nullptr && std::string(regenerate) == "1") {
    ASSERT_TRUE(GdiWriteBitmapPng(canvas.port().GetSection(), reference.c_str()));
    GTEST_SKIP() << "reference rewritten: " << reference;
  }
  HBITMAP expected = GdiReadPng(reference.c_str());
  ASSERT_NE(expected, nullptr) << "missing reference " << reference;
  DIBSECTION section{};
  const bool read =
      GetObjectA(expected, sizeof(section), &section) == static_cast<int>(sizeof(section));
  const int32_t w = canvas.port().GetWidth();
  const int32_t h = canvas.port().GetHeight();
  int32_t differing = -1;
  if (read && section.dsBm.bmWidth == w && section.dsBm.bmHeight == h) {
    const auto* want = static_cast<const uint32_t*>(section.dsBm.bmBits);
    const auto* drawn = static_cast<const uint32_t*>(canvas.port().GetBits());
    differing = 0;
    for (int32_t i = 0; i < w * h; ++i) differing += (drawn[i] & 0xFFFFFF) != (want[i] & 0xFFFFFF);
  }
  DeleteObject(expected);
  EXPECT_EQ(differing, 0) << name << " differs from " << reference << " (-1: in size); see "
                          << shown;
}
