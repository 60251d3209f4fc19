// RTF in the editing area's table of formats.
#include "interchange/rtf/xMorvaRtfFormats.h"

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

namespace {

// A file read whole is laid out once, by the open that replaced the
// document with it; a paste is laid out by the change it makes.
int32_t ReadRtf(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection, VString*) {
  xMorvaImportRTF reader;
  return reader.ImportRtf(document, stream, atSelection);
}

bool WriteRtf(xMorvaDocument& document, VStream& stream, uint32_t, bool selectionOnly) {
  xMorvaExportRTF writer;
  return writer.ExportRtf(document, stream, selectionOnly);
}

constexpr xMorvaFileFormat kRtfFormats[] = {{kTypeRtfFile, &ReadRtf, &WriteRtf}};

}  // namespace

void InstallRtfFormats() { xMorvaFileFormats::Register(kRtfFormats, sizeof kRtfFormats / sizeof kRtfFormats[0]); }

void RemoveRtfFormats() { xMorvaFileFormats::Unregister(kRtfFormats); }
