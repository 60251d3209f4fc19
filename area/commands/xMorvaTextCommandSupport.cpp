// The area resolution and the text forms shared by the commands on an
// area's text.
#include "area/commands/xMorvaTextCommandSupport.h"

#include "area/commands/xMorvaCommandValues.h"

#include "area/xMorvaCommandParams.h"
#include "area/xMorvaMain.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/strings/VUniString.h"
#include "host/context/HostVariables.h"

namespace xMorvaTextCommands {

bool ResolveTextArea(xMorvaMain& package, void** p, TextArea& area) {
  area = TextArea{};
  if (!package.ResolveArea(p, area.document, area.object)) return false;
  area.text = area.document->GetCurrentPart();
  // Every text of a document is made by the text engine.
  area.engine = static_cast<xMorvaEngine*>(area.text);
  return true;
}

// The text forms are the command values' own.
void PascalAt(void** p, int i, VString& out) { xMorvaCommandValues::StringAt(p, i, out); }
void HostTextAt(void** p, int i, VString& out) { xMorvaCommandValues::TextAt(p, i, out); }
void PutPascal(void* slot, const VString& text) { xMorvaCommandValues::PutString(slot, text); }
void ClearPascal(void* slot) { xMorvaCommandValues::ClearString(slot); }

void PutCharacter(void* slot, char16_t c) {
  VStr<1> text;
  if (c != 0) text.SetUniChar(c);
  PutPascal(slot, text);
}

}  // namespace xMorvaTextCommands
