// xMorvaImportHTML: reads an HTML page into a document's body. A forgiving,
// single-pass tag reader: block tags make paragraphs (consecutive breaks
// collapse), nested tags change properties through stacks, lists become
// bullets or typed numbers between tabs, tables tab-separated lines, links
// hyperlink elements, and images are read from files beside the page.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/VObject.h"

class VStream;
class xMorvaDocument;

class xMorvaImportHTML : public VObject {
 public:
  xMorvaImportHTML() = default;
  ~xMorvaImportHTML() override;

  // Resets the document and reads the stream from its position to its end
  // into the body; image paths are resolved against `folder` (the page's
  // folder; empty: no image is read). Always 0: what was read stays.
  int32_t ImportHTMLDocument(xMorvaDocument& document, VStream& stream, const std::string& folder);
  // The same over bytes in memory.
  int32_t ImportHTMLBytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size,
                          const std::string& folder);

 private:
  // Reads `size` bytes at `bytes`, or from `stream` when it is given.
  int32_t Import(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, VStream* stream,
                 const std::string& folder);
};

// The point sizes of the HTML sizes 1 to 7.
constexpr int32_t kHTMLSizePoints[7] = {8, 10, 12, 14, 18, 24, 36};
// A paragraph's line spacing, in tenths of a line, where it is single.
constexpr int32_t kHTMLSingleInterline = 10;

// A colour attribute as a colour value (blue << 16 | green << 8 | red):
// "#rrggbb" (a character other than a hexadecimal digit counts as 0) or a
// name of the colour table compared exactly; anything else is black.
int32_t ParseHTMLColor(const std::string& value);
