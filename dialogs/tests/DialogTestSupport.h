// What the dialogs' tests share: the comparison of a drawn canvas with a
// reference picture in dialogs/tests/data.
#pragma once

#include <gtest/gtest.h>

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
// and compares it, pixel for pixel, with the reference NAME.png in the data
// folder beside this file; QV_REGENERATE_REFERENCES=1 rewrites the
// reference instead.
inline void ExpectDialogReference(LookCanvas& canvas, const std::string& name) {
  ExpectMatchesReference(canvas, "dialogs", name, std::filesystem::path(__FILE__).parent_path() / "data");
}
