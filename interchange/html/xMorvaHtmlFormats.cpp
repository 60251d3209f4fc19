// HTML in the editing area's table of formats: 'HTML', 'HTM ' and 'SHTM'.
#include "interchange/html/xMorvaHtmlFormats.h"

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"

namespace {

constexpr uint32_t kTypeHtm = FourCC("HTM ");
constexpr uint32_t kTypeShtml = FourCC("SHTM");

// A page is read whole into the document, which the open that replaced
// it then lays out once; it has no clipboard flavour, so there is nothing
// to paste.
int32_t ReadHtml(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection, VString*) {
  if (atSelection) return 1032;
  xMorvaImportHTML reader;
  return reader.ImportHTMLDocument(document, stream, OpeningFileFolder());
}

// The page is the whole body; its pictures go beside the file being
// written.
bool WriteHtml(xMorvaDocument& document, VStream& stream, uint32_t, bool) {
  xMorvaExportHTML writer;
  return writer.ExportHTMLDocument(document, stream, WritingFilePath());
}

constexpr xMorvaFileFormat kHtmlFormats[] = {
    {kTypeHtmlFile, &ReadHtml, &WriteHtml},
    {kTypeHtm, &ReadHtml, &WriteHtml},
    {kTypeShtml, &ReadHtml, &WriteHtml},
};

}  // namespace

void InstallHtmlFormats() { xMorvaFileFormats::Register(kHtmlFormats, sizeof kHtmlFormats / sizeof kHtmlFormats[0]); }

void RemoveHtmlFormats() { xMorvaFileFormats::Unregister(kHtmlFormats); }
