// xMorvaFontMeasure: the engine's font context handed to the document while
// a header or footer line is drawn, measured or hit-tested, so that the
// document can lay out the line's page numbers for the page at hand.
#pragma once

#include "document/xMorvaLineMeasure.h"
#include "engine/xMorvaFont.h"

class xMorvaFontMeasure : public xMorvaLineMeasure {
 public:
  explicit xMorvaFontMeasure(xMorvaFont& font) : fFont(font) {}

  // Units are measured one by one, outside any run: nothing to forget.
  void ResetRunState() override {}
  void ApplyProperty(uint16_t id, int32_t value) override { fFont.ApplyProperty(id, value, false); }
  double MeasureCharWidth(char16_t unit) override {
    const uint16_t units[1] = {unit};
    return fFont.MeasureCharWidth(units, units + 1);
  }

 private:
  xMorvaFont& fFont;
};
