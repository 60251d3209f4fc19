// The area resolution and the text forms shared by the commands on an
// area's text.
#include "area/xMorvaTextCommandSupport.h"

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

void PascalAt(void** p, int i, VString& out) {
  out.SetEmpty(false);
  if (void* slot = xMorvaCommandParams::SlotAt(p, i)) out.SetMacPText(static_cast<const uint8_t*>(slot));
}

void HostTextAt(void** p, int i, VString& out) {
  out.SetEmpty(false);
  void* slot = xMorvaCommandParams::SlotAt(p, i);
  if (slot == nullptr) return;
  HostTextRecord record{};
  std::memcpy(&record, slot, sizeof record);
  if (record.handle == 0 || record.length <= 0) return;
  HostTextToString(out, record);
}

void PutPascal(void* slot, const VString& text) {
  if (slot != nullptr) text.GetPText(static_cast<uint8_t*>(slot), 255, kCharSetMac);
}

void ClearPascal(void* slot) {
  if (slot != nullptr) static_cast<uint8_t*>(slot)[0] = 0;
}

void PutCharacter(void* slot, char16_t c) {
  VStr<1> text;
  if (c != 0) text.SetUniChar(c);
  PutPascal(slot, text);
}

}  // namespace xMorvaTextCommands
