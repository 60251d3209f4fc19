// The older format ('QMV6') in the editing area's table of formats.
#include "interchange/older/xMorvaOlderFormats.h"

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "interchange/older/xMorvaV2import.h"

namespace {

// A file is read whole into the document, which whoever read it (an
// open, a field, a BLOB or a template) lays out once after; the format is
// never pasted.
int32_t ReadOlder(xMorvaDocument& document, VStream& stream, uint32_t, bool atSelection, VString*) {
  if (atSelection) return kErrorV2NotFound;
  xMorvaV2import reader;
  return reader.ImportV2Document(document, stream, true);
}

constexpr xMorvaFileFormat kOlderFormats[] = {{kTypeOlderDocument, &ReadOlder, nullptr}};

}  // namespace

void InstallOlderFormats() { xMorvaFileFormats::Register(kOlderFormats, 1); }

void RemoveOlderFormats() { xMorvaFileFormats::Unregister(kOlderFormats); }
