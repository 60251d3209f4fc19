// xMorvaEngineServices: what the document model asks of the text engine,
// which sits above it. The engine installs its implementation at start; with
// none installed the answers are those of a document without lines.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VPort;
class VString;
class xMorvaDocumentInterface;
class xMorvaLayoutInterface;
class xMorvaTextInterface;
class xMorvaUndo;

class xMorvaEngineServices {
 public:
  virtual ~xMorvaEngineServices() = default;

  // The width in pixels of the widest composed line of the document's body.
  virtual int32_t GetWidestBodyLine(xMorvaDocumentInterface& document) = 0;
  // Appends to `name` the name of font `font` (1-based) of the document's
  // font table; nothing for a font the table does not hold.
  virtual void GetFontName(xMorvaDocumentInterface& document, int16_t font, VString& name) = 0;
  // A new empty text whose edits `undo` records (none: not recorded), its
  // stream growing in steps of `granule` bytes; null when memory runs out.
  // The caller owns it.
  virtual xMorvaTextInterface* NewText(xMorvaUndo* undo, uint16_t granule) = 0;
  // The index (1-based) of the font of that name in the document's font
  // table, appended when missing; 0 when the document keeps no font table.
  virtual int16_t FontIndexForName(xMorvaDocumentInterface& document, const VString& name) {
    return 0;
  }
  // Writes n in a list-number style backwards into at most 15 units ending
  // at `last`: the units written; 0 writes nothing.
  virtual int32_t FormatListNumber(int32_t n, int32_t style, char16_t* last) { return 0; }
  // The lines of the seven texts `parts` (by part number; made by NewText,
  // none may be null) and the pages of the body, measured on `port`; null
  // when memory runs out. The caller owns it and deletes it before the
  // texts.
  virtual xMorvaLayoutInterface* NewLayout(xMorvaDocumentInterface& document,
                                           xMorvaTextInterface* const parts[7], VPort* port) {
    return nullptr;
  }
};

using xMorvaEngineServiceSlot = VService<xMorvaEngineServices>;

// Through the installed services; 0 without them.
int32_t WidestBodyLine(xMorvaDocumentInterface& document);
// Empties `name`, then the font's name through the installed services;
// empty without them.
void GetDocumentFontName(xMorvaDocumentInterface& document, int16_t font, VString& name);
int16_t DocumentFontIndex(xMorvaDocumentInterface& document, const VString& name);
// The number's units through the installed services; none without them.
int32_t FormatDocumentListNumber(int32_t n, int32_t style, char16_t* last);
// Through the installed services; null without them.
xMorvaLayoutInterface* NewDocumentLayout(xMorvaDocumentInterface& document,
                                         xMorvaTextInterface* const parts[7], VPort* port);
