// The import and export filters that the document's clipboard uses: the
// 'TEXT' and 'styl' pair through the Macintosh styled-text reader and
// writer, and 'RTF ' through whatever reader and writer of that type the
// editing area's table of formats holds.
#pragma once

#include "document/xMorvaInterchangeServices.h"

class xMorvaClipboardFilters : public xMorvaInterchangeServices {
 public:
  // The characters of the current part's selection (or all of it) as
  // Macintosh bytes, and their runs as a 'styl' record. False when the
  // document has no current part or a stream fails.
  bool ExportStyledText(xMorvaDocument& document, VStream& text, VStream& styles, bool selectionOnly) override;
  bool ImportStyledText(xMorvaDocument& document, VStream& text, VStream& styles,
                        bool atSelection) override;
  // The 'RTF ' entry of the table of formats; false without one.
  bool ExportRtf(xMorvaDocument& document, VStream& stream, bool selectionOnly) override;
  bool ImportRtf(xMorvaDocument& document, VStream& stream, bool atSelection) override;

  bool WritesStyles() const override { return true; }
  bool ReadsStyles() const override { return true; }
  bool WritesRtf() const override;
  bool ReadsRtf() const override;
};
