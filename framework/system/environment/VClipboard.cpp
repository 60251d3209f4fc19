// The clipboard over the Toolbox scrap.
#include "framework/system/environment/VClipboard.h"

#include <climits>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/StringFactory.h"
#include "framework/core/strings/VString.h"
#include "platform/toolbox/TbxScrap.h"

VClipboard* gClipboard = nullptr;

namespace {

// The form in which text travels as 'TEXT': Macintosh bytes.
constexpr int32_t kMacTextForm = 0;

}  // namespace

VClipboard::VClipboard() : fFlavors(new VChainListOf<VClipboardFlavor*>()) {
  AddFlavor(kFlavorTEXT);
  AddFlavor(kFlavorPICT);
}

VClipboard::~VClipboard() {
  for (int32_t n = fFlavors->Count(); n >= 1; --n) delete fFlavors->GetAt(n);
  fFlavors->RemoveAll(true);
}

VClipboardFlavor* VClipboard::Find(uint32_t type) const {
  const int32_t count = fFlavors->Count();
  for (int32_t n = 1; n <= count; ++n) {
    VClipboardFlavor* flavor = fFlavors->GetAt(n);
    if (flavor->type == type) return flavor;
  }
  return nullptr;
}

void VClipboard::AddFlavor(uint32_t type) {
  VClipboardFlavor* flavor = Find(type);
  if (flavor != nullptr) {
    // The count stops at its largest value rather than wrapping to 0, which
    // would make one removal drop a type that is still in use.
    if (flavor->useCount < UINT16_MAX) ++flavor->useCount;
    return;
  }
  // Flavour records come from the language runtime's allocator.
  flavor = new VClipboardFlavor{type, 1, 0};
  fFlavors->AddLast(&flavor);
}

void VClipboard::RemoveFlavor(uint32_t type) {
  VClipboardFlavor* flavor = Find(type);
  if (flavor == nullptr) return;
  if (flavor->useCount > 1) {
    --flavor->useCount;
    return;
  }
  fFlavors->Remove(&flavor, true);
  delete flavor;
}

int32_t VClipboard::Refresh() {
  int32_t available = 0;
  const int32_t count = fFlavors->Count();
  for (int32_t n = 1; n <= count; ++n) {
    VClipboardFlavor* flavor = fFlavors->GetAt(n);
    flavor->available = HasData(flavor->type) ? 1 : 0;
    available += flavor->available;
  }
  return available;
}

uint32_t VClipboard::GetAvailableType(int32_t n) {
  if (n < 1) return 0;
  const int32_t count = fFlavors->Count();
  for (int32_t i = 1; i <= count; ++i) {
    const VClipboardFlavor* flavor = fFlavors->GetAt(i);
    if (flavor->available != 0 && --n == 0) return flavor->type;
  }
  return 0;
}

bool VClipboard::HasData(uint32_t type) {
  int32_t offset = 0;
  return Tbx::GetScrap(0, type, &offset) > 0;
}

int32_t VClipboard::GetSize(uint32_t type) {
  int32_t offset = 0;
  return Tbx::GetScrap(0, type, &offset);
}

VMemHandle VClipboard::GetData(uint32_t type) {
  int32_t offset = 0;
  const int32_t length = Tbx::GetScrap(0, type, &offset);
  if (length <= 0) return 0;
  const Tbx::Handle macHandle = Tbx::NewHandle(length);
  if (macHandle == 0) return 0;
  if (Tbx::GetScrap(macHandle, type, &offset) <= 0) {
    Tbx::DisposeHandle(macHandle);
    return 0;
  }
  // The copy disposes of the Toolbox handle; a copy that fails leaves it
  // with us, so it goes here.
  const VMemHandle handle = gMemoryMgr->FromMacHandle(macHandle, true);
  if (handle == 0) Tbx::DisposeHandle(macHandle);
  return handle;
}

bool VClipboard::PutData(uint32_t type, const void* address, int32_t length) {
  return Tbx::PutScrap(length, type, address) == 0;
}

void VClipboard::Clear() { Tbx::ZeroScrap(); }

uint32_t VClipboard::GetChangeCount() const { return Tbx::GetScrapChangeCount(); }

bool VClipboard::PutPicture(const VPictureData& picture) {
  const VClipboardPictureOps* ops = VClipboardPictureService::Get();
  if (ops == nullptr) return false;
  VPictureData* converted = nullptr;
  const VPictureData* pict = &picture;
  if (ops->pictureKind(picture) != 1) {
    converted = ops->newPictFrom(picture);
    if (converted == nullptr) return false;
    pict = converted;
  }
  const std::vector<uint8_t> bytes = ops->pictBytes(*pict);
  if (converted != nullptr) ops->deletePicture(converted);
  const bool put = !bytes.empty() && bytes.size() <= INT32_MAX &&
                   PutData(kFlavorPICT, bytes.data(), static_cast<int32_t>(bytes.size()));
  return put;
}

VPictureData* VClipboard::GetPicture() {
  const VClipboardPictureOps* ops = VClipboardPictureService::Get();
  if (ops == nullptr) return nullptr;
  const VMemHandle handle = GetData(kFlavorPICT);
  if (handle == 0) return nullptr;
  VPictureData* picture = nullptr;
  {
    VHandleLocker bytes(handle);
    if (bytes) picture = ops->newPict(bytes.Data(), gMemoryMgr->GetHandleSize(handle));
  }
  gMemoryMgr->DisposeHandle(handle);
  return picture;
}

VString* VClipboard::GetText() {
  const VMemHandle handle = GetData(kFlavorTEXT);
  if (handle == 0) return nullptr;
  VString* text = NewString(kStringFormMacHandle);
  if (text != nullptr) text->SetFromHandle(handle, kMacTextForm);
  gMemoryMgr->DisposeHandle(handle);
  return text;
}

bool VClipboard::GetTextInto(VString& text) {
  const VMemHandle handle = GetData(kFlavorTEXT);
  if (handle == 0) return false;
  text.SetFromHandle(handle, kMacTextForm);
  gMemoryMgr->DisposeHandle(handle);
  return true;
}

bool VClipboard::PutText(const VString& text) {
  const VMemHandle handle = text.NewHandleOfText(kMacTextForm, false);
  if (handle == 0) return false;
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  bool put = false;
  {
    VHandleLocker bytes(handle);
    if ((bytes || size == 0) && size <= INT32_MAX)
      put = PutData(kFlavorTEXT, bytes.Data(), static_cast<int32_t>(size));
  }
  gMemoryMgr->DisposeHandle(handle);
  return put;
}

int32_t VClipboard::CountFlavors() const { return fFlavors->Count(); }

const VClipboardFlavor* VClipboard::GetFlavor(int32_t n) const {
  return n >= 1 && n <= fFlavors->Count() ? fFlavors->GetAt(n) : nullptr;
}
