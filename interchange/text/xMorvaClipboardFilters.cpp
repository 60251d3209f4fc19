// The clipboard's foreign flavours of a document: styled text and RTF.
#include "interchange/text/xMorvaClipboardFilters.h"

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "interchange/text/xMorvaMacStyledText.h"

bool xMorvaClipboardFilters::ExportStyledText(xMorvaDocument& document, VStream& text,
                                              VStream& styles, bool selectionOnly) {
  auto* engine = static_cast<xMorvaEngine*>(document.GetCurrentPart());
  if (engine == nullptr) return false;
  xMorvaExportMacStyledText writer;
  return writer.ExportStyledText(document, *engine, text, styles, selectionOnly);
}

bool xMorvaClipboardFilters::ImportStyledText(xMorvaDocument& document, VStream& text,
                                              VStream& styles, bool atSelection) {
  xMorvaImportMacStyledText reader;
  return reader.ImportStyledText(document, text, styles, atSelection) == 0;
}

bool xMorvaClipboardFilters::ExportRtf(xMorvaDocument& document, VStream& stream,
                                       bool selectionOnly) {
  const xMorvaFormatWriter write = xMorvaFileFormats::FindWriter(kTypeRtfFile);
  return write != nullptr && write(document, stream, kTypeRtfFile, selectionOnly);
}

bool xMorvaClipboardFilters::ImportRtf(xMorvaDocument& document, VStream& stream,
                                       bool atSelection) {
  const xMorvaFormatReader read = xMorvaFileFormats::FindReader(kTypeRtfFile);
  if (read == nullptr) return false;
  const int32_t code = read(document, stream, kTypeRtfFile, atSelection, nullptr);
  return code == 0 || code == 1097 || code == 1100;
}

bool xMorvaClipboardFilters::WritesRtf() const {
  return xMorvaFileFormats::FindWriter(kTypeRtfFile) != nullptr;
}

bool xMorvaClipboardFilters::ReadsRtf() const {
  return xMorvaFileFormats::FindReader(kTypeRtfFile) != nullptr;
}
