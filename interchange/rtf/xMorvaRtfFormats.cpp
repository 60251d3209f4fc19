// RTF in the editing area's table of formats.
#include "interchange/rtf/xMorvaRtfFormats.h"

#include "area/xMorvaFileFormats.h"
#include "area/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

namespace {

// A file read whole is laid out once, after the import; a paste is laid out
// by the change it makes.
int32_t ReadRtf(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection, VString*) {
  xMorvaImportRTF reader;
  const int32_t code = reader.ImportRtf(document, stream, atSelection);
  if (!atSelection) {
    if (xMorvaLayoutInterface* layout = document.GetLayout()) layout->ComposeAll();
  }
  return code;
}

bool WriteRtf(xMorvaDocument& document, VStream& stream, uint32_t, bool selectionOnly) {
  xMorvaExportRTF writer;
  return writer.ExportRtf(document, stream, selectionOnly);
}

constexpr xMorvaFileFormat kRtfFormats[] = {{kTypeRtfFile, &ReadRtf, &WriteRtf}};

}  // namespace

void InstallRtfFormats() { xMorvaFileFormats::Register(kRtfFormats, sizeof kRtfFormats / sizeof kRtfFormats[0]); }

void RemoveRtfFormats() { xMorvaFileFormats::Unregister(kRtfFormats); }
