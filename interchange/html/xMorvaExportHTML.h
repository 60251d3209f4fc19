// xMorvaExportHTML: writes a document's body as an HTML page: one P per
// paragraph, DIR nesting for left indents, FONT and SPAN for font, size and
// colours, B, I, U, STRIKE, SUP and SUB for styles, A for URL links and IMG
// for pictures, which go as JPEG files into an "images" folder beside the
// page.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/VObject.h"

class VStream;
class xMorvaDocument;

class xMorvaExportHTML : public VObject {
 public:
  xMorvaExportHTML() = default;
  ~xMorvaExportHTML() override;

  // Writes the page to the stream. `outputPath`, the page's file (empty:
  // none), names the pictures and places their folder; without it no
  // picture file is written. True when the stream took everything.
  bool ExportHTMLDocument(xMorvaDocument& document, VStream& stream, const std::string& outputPath);
};
