// xMorvaInterchangeServices: the writers and readers of foreign text formats
// that the document's clipboard uses for its 'TEXT' with 'styl' and 'RTF '
// flavours. The import and export layer, above the document model, installs
// them at start. Each filter says whether it is there: a flavour whose
// filter is missing is neither put nor taken.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VStream;
class xMorvaDocument;

class xMorvaInterchangeServices {
 public:
  virtual ~xMorvaInterchangeServices() = default;

  // The characters of the document's selection (or all its current part)
  // into `text` as Macintosh bytes, and their styles as a 'styl' record
  // into `styles` when styles are written: true on success.
  virtual bool ExportStyledText(xMorvaDocument& document, VStream& text, VStream& styles, bool selectionOnly) = 0;
  // The selection as RTF: true on success.
  virtual bool ExportRtf(xMorvaDocument& document, VStream& stream, bool selectionOnly) = 0;
  // Text with its 'styl' styles, and RTF, read into the document at its
  // selection: true on success.
  virtual bool ImportStyledText(xMorvaDocument& document, VStream& text, VStream& styles, bool atSelection) = 0;
  virtual bool ImportRtf(xMorvaDocument& document, VStream& stream, bool atSelection) = 0;

  // Which of the filters are there.
  virtual bool WritesStyles() const = 0;
  virtual bool ReadsStyles() const = 0;
  virtual bool WritesRtf() const = 0;
  virtual bool ReadsRtf() const = 0;
};

using xMorvaInterchangeSlot = VService<xMorvaInterchangeServices>;
