// Plain text files: xMorvaImportTEXT reads a file's bytes in one of three
// encodings into a document, xMorvaExportTEXT writes a document's body as
// one of the four plain text file types: UTF-16 behind its mark for 'ASCU',
// Macintosh bytes for 'ASCM', Windows bytes for 'ASCW' and 'ASCN' (UTF-8 is
// read, never written).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "area/files/xMorvaFileFormats.h"
#include "framework/core/VObject.h"
#include "framework/core/memory/VMemoryMgr.h"

class VStream;
class xMorvaDocument;
class xMorvaTextInterface;

// Encoding kinds of plain text.
constexpr int32_t kTextEncodingMac = 0;
constexpr int32_t kTextEncodingWindows = 1;
constexpr int32_t kTextEncodingUtf16 = 2;
// UTF-8, a mark EF BB BF at the start dropped.
constexpr int32_t kTextEncodingUtf8 = 3;
// A file of no type: UTF-8 when its bytes are valid UTF-8 with characters
// beyond ASCII, Windows bytes otherwise.
constexpr int32_t kTextEncodingUntyped = 4;

// The encoding a plain text file is read in, given the kind its type
// asks for: an 8-bit file that starts with the UTF-8 mark is UTF-8 whatever
// its type says, and an untyped or Windows one whose bytes are UTF-8 with
// multi-byte sequences is UTF-8 too (a Macintosh one stays Macintosh);
// this platform's own text is UTF-8, and read as Windows bytes it would
// come in garbled.
int32_t PlainTextEncodingOf(const uint8_t* bytes, size_t size, int32_t encoding);

constexpr int32_t kErrorTextNoMemory = 1041;
constexpr int32_t kErrorTextRead = 1015;

// The characters of a plain text file as the import hands them to the text
// engine. UTF-16 is little-endian unless it starts with FE FF; a mark at
// the start does not reach the text and an odd last byte is dropped. UTF-8
// loses its mark too, and a byte that starts no valid sequence becomes
// U+FFFD. 8-bit text is converted from the Macintosh or the Windows
// character set (an untyped file's as `PlainTextEncodingOf` decides). Line
// ends of every convention end a paragraph: CR LF and a lone LF become CR.
std::u16string DecodePlainText(const uint8_t* bytes, size_t size, int32_t encoding);

// The text as element units of `text` (tabs and soft hyphens become their
// elements, other controls go) into `units`, whose bytes it replaces, and
// the number of positions they make. False when memory runs out.
bool TextToUnits(xMorvaTextInterface& text, const std::u16string& characters, VMemHandle units,
                 uint32_t& positions);

class xMorvaImportTEXT : public VObject {
 public:
  ~xMorvaImportTEXT() override = default;
  // Reads the whole stream. Without `insert` the document is reset and
  // holds the text alone, caret at 0; with it the text replaces the
  // selection of the current part in one undo step. 0, 1015 when the
  // stream fails (the document unchanged), 1041 without memory, or the
  // insertion's code.
  // The encoding is one of the kinds above; the file's bytes may turn an
  // 8-bit kind into UTF-8 (`PlainTextEncodingOf`).
  int32_t ImportText(xMorvaDocument& document, VStream& stream, int32_t encoding, bool insert);
};

class xMorvaExportTEXT : public VObject {
 public:
  ~xMorvaExportTEXT() override = default;
  // The body as text of `fileType`: tabs as 9, soft hyphens as 173, other
  // elements left out; paragraphs end with CR LF for 'ASCW', CR otherwise.
  // 'ASCU' is FF FE and little-endian units on every machine. True when
  // the stream reports no error.
  bool ExportText(xMorvaDocument& document, VStream& stream, uint32_t fileType);
  // Whether `ExportText` writes every character of the body as `fileType`:
  // always for 'ASCU'; for the 8-bit types when the code page has each
  // character (the one decision the save asks its question by).
  static bool CarriesEveryCharacter(xMorvaDocument& document, uint32_t fileType);
};
