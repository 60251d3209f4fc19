// Word documents in the editing area's table of formats.
#include "interchange/word/xMorvaWordFormats.h"

#include "area/xMorvaFileFormats.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"

namespace {

// Word files open whole; pasting one is not offered (1032 sends the
// dispatcher on to RTF).
int32_t ReadWord(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection, VString*) {
  if (atSelection) return kWordNotWord;
  xMorvaImportWord reader;
  const int32_t code = reader.ImportWordDocument(&document, &stream);
  if (code == 0) {
    if (xMorvaLayoutInterface* layout = document.GetLayout()) layout->ComposeAll();
  }
  return code;
}

// Word 97 is written whole; a selection is not offered.
bool WriteWord(xMorvaDocument& document, VStream& stream, uint32_t, bool selectionOnly) {
  if (selectionOnly) return false;
  xMorvaExportWord writer;
  const int32_t code = writer.ExportWordDocument(&document, &stream);
  if (code != 0) xMorvaFileFormats::SetWriteFailure(code);
  return code == 0;
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
