// The special character grid: its drawing, cell by cell, and its clicks.
#include "dialogs/xMorvaCharDisplayer.h"

#include "dialogs/xMorvaSelectCharDialog.h"
#include "graphics/VPort.h"
#include "views/VEvent.h"

namespace {

// The look's colours and patterns the grid is drawn in.
constexpr int32_t kTextColour = 25;
constexpr int32_t kSelectedTextColour = 28;
constexpr int32_t kSelectedFillColour = 30;
constexpr int32_t kGridColour = 5;
constexpr int32_t kSolidPattern = 6;
constexpr double kFontPoints = 9;
// Where a character stands in its cell: centred on x = 11, baseline 15.
constexpr int32_t kCharCentre = 11;
constexpr int32_t kCharBaseline = 15;
constexpr int32_t kLastChar = 255;
constexpr int32_t kGridRect[4] = {0, 0, xMorvaCharDisplayer::kWidth, xMorvaCharDisplayer::kHeight};

}  // namespace

xMorvaCharDisplayer::xMorvaCharDisplayer(VFrame* parent, xMorvaSelectCharDialog* dialog,
                                         const VString& fontName, uint8_t character)
    : VFrame(parent, kGridRect), fSelected(character), fDialog(dialog) {
  fFontName.SetString(fontName, kWholeValue);
  SetClickable(true);
}

int32_t xMorvaCharDisplayer::CharacterAt(int32_t x, int32_t y) {
  // The outer line of the grid belongs to no cell; inside it each cell
  // takes its left and top lines.
  if (x <= 1 || x >= kWidth + 1 || y <= 1 || y >= kHeight + 1) return -1;
  return kFirstChar + kColumns * ((y - 2) / kCell) + (x - 2) / kCell;
}

void xMorvaCharDisplayer::SetFontName(const VString& name) {
  fFontName.SetString(name, kWholeValue);
  Invalidate(1);
}

void xMorvaCharDisplayer::DrawContent(VPort& port) {
  port.EraseRect(0, 0, GetWidth() + 1, GetHeight() + 1);
  port.SetTextColorIndex(kTextColour);
  port.SetTextMode(1);
  port.SetFontSize(kFontPoints, false);
  port.SetFontName(fFontName);
  port.SetFillPatternIndex(kSolidPattern);
  port.SetFillColorIndex(kSelectedFillColour);
  for (int32_t code = kFirstChar; code <= kLastChar; ++code) {
    const int32_t row = (code - kFirstChar) / kColumns;
    const int32_t column = (code - kFirstChar) % kColumns;
    const uint8_t byte = static_cast<uint8_t>(code);
    const bool selected = byte == fSelected;
    if (selected) {
      port.PaintRect(kCell * column + 2, kCell * row + 2, kCell - 1, kCell - 1);
      port.SetTextColorIndex(kSelectedTextColour);
    }
    const int32_t width = static_cast<int32_t>(port.MeasureText(&byte, 1, kTextAnsi));
    port.MoveTo(kCell * column + kCharCentre - width / 2, kCell * row + kCharBaseline, true);
    port.DrawTextRun(&byte, 1, kTextAnsi);
    if (selected) port.SetTextColorIndex(kTextColour);
  }
  port.SetPenWidth(1);
  port.SetPenColorIndex(kGridColour);
  port.SetPenMode(0);
  port.SetPenPatternIndex(kSolidPattern);
  for (int32_t i = 0; i <= kRows; ++i) port.DrawLine(1, kCell * i + 1, kWidth, kCell * i + 1);
  for (int32_t j = 0; j <= kColumns; ++j) port.DrawLine(kCell * j + 1, 1, kCell * j + 1, kHeight);
}

bool xMorvaCharDisplayer::MouseDown(VEvent& event) {
  const int32_t code = CharacterAt(event.GetX(), event.GetY());
  if (code < 0) return true;
  fSelected = static_cast<uint8_t>(code);
  Invalidate(1);
  if (event.GetClickCount() >= 2 && fDialog != nullptr) fDialog->AcceptChar(fSelected);
  return true;
}
