// The plain text formats in the editing area's table of formats.
#include "interchange/text/xMorvaTextFormats.h"

#include "area/files/xMorvaFileFormats.h"
#include "interchange/text/xMorvaPlainText.h"

namespace {

// Type 0 is a file of no type, whose bytes tell UTF-8 from Windows text.
int32_t ReadText(xMorvaDocument& document, VStream& stream, uint32_t type, bool atSelection,
                 VString*) {
  const int32_t encoding = type == kTypeTextMac       ? kTextEncodingMac
                           : type == kTypeTextUnicode ? kTextEncodingUtf16
                           : type == 0                ? kTextEncodingUntyped
                                                      : kTextEncodingWindows;
  xMorvaImportTEXT reader;
  return reader.ImportText(document, stream, encoding, atSelection);
}

// Text files are always the whole body.
bool WriteText(xMorvaDocument& document, VStream& stream, uint32_t type, bool) {
  xMorvaExportTEXT writer;
  return writer.ExportText(document, stream, type);
}

// The 8-bit types lose the characters their code page lacks.
constexpr xMorvaFormatCarrier kCarries = &xMorvaExportTEXT::CarriesEveryCharacter;

constexpr xMorvaFileFormat kTextFormats[] = {
    {kTypeTextMac, &ReadText, &WriteText, kCarries},
    {kTypeTextWindows, &ReadText, &WriteText, kCarries},
    {kTypeTextWindowsCR, &ReadText, &WriteText, kCarries},
    {kTypeTextUnicode, &ReadText, &WriteText},
};

}  // namespace

const xMorvaFileFormat* TextFileFormats() { return kTextFormats; }

void InstallTextFormats() {
  xMorvaFileFormats::Register(kTextFormats, sizeof kTextFormats / sizeof kTextFormats[0]);
}

void RemoveTextFormats() { xMorvaFileFormats::Unregister(kTextFormats); }
