// xMorvaAreaServices: what the document model asks of the editing area, which
// sits above it: the package's string lists and alerts, addressed by their
// offset from the package's resource base id. The area installs its
// implementation at start; with none installed nothing is shown and every
// text is empty.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"

class VString;

// Offsets of the package's string lists used by the document model.
constexpr int16_t kPropertyNamesListOffset = 1;     // property names, item id + 1
constexpr int16_t kAlertListOffset = 6;             // alerts
constexpr int16_t kUnderlineNamesListOffset = 9;    // underline kinds, item kind + 1
constexpr int16_t kDocumentTextsListOffset = 10;    // the document's words and titles
constexpr int16_t kStyleSheetNamesListOffset = 12;  // 1 default sheet, 2 new sheet
constexpr int16_t kAlignmentNamesListOffset = 13;   // alignments, item value + 1
constexpr int16_t kUnitNamesListOffset = 14;        // names of the display units
constexpr int16_t kColourNamesListOffset = 17;      // names of the palette colours
constexpr int16_t kBorderStyleNamesListOffset = 18; // border styles, item style + 1
constexpr int16_t kProgressTextsListOffset = 19;    // the progress gauge's messages
constexpr int16_t kTabKindNamesListOffset = 20;     // tab stop kinds, item = kind
constexpr int16_t kBulletNamesListOffset = 21;      // names of the usual bullets

class xMorvaAreaServices {
 public:
  virtual ~xMorvaAreaServices() = default;

  // Shows item `item` of the 'STR#' list at resource base + `listOffset` in
  // the host's alert.
  virtual void ShowAlert(int16_t listOffset, int16_t item) = 0;
  // Item `item` of that list into `text`; empty when there is none.
  virtual void GetListString(VString& text, int16_t listOffset, int16_t item) = 0;
  // A copy of the package's resource of that type whose id is the resource
  // base, in native order (the caller owns it); 0 when there is none.
  virtual VMemHandle CopyPackageResource(uint32_t type) = 0;
};

using xMorvaAreaServiceSlot = VService<xMorvaAreaServices>;

// The same through the installed services, doing nothing without them.
void ShowDocumentAlert(int16_t listOffset, int16_t item);
void GetDocumentListString(VString& text, int16_t listOffset, int16_t item);
VMemHandle CopyDocumentPackageResource(uint32_t type);
