// The older format ('QMV6') in the editing area's table of formats.
#include "interchange/older/xMorvaOlderFormats.h"

#include "area/xMorvaFileFormats.h"
#include "area/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "interchange/older/xMorvaV2import.h"

namespace {

// A file is read whole into the document; the format is never pasted.
int32_t ReadOlder(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection, VString*) {
  if (atSelection) return kErrorV2NotFound;
  xMorvaV2import reader;
  const int32_t code = reader.ImportV2Document(document, stream, true);
  if (code != kErrorV2NotFound) {
    if (xMorvaLayoutInterface* layout = document.GetLayout()) layout->ComposeAll();
  }
  return code;
}

constexpr xMorvaFileFormat kOlderFormats[] = {{kTypeOlderDocument, &ReadOlder, nullptr}};

}  // namespace

void InstallOlderFormats() { xMorvaFileFormats::Register(kOlderFormats, 1); }

void RemoveOlderFormats() { xMorvaFileFormats::Unregister(kOlderFormats); }
