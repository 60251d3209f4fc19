// The word processor's package: its initialisation and option defaults, its
// word-character table, its objects for routine 1, and its alerts.
#include "area/xMorvaMain.h"

#include <algorithm>
#include <cstring>

#include "area/files/xMorvaResourceSwap.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaPlugIn.h"
#include "area/xMorvaPlugInKinds.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostServices.h"
#include "views/VPlugIn.h"

namespace {

constexpr uint32_t kTypeUchA = FourCC("UchA");

// Option defaults: 0, 1, 2, 5, 10 and 11 on; the minimum area 170 x 80.
constexpr int16_t kDefaultOnOptions[] = {0, 1, 2, 5, 10, 11};
constexpr int32_t kDefaultMinimumWidth = 170;
constexpr int32_t kDefaultMinimumHeight = 80;

// The options a new document copies, in the order it takes them.
constexpr int16_t kDocumentOptions[] = {0, 1, 2, 6, 7, 8, 9, 10, 11};

bool IsPackageOption(int16_t index) {
  return index >= 0 && index < xMorvaMain::kOptionCount && index != 3 && index != 4;
}

}  // namespace

xMorvaMain::xMorvaMain(HostStartupRecord* params) : VPackage(params) {}

xMorvaMain::~xMorvaMain() {
  // The placeholders, output and printing objects the host never deleted
  // go with the package, as its base lets the areas go: the host cannot
  // reach them once the module stops, and their documents would be lost
  // memory. Each leaves its list and its reference on the way.
  std::vector<VPlugInObject*> others;
  for (const auto& entry : fReferences) {
    const int32_t kind = entry.second.kind;
    if (kind == kPlugInDesign || kind == kPlugInOutput || kind == kPlugInPrinting) others.push_back(entry.second.object);
  }
  for (VPlugInObject* object : others) delete object;
  // The areas outlive this part of the package: they forget it.
  for (auto& entry : fReferences) entry.second.host->DetachFromPackage();
  fReferences.clear();
  // The table belongs to this run of the package.
  if (fInitialized) SetWordCharacters(nullptr);
}

bool xMorvaMain::Init() {
  if (fInitialized) return true;
  fInitialized = 1;
  GetListString(fOutOfMemoryText, kAlertListOffset, kAlertOutOfMemory);
  std::fill(std::begin(fOptionFlags), std::end(fOptionFlags), uint8_t{0});
  for (int16_t option : kDefaultOnOptions) fOptionFlags[option] = 1;
  fOption6Text.SetEmpty(false);
  fOption7Text.SetEmpty(false);
  fCommandMethod.Clear();
  fErrorMethod.Clear();
  fCallbackMethod.Clear();
  fEventMethods.Clear();
  fLastMethodValue = -1;
  fOption8 = kDefaultMinimumWidth;
  fOption9 = kDefaultMinimumHeight;
  LoadWordCharTable();
  return true;
}

void xMorvaMain::LoadWordCharTable() {
  // Without the resource every unit stays a non-word character. A short
  // resource gives what it holds; the rest of the table stays clear.
  uint8_t table[kWordCharTableSize] = {};
  VMacResourceFile* file = GetResourceFile();
  if (file != nullptr) {
    uint8_t owned = 0;
    const VResourceRef ref = file->GetResource(kTypeUchA, static_cast<int16_t>(GetResourceBase()), &owned);
    if (ref != 0) {
      if (const auto* data = static_cast<const uint8_t*>(file->LockResource(ref))) {
        const uint32_t size = std::min<uint32_t>(file->GetResourceSize(ref), kWordCharTableSize);
        std::memcpy(table, data, size);
        file->UnlockResource(ref);
      }
      file->ReleaseResource(ref);
    }
  }
  SetWordCharacters(table);
}

// ---- Options

int32_t xMorvaMain::SetOption(int16_t index, int16_t value, const VString* text) {
  if (!IsPackageOption(index)) return kErrorOptionNumber;
  const uint8_t flag = value != 0 ? 1 : 0;
  switch (index) {
    case 6:
    case 7: {
      VStr<255>& kept = index == 6 ? fOption6Text : fOption7Text;
      fOptionFlags[index] = flag;
      kept.SetEmpty(false);
      // A cleared flag empties the text, whatever text comes with it.
      if (flag != 0 && text != nullptr) kept.Assign(*text);
      break;
    }
    case 8: fOption8 = value; break;
    case 9: fOption9 = value; break;
    default: fOptionFlags[index] = flag; break;
  }
  return 0;
}

int32_t xMorvaMain::GetOption(int16_t index, uint16_t& value, VString* text) const {
  value = 0;
  if (!IsPackageOption(index)) return kErrorOptionNumber;
  switch (index) {
    case 8: value = static_cast<uint16_t>(fOption8); break;
    case 9: value = static_cast<uint16_t>(fOption9); break;
    case 6:
      value = fOptionFlags[6];
      if (text != nullptr) {
        text->SetEmpty(false);
        text->Assign(fOption6Text);
      }
      break;
    default: value = fOptionFlags[index]; break;
  }
  return 0;
}

void xMorvaMain::CopyDefaultsTo(xMorvaDocument& document, bool offscreen) const {
  for (int16_t option : kDocumentOptions) {
    // A document without a host window records no undo steps, whatever
    // the default says.
    if (option == 2 && (offscreen || document.GetArea() == nullptr)) continue;
    int16_t value = fOptionFlags[option];
    const VString* text = nullptr;
    if (option == 0 && offscreen) value = 0;
    if (option == 6) text = &fOption6Text;
    if (option == 7) text = &fOption7Text;
    if (option == 8) value = static_cast<int16_t>(fOption8);
    if (option == 9) value = static_cast<int16_t>(fOption9);
    document.SetAreaSetting(option, value, text);
  }
}

// ---- References

namespace {
// The next reference to hand out. It outlives the package: a host that
// stops and starts the module keeps the first run's references, which
// must name nothing of a later run.
uint32_t sNextReference = 1;
}  // namespace

uint32_t xMorvaMain::AddReference(VPlugInObject* object, xMorvaHostObject* host) {
  // Skips 0 and any value still in use when the counter comes round.
  uint32_t reference = sNextReference;
  while (reference == 0 || fReferences.count(reference) != 0) ++reference;
  sNextReference = reference + 1;
  // The object has joined its kind's list by now, and stays in it: the
  // kind is asked once, so that resolving stays quick among many objects.
  fReferences[reference] = {object, host, KindOfPlugIn(object)};
  return reference;
}

void xMorvaMain::RemoveReference(uint32_t reference) { fReferences.erase(reference); }

xMorvaHostObject* xMorvaMain::FindReference(uint32_t reference, int32_t& kind) const {
  kind = kPlugInNone;
  const auto found = fReferences.find(reference);
  if (found == fReferences.end()) return nullptr;
  kind = found->second.kind;
  return kind != kPlugInNone ? found->second.host : nullptr;
}


// ---- Alerts and texts

void xMorvaMain::GetListString(VString& out, int32_t offset, int16_t item) const {
  out.SetEmpty(false);
  if (GetResourceFile() == nullptr) return;
  GetResourceFile()->GetIndString(&out, static_cast<int16_t>(GetResourceBase() + offset), item);
}

void xMorvaMain::ShowAlert(int16_t item) {
  ShowStringListItem(GetResourceFile(), static_cast<int16_t>(GetResourceBase() + kAlertListOffset), item);
}

void xMorvaMain::ShowMemoryAlert() { ShowAlert(kAlertOutOfMemory); }


// ---- Objects

// The routine number is the selector's low 16 bits, as for the area test.
bool xMorvaMain::IsEditingRoutine(int32_t routine) { return (routine & 0xFFFF) == 1; }

VPlugInObject* xMorvaMain::NewPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new xMorvaPlugIn(this, params) : nullptr;
}

VPlugInObject* xMorvaMain::NewDesignPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new xMorvaDesignPlugIn(this, params, routine) : nullptr;
}

VPlugInObject* xMorvaMain::NewOutputPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new xMorvaOutputPlugIn(this, params) : nullptr;
}

VPlugInObject* xMorvaMain::NewPrintingPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new xMorvaPrintingPlugIn(this, params) : nullptr;
}

int16_t xMorvaMain::GetAreaResourceId(int32_t routine) {
  return IsEditingRoutine(routine) ? kAreaResourceId : 0;
}

void xMorvaMain::OffscreenPlugInsDeleted(int32_t) { ShowAlert(kAlertOffscreenDeleted); }

uint8_t xMorvaMain::SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  // Direction 1 converts stored data to this machine's order.
  return SwapPlugInResource(direction == 1, type, size, data) ? 1 : 0;
}
