// One sheet a look: every element kind (rows) in every state (columns),
// labelled, with a text in each element that shows one. Written beside the
// test run (look-sheets/ under the working folder, the build folder under
// ctest) for people to look at, and compared with the reference kept in
// tests/data; QV_REGENERATE_REFERENCES=1 rewrites the references.
#include <gtest/gtest.h>

#include <string>

#include "controls/looks/LookPainterMaker.h"
#include "controls/looks/VCopLookPainter.h"
#include "controls/looks/VMacLookPainter.h"
#include "controls/looks/VWinLookPainter.h"
#include "controls/tests/LookTestSupport.h"
#include "graphics/VShape.h"
#include "platform/gdi/WinGdi.h"

namespace {

constexpr int32_t kSheetStates[] = {0, 1, 2, 3, 4, 5, -100, -99, -97, -96, -95, -94, -93};
constexpr int32_t kStateCount = sizeof kSheetStates / sizeof kSheetStates[0];
constexpr int32_t kKindCount = 38;
constexpr int32_t kLabelWidth = 44, kLabelHeight = 16;
constexpr int32_t kCellWidth = 76, kCellHeight = 28;

void Label(VPort& port, const std::string& text, int32_t x, int32_t y, int32_t w, int32_t h) {
  VStr<255> s;
  s.SetChars(text.c_str(), 0, static_cast<int32_t>(text.size()), kCharSetAnsi);
  port.SetFontName(LookText(u"Arial"));
  port.SetFontSize(8, false);
  port.ClearFontStyle();
  port.SetTextColor(RGB(0, 0, 0));
  port.DrawTextInBox(s, 1, 1, x, y, w, h, true);
}

// Draws the sheet of a look on a port whose own look is `portLook`.
void DrawSheet(VLookPainter& look, LookCanvas& canvas, int16_t portLook) {
  VPort& port = canvas.port();
  port.SetLook(portLook);
  port.SetFillPatternIndex(6);
  port.SetFillColor(RGB(250, 250, 250));
  port.PaintRect(0, 0, port.GetWidth(), port.GetHeight());
  for (int32_t s = 0; s < kStateCount; ++s) {
    Label(port, std::to_string(kSheetStates[s]), kLabelWidth + s * kCellWidth, 0, kCellWidth,
          kLabelHeight);
  }
  const VStr<255> text = LookText(u"Ab");
  for (int32_t kind = 0; kind < kKindCount; ++kind) {
    const int32_t y = kLabelHeight + kind * kCellHeight;
    Label(port, "kind " + std::to_string(kind), 0, y, kLabelWidth, kCellHeight);
    for (int32_t s = 0; s < kStateCount; ++s) {
      const int32_t x = kLabelWidth + s * kCellWidth;
      // Kinds that reach past their box draw inside the cell.
      port.PushClip(false);
      port.ClipToRect(VRect(x, y, kCellWidth, kCellHeight), true);
      look.DrawElement(port, kind, kSheetStates[s], x + 6, y + 4, kCellWidth - 12,
                       kCellHeight - 8, kind == 1 ? nullptr : &text, 0);
      port.PopClip();
    }
  }
}

class LookSheets : public testing::TestWithParam<int> {};

TEST_P(LookSheets, MatchTheirReferences) {
  const GraphicsSession graphics;
  LookResources resources;
  ASSERT_TRUE(resources.IsOpen());
  VMacLookPainter mac;
  VWinLookPainter win;
  VCopLookPainter cop;
  const struct {
    const char* name;
    VLookPainter* look;
    int16_t portLook;
  } sheets[] = {{"mac-look", &mac, 1}, {"windows-look", &win, 1}, {"third-look", &cop, 3}};
  const auto& sheet = sheets[GetParam()];
  LookCanvas canvas(kLabelWidth + kStateCount * kCellWidth,
                    kLabelHeight + kKindCount * kCellHeight);
  DrawSheet(*sheet.look, canvas, sheet.portLook);

  ExpectMatchesReference(canvas, "look-sheets", sheet.name);
}

INSTANTIATE_TEST_SUITE_P(EveryLook, LookSheets, testing::Values(0, 1, 2));

}  // namespace
