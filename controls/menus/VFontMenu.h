// VFontMenu: the menu of the system's font names, one string item a font,
// with the font of its command's string value checked. Choosing a font sets
// the command's value to its name. It can also draw itself into a port with
// fixed rows.
#pragma once

#include <cstdint>

#include "controls/menus/VMenuBase.h"

class VStringArray;

class VFontMenu : public VMenuBase {
 public:
  // fontList 1: the first list of font names (every font), 0: the second.
  VFontMenu(VFrame* owner, VPort* port, int32_t commandId, uint8_t fontList);
  VFontMenu(VMenuBase* parentMenu, VPort* port, int32_t commandId, uint8_t fontList);

  // A command without a string value first gets the first font's name.
  void Realize(VPort* port, bool asPopUp, bool measureAfter) override;
  // Checks the item of the command's font only.
  void Refresh(VCommand* command) override;
  // Sets the command's value to the name of font `index` (1-based).
  void ChooseItem(int32_t index) override;
  int32_t CountItems() const override;
  int32_t GetWidth() const override { return fWidth; }

  void Measure(VPort* port, int32_t& width, int32_t& height) override;
  void Draw(VPort* port, int32_t width, int32_t height) override;
  int32_t TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                      int32_t previous, int32_t& chosen) override;
  void GetItemBounds(int32_t index, int32_t& left, int32_t& top, int32_t& width,
                     int32_t& height) const override;

  // The font names shown; null when the system has none.
  VStringArray* GetFonts() const;
  // 1-based index of the command's font in the list; 0 when absent.
  int32_t CurrentIndex() const;
  int16_t GetFirstVisible() const { return fFirstVisible; }
  int16_t GetLastVisible() const { return fLastVisible; }

 private:
  UINT ItemState(int32_t index, int32_t current) const;
  // The top of a visible row, under the upper band when scrolled.
  int32_t RowTop(int32_t index) const;
  void DrawRow(VPort* port, int32_t index, int32_t width, bool highlighted);
  void DrawBand(VPort* port, int32_t top, int32_t width, bool highlighted);

  int32_t fTotalHeight = 0;
  int16_t fFirstVisible = 1;
  int16_t fLastVisible = 0;
  int16_t fScroll = 0;
  int16_t fCheckWidth = 0;
  int16_t fRowHeight = 0;
  int16_t fCurrentRow = 0;
  uint8_t fFontList;
  int32_t fWidth = 0;
};
