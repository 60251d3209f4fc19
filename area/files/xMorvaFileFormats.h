// xMorvaFileFormats: the readers and writers of foreign formats by file
// type. The import and export layer sits above the editing area, so it
// registers its readers and writers here at start (from the module's list
// of services) and removes them at stop; opening, exporting and the
// clipboard's foreign flavours find them by type. A type without an entry
// has no reader (1032) and no writer (1012).
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/VObject.h"

class VStream;
class VString;
class xMorvaDocument;

// The plain text file types: Macintosh bytes with CR, Windows bytes with
// CR LF, Windows bytes with CR, UTF-16 with CR behind the mark FF FE.
constexpr uint32_t kTypeTextMac = FourCC("ASCM");
constexpr uint32_t kTypeTextWindows = FourCC("ASCW");
constexpr uint32_t kTypeTextWindowsCR = FourCC("ASCN");
constexpr uint32_t kTypeTextUnicode = FourCC("ASCU");

// Reads `stream` from its start. Without `atSelection` the document is
// reset and filled (a file being opened); with it the contents replace the
// selection of the current part in one undo step (a paste). `report`, when
// given, receives what the reader has to tell the user. 0, 1015 damaged,
// 1032 not this format, 1041 no memory, or the reader's own code; 1100 and
// 1097 count as success.
using xMorvaFormatReader = int32_t (*)(xMorvaDocument& document, VStream& stream, uint32_t type,
                                       bool atSelection, VString* report);
// Writes the document (the selection of the current part with
// `selectionOnly`, else the whole document) to `stream`: true on success.
using xMorvaFormatWriter = bool (*)(xMorvaDocument& document, VStream& stream, uint32_t type,
                                    bool selectionOnly);

// Whether the writer of `type` keeps every character of the document's
// text: a form of 8-bit text loses those its code page lacks.
using xMorvaFormatCarrier = bool (*)(xMorvaDocument& document, uint32_t type);

// One type's reader and writer; either may be null. A writer without a
// carrier keeps every character.
struct xMorvaFileFormat {
  uint32_t type;
  xMorvaFormatReader read;
  xMorvaFormatWriter write;
  xMorvaFormatCarrier carries = nullptr;
};

class xMorvaFileFormats {
 public:
  // Adds a table of `count` entries (not copied: it lives as long as it is
  // registered). A later table answers before an earlier one for the same
  // type. False when the registry is full (16 tables).
  static bool Register(const xMorvaFileFormat* table, size_t count);
  // Removes the table; nothing happens for one not registered.
  static void Unregister(const xMorvaFileFormat* table);
  // The reader and the writer of the type, from the latest table that has
  // one; null when none has.
  static xMorvaFormatReader FindReader(uint32_t type);
  static xMorvaFormatWriter FindWriter(uint32_t type);
  // Whether the writer FindWriter gives keeps every character of the
  // document (true for a type without a writer: it writes nothing).
  static bool CarriesEveryCharacter(xMorvaDocument& document, uint32_t type);
};
