// Word documents in the editing area's table of formats.
#include "interchange/word/xMorvaWordFormats.h"

#include <string>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/strings/VString.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"

namespace {

// What the reader left out, one line a count that is not 0: the alert
// list's item for it, the count, a blank and a carriage return.
void WriteReport(const xMorvaImportWord& reader, VString& report) {
  report.SetEmpty(false);
  xMorvaEngineHost* host = xMorvaEngineHostService::Get();
  const std::pair<int16_t, int32_t> lines[] = {{26, reader.DroppedPictures()},
                                               {25, reader.DroppedFields()}};
  for (const auto& [item, count] : lines) {
    if (count <= 0) continue;
    VStr<255> text;
    if (host != nullptr) host->GetPackageString(kAlertListOffset, item, text);
    char16_t units[256] = {};
    text.GetUniCText(units, 255);
    report.AppendUniCText(units);
    report.AppendCText(std::to_string(count).c_str(), 0);
    report.AppendUniChar(u' ');
    report.AppendUniChar(u'\r');
  }
}

// Word files open whole; pasting one is not offered (1032 sends the
// dispatcher on to RTF).
int32_t ReadWord(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection,
                 VString* report) {
  if (atSelection) return kWordNotWord;
  xMorvaImportWord reader;
  // Linked pictures are looked for beside the file.
  reader.SetFolder(OpeningFileFolder());
  // The open that runs the reader lays the document out once after it.
  int32_t code = reader.ImportWordDocument(&document, &stream);
  if (code == 0) {
    // Pictures and fields left out are told to the user.
    if (reader.DroppedPictures() > 0 || reader.DroppedFields() > 0) {
      if (report != nullptr) WriteReport(reader, *report);
      code = kErrorReaderReport;
    }
  }
  return code;
}

// Word 97 is written whole; a selection is not offered.
bool WriteWord(xMorvaDocument& document, VStream& stream, uint32_t, bool selectionOnly) {
  if (selectionOnly) return false;
  xMorvaExportWord writer;
  return writer.ExportWordDocument(&document, &stream) == 0;
}

constexpr xMorvaFileFormat kWordFormats[] = {
    {FourCC("DOC5"), &ReadWord, nullptr},
    {FourCC("DOC6"), &ReadWord, nullptr},
    {FourCC("DOC8"), &ReadWord, &WriteWord},
};

}  // namespace

void InstallWordFormats() {
  xMorvaFileFormats::Register(kWordFormats, sizeof kWordFormats / sizeof kWordFormats[0]);
}

void RemoveWordFormats() { xMorvaFileFormats::Unregister(kWordFormats); }
