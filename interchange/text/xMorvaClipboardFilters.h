// The import and export filters that the document's clipboard uses, as far
// as they exist: plain text goes out as 'TEXT' through the engine's text
// conversion; styles ('styl') and RTF are neither written nor read yet.
#pragma once

#include "document/xMorvaInterchangeServices.h"

class xMorvaClipboardFilters : public xMorvaInterchangeServices {
 public:
  // The characters of the current part's selection (or all of it) as
  // Macintosh bytes, paragraph ends as 13 and tabs as 9; nothing is written
  // into `styles`. False when the document has no current part or the
  // stream fails.
  bool ExportStyledText(xMorvaDocument& document, VStream& text, VStream& styles, bool selectionOnly) override;
  bool ExportRtf(xMorvaDocument&, VStream&, bool) override { return false; }
  bool ImportStyledText(xMorvaDocument&, VStream&, VStream&, bool) override { return false; }
  bool ImportRtf(xMorvaDocument&, VStream&, bool) override { return false; }

  bool WritesStyles() const override { return false; }
  bool ReadsStyles() const override { return false; }
  bool WritesRtf() const override { return false; }
  bool ReadsRtf() const override { return false; }
};
