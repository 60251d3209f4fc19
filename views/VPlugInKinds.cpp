// The placeholder, output and printing kinds: their names and binding, the
// host's events and their answers, the test pattern, and printing through
// a scaled port on the printer's device context or through a metafile.
#include "views/VPlugInKinds.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "views/VPlugInDocMgr.h"
#include "views/VWindowView.h"
#include "graphics/VIconShape.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPort.h"
#include "graphics/VScaledPort.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"
#include "host/package/VPackage.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/toolbox/TbxPictures.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxPrinting.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

// Host events of the kinds beside those of boundary/HostSelectors.h.
constexpr uint16_t kEventUpdate = 6;
constexpr uint16_t kEventEnabledQuery = 20;
constexpr uint16_t kEventPrintStart = 27;
constexpr uint16_t kEventPrintEnd = 28;
constexpr uint16_t kEventPrint = 29;
constexpr uint16_t kEventSave = 70;
constexpr uint16_t kEventProperties2 = 609;
constexpr uint16_t kEventDataBack2 = 610;
constexpr uint16_t kEventKeepsData2 = 608;
// The host versions from which a form record carries its look, and from
// which the form editor has a window of its own.
constexpr int16_t kLookRecordVersion = 0x606;
constexpr int16_t kDesignWindowVersion = 0x65F;
// The interprocess mark of an area name: the lozenge of the Macintosh
// character set, or a leading "<>".
constexpr uint8_t kLozenge = 0xD7;
// Placeholder drawing: the look element under it, its inset, the gap
// after the icon, and the text colours of bound and unbound states.
constexpr int32_t kPlaceholderElement = 4;
constexpr int32_t kPlaceholderInset = 3;
constexpr int32_t kIconGap = 3;
constexpr int32_t kTextBound = 10;
constexpr int32_t kTextUnbound = 11;
// The test pattern's grid.
constexpr int32_t kPatternStepX = 40;
constexpr int32_t kPatternStepY = 10;
constexpr int32_t kScreenLogPixelsFallback = 96;

HostEventRecord* RecordOf(void** params) {
  return params != nullptr ? static_cast<HostEventRecord*>(params[kAreaEventRecordEntry]) : nullptr;
}

const int16_t* RectOf(void** params) {
  return params != nullptr ? static_cast<const int16_t*>(params[1]) : nullptr;
}

// The table of an area event that makes an object: the low word of `when`
// for code 16 (-1 none), the form record's for 602, the description's for
// the others.
int16_t TableOf(const HostEventRecord& record) {
  if (record.what == kAreaEventCreate) {
    return record.when == 0xFFFFFFFFu ? 0 : static_cast<int16_t>(record.when & 0xFFFF);
  }
  if (record.what == kAreaEventCreateFromRecord) {
    const auto* area = HostPointer<const HostAreaRecord>(record.message);
    return area != nullptr ? area->table : 0;
  }
  return 0;
}

}  // namespace

void ScreenToDeviceScale(HDC dc, double& sx, double& sy) {
  int screenX = kScreenLogPixelsFallback;
  int screenY = kScreenLogPixelsFallback;
  if (HDC screen = CreateCompatibleDC(nullptr)) {
    screenX = GetDeviceCaps(screen, LOGPIXELSX);
    screenY = GetDeviceCaps(screen, LOGPIXELSY);
    DeleteDC(screen);
  }
  if (screenX <= 0) screenX = kScreenLogPixelsFallback;
  if (screenY <= 0) screenY = kScreenLogPixelsFallback;
  const int deviceX = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
  const int deviceY = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  sx = deviceX > 0 ? static_cast<double>(deviceX) / screenX : 1.0;
  sy = deviceY > 0 ? static_cast<double>(deviceY) / screenY : 1.0;
}

VPrintDeviceRect ComputePrintDeviceRect(const int16_t rect[4], double sx, double sy,
                                        int16_t offsetX, int16_t offsetY) {
  auto x = [&](int16_t c) { return static_cast<int32_t>(c * 4 * sx / 3) + offsetX; };
  auto y = [&](int16_t c) { return static_cast<int32_t>(c * 4 * sy / 3) + offsetY; };
  VPrintDeviceRect out;
  out.top = y(rect[0]);
  out.left = x(rect[1]);
  out.bottom = y(rect[2]);
  out.right = x(rect[3]);
  return out;
}

// ---- What the kinds share.

VKindPlugIn::VKindPlugIn(VPackage* package, void* params, int16_t iconOffset)
    : VFrame(nullptr, nullptr), fPackage(package) {
  auto** array = static_cast<void**>(params);
  if (fPackage != nullptr) fIconId = static_cast<int16_t>(fPackage->GetResourceBase() + iconOffset);
  TakeRect(RectOf(array));
  if (array != nullptr && array[2] != nullptr) {
    const auto* name = static_cast<const uint8_t*>(array[2]);
    // The interprocess mark is no part of the name.
    uint8_t text[256] = {0};
    std::memcpy(text, name, size_t{name[0]} + 1);
    size_t skip = 0;
    if (text[0] >= 1 && text[1] == kLozenge) skip = 1;
    if (text[0] >= 2 && text[1] == '<' && text[2] == '>') skip = 2;
    fInterprocess = skip != 0 ? 1 : 0;
    text[skip] = static_cast<uint8_t>(text[0] - skip);
    fAreaName.SetPText(text + skip, kResCharSetMac);
  }
  if (const HostEventRecord* record = RecordOf(array))
    fTable = static_cast<uint16_t>(TableOf(*record));
}

VKindPlugIn::~VKindPlugIn() { delete fDocMgr; }

VPlugInDocMgr* VKindPlugIn::NewDocMgr() { return new VPlugInDocMgr(); }

VPlugInDocMgr* VKindPlugIn::GetDocMgr() {
  if (fDocMgr == nullptr) fDocMgr = NewDocMgr();
  return fDocMgr;
}

void VKindPlugIn::TakeRect(const int16_t* rect) {
  if (rect == nullptr) return;
  fHostX = rect[1];
  fHostY = rect[0];
  MoveTo(0, 0, 0);
  ResizeTo(int32_t{rect[3]} - rect[1], int32_t{rect[2]} - rect[0], 0);
}

void VKindPlugIn::BindDocMgr() {
  VPlugInDocMgr* manager = GetDocMgr();
  if (manager != nullptr)
    manager->BindField(static_cast<int16_t>(fTable), fAreaName, fInterprocess != 0);
}

void VKindPlugIn::DrawIntoCurrentPort() {
  Tbx::GrafPtr current = nullptr;
  Tbx::GetPort(&current);
  HDC dc = current != nullptr ? Tbx::GetPortHDC(current) : nullptr;
  if (dc == nullptr) return;
  auto draw = [&](VPort& port) {
    port.PushOrigin(fHostX, fHostY);
    port.SetLook(GetEffectiveLookIndex());
    DrawContent(port);
    port.PopOrigin();
  };
  if (Tbx::GetWindowFromPort(current) != nullptr) {
    VPort port(dc);
    draw(port);
  } else {
    // A port of no window (the page the host prints a form on) gets the
    // object at the screen's size, scaled to its resolution.
    double sx = 1.0;
    double sy = 1.0;
    ScreenToDeviceScale(dc, sx, sy);
    VScaledPort port(dc, sx, sy);
    draw(port);
  }
  Tbx::EndPortDrawing(current);
}

bool VKindPlugIn::TakeFormData(const HostEventRecord& record, const void*& data, uint32_t& size) {
  data = nullptr;
  size = 0;
  const auto* area = HostPointer<const HostAreaRecord>(record.message);
  VPlugInDocMgr* manager = GetDocMgr();
  if (area == nullptr || manager == nullptr || !manager->UsesFormData()) return false;
  const void* given = HostPointer<const void>(area->data);
  if (!manager->AcceptsFormData(given, area->dataSize)) return false;
  data = given;
  size = area->dataSize;
  return true;
}

void VKindPlugIn::StoreAsResult(void** params) {
  if (params == nullptr) return;
  if (auto** cell = static_cast<VPlugInObject**>(params[kAreaObjectCellEntry])) *cell = this;
}

// ---- The form editor's placeholder.

VDesignPlugIn::VDesignPlugIn(VPackage* package, void* params, int32_t resourceOffset,
                             int16_t iconOffset)
    : VKindPlugIn(package, params, iconOffset) {
  if (fPackage != nullptr) fPackage->AddDesignPlugIn(this);
  StoreAsResult(static_cast<void**>(params));
  if (fPackage != nullptr) {
    if (VMacResourceFile* file = fPackage->GetResourceFile()) {
      file->GetIndString(&fLabel, static_cast<int16_t>(fPackage->GetResourceBase()),
                         static_cast<int16_t>(resourceOffset));
      if (fLabel.GetLength() > 0) fLabel.Delete(1, 1);
    }
  }
  if (const HostEventRecord* record = RecordOf(static_cast<void**>(params)))
    TakeDesignRecord(*record);
}

void VDesignPlugIn::TakeDesignRecord(const HostEventRecord& record) {
  if (record.what != kAreaEventDesign && record.what != kAreaEventDesignKeep) return;
  const auto* design = HostPointer<const HostDesignRecord>(record.message);
  if (design == nullptr) return;
  fInterprocess = fInterprocess != 0 || design->interprocess != 0 ? 1 : 0;
  fTable = static_cast<uint16_t>(design->table > 0 ? design->table : 0);
  // The form editor of a newer host has a window the placeholder lives in.
  auto* window = HostPointer<Tbx::WindowRecord>(design->window);
  // It shares that window's view with the areas the window holds.
  if (design->version > kDesignWindowVersion && window != nullptr)
    fDesignWindow = JoinHostWindowView(this, window);
}

VDesignPlugIn::~VDesignPlugIn() {
  if (fPackage != nullptr) fPackage->RemoveDesignPlugIn(this);
  VWindowView* window = fDesignWindow;
  fDesignWindow = nullptr;
  LeaveHostWindowView(this, window);
}

int16_t VDesignPlugIn::GetBindingState() {
  VPlugInDocMgr* manager = GetDocMgr();
  if (manager == nullptr) return 0;
  BindDocMgr();
  const bool picture = manager->CanUsePictureField();
  const bool blob = manager->CanUseBlobField();
  if (!picture && !blob) return 0;
  const int16_t kind = picture && blob ? 0 : (picture ? 1 : 2);
  if (manager->GetField() == 0) return static_cast<int16_t>(5 + kind);
  if (manager->IsFieldUsable()) return 1;
  return static_cast<int16_t>(2 + kind);
}

void VDesignPlugIn::BuildLabel(VString& out, VResourceFile* file, int16_t state) {
  out.SetEmpty(false);
  if (fInterprocess != 0) out.AppendCText("<>", kResCharSetMac);
  out.CopyText(fAreaName);
  if (state == 0) return;
  out.AppendCText(": ", kResCharSetMac);
  out.CopyText(fLabel);
  if (file != nullptr) {
    VStr<255> item;
    file->GetIndString(&item, kBindingStateList, state);
    out.CopyText(item);
  }
  if (state >= 1 && state <= 4) {
    VStr<255> field;
    HostGetFieldName(field, GetDocMgr()->GetTable(), GetDocMgr()->GetField(), false);
    out.CopyText(field);
  } else {
    out.CopyText(fAreaName);
    out.AppendCText("_", kResCharSetMac);
  }
}

void VDesignPlugIn::SetData(const void* data, uint32_t size) {
  if (data != nullptr) UsePreviewData(data, size);
}

void VDesignPlugIn::ShowProperties(void* propertyRecord) {
  VPlugInProperties* properties = new VPlugInProperties(this, propertyRecord);
  properties->Edit();
  delete properties;
}

void VDesignPlugIn::MoveTo(int32_t x, int32_t y, int16_t mode) {
  if (x == fHostX && y == fHostY) return;
  fHostX = x;
  fHostY = y;
  VFrame::MoveTo(0, 0, 0);
  Invalidate(mode);
}

void VDesignPlugIn::DrawContent(VPort& port) {
  const int16_t state = GetBindingState();
  VStr<255> label;
  VResourceFile* file = fPackage != nullptr ? fPackage->GetResourceFile() : nullptr;
  BuildLabel(label, file, state);
  // Nothing of the placeholder goes outside its rectangle in the form: a
  // look's frame that reaches round a tiny rectangle, and an icon larger
  // than the room inside, are cut at its edges.
  port.PushClip(false);
  port.ClipToRect(VRect(0, 0, GetWidth(), GetHeight()), true);
  const auto draw = [&] {
    const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
    DrawLookElement(port, kPlaceholderElement, 0, whole, 0);
    int32_t x = kPlaceholderInset;
    const int32_t y = kPlaceholderInset;
    const int32_t w = GetWidth() - 2 * kPlaceholderInset;
    const int32_t h = GetHeight() - 2 * kPlaceholderInset;
    if (w <= 0 || h <= 0) return;
    if (file != nullptr) {
      VIconShape icon(file, fIconId);
      if (icon.GetWidth() > 0) {
        icon.SetPosition(x, y);
        port.DrawIcon(icon, 0);
        x += icon.GetWidth() + kIconGap;
      }
    }
    if (x >= kPlaceholderInset + w) return;
    port.UseStandardFont(0);
    port.SetTextColorIndex(state <= 1 ? kTextBound : kTextUnbound);
    port.DrawTextInRect(label, 0, 0, VRect(x, y, kPlaceholderInset + w - x, h), 0);
  };
  draw();
  port.PopClip();
}

void VDesignPlugIn::DrawPicture(void** params) {
  HostEventRecord* record = RecordOf(params);
  if (record == nullptr) return;
  VPlugInDocMgr* manager = GetDocMgr();
  const bool keepsData = manager != nullptr && manager->UsesFormData();
  switch (record->what) {
    case kAreaEventDesign: {
      const auto* design = HostPointer<const HostDesignRecord>(record->message);
      if (keepsData && design != nullptr && design->data != 0) {
        UsePreviewData(HostPointer<const void>(design->data), design->dataSize);
      }
      if (Tbx::IsPictureOpen()) {
        // The editor records a picture: drawn into a metafile played into
        // the area's rectangle.
        VMetafilePort metafile(nullptr, 0, 0, GetWidth(), GetHeight());
        if (metafile.IsRecording()) {
          DrawContent(metafile);
          if (HENHMETAFILE emf = metafile.EndRecording()) {
            const Tbx::Rect frame{static_cast<int16_t>(fHostY), static_cast<int16_t>(fHostX),
                                  static_cast<int16_t>(fHostY + GetHeight()),
                                  static_cast<int16_t>(fHostX + GetWidth())};
            Tbx::PlayMetafileIntoPicture(emf, &frame);
            DeleteEnhMetaFile(emf);
          }
        }
      } else {
        DrawIntoCurrentPort();
      }
      record->message = kKindAnswerDrawn;
      break;
    }
    case kAreaEventDesign600:
    case kEventProperties2: {
      if (!keepsData) break;
      auto* property = HostPointer<HostPropertyRecord>(record->message);
      ShowProperties(property);
      record->modifiers = property != nullptr && property->data != 0 ? kKindAnswerFormData : 0;
      break;
    }
    case kAreaEventDesign601:
    case kEventDataBack2: {
      // A block the host hands back: ours (our signature first) is freed.
      const auto* property = HostPointer<HostPropertyRecord>(record->message);
      if (!keepsData || property == nullptr || property->data == 0 || property->dataSize < 4) break;
      uint32_t signature = 0;
      std::memcpy(&signature, HostPointer<const void>(property->data), sizeof signature);
      if (signature == manager->GetSignature())
        gMemoryMgr->DisposeBlock(HostPointer<void>(property->data));
      break;
    }
    case kAreaEventDesign603:
    case kEventKeepsData2:
      if (keepsData) record->message = kAreaEventDesign603;
      break;
    case kAreaEventDesignKeep: {
      const auto* design = HostPointer<const HostDesignRecord>(record->message);
      if (keepsData && design != nullptr && design->data != 0) {
        SetData(HostPointer<const void>(design->data), design->dataSize);
      } else {
        SetData(nullptr, 0);
      }
      break;
    }
    case kAreaEventDeleteAlt:
      WillClose();
      VFrame::Close();
      break;
    case kAreaEventDesignRedraw: {
      const auto* design = HostPointer<const HostDesignRecord>(record->message);
      if (design == nullptr) break;
      MoveTo(design->left, design->top, 0);
      ResizeTo(int32_t{design->right} - design->left, int32_t{design->bottom} - design->top, 0);
      Tbx::GrafPtr saved = nullptr;
      Tbx::GetPort(&saved);
      if (design->port != 0) Tbx::SetPort(HostPointer<Tbx::GrafPort>(design->port));
      DrawIntoCurrentPort();
      Tbx::SetPort(saved);
      record->message = kKindAnswerDrawn;
      break;
    }
    default: break;
  }
}

// ---- Properties.

VPlugInProperties::VPlugInProperties(VDesignPlugIn* owner, void* propertyRecord)
    : fOwner(owner), fRecord(propertyRecord) {
  if (fOwner != nullptr && fOwner->GetDocMgr() != nullptr) {
    fSignature = fOwner->GetDocMgr()->GetSignature();
    fVersion = fOwner->GetDocMgr()->GetVersion();
  }
}

VPlugInProperties::~VPlugInProperties() {
  auto* record = static_cast<HostPropertyRecord*>(fRecord);
  if (record != nullptr) {
    record->data = 0;
    record->dataSize = 0;
    if (fData != 0) {
      const uint32_t size = gMemoryMgr->GetHandleSize(fData);
      VHandleLocker lock(fData);
      void* block = lock && size != 0 ? gMemoryMgr->NewBlock(size) : nullptr;
      if (block != nullptr) {
        std::memcpy(block, lock.Data(), size);
        record->data = reinterpret_cast<uintptr_t>(block);
        record->dataSize = size;
      }
    }
  }
  if (fData != 0) gMemoryMgr->DisposeHandle(fData);
}

VMemHandle VPlugInProperties::GetData() {
  if (fData != 0 || fDataTaken != 0) return fData;
  fDataTaken = 1;
  const auto* record = static_cast<const HostPropertyRecord*>(fRecord);
  if (record == nullptr || fOwner == nullptr || fOwner->GetDocMgr() == nullptr) return 0;
  const void* data = HostPointer<const void>(record->data);
  if (!fOwner->GetDocMgr()->AcceptsFormData(data, record->dataSize)) return 0;
  const VMemHandle handle = gMemoryMgr->NewHandle(record->dataSize, 0);
  if (handle == 0) return 0;
  {
    VHandleLocker lock(handle);
    if (lock) std::memcpy(lock.Data(), data, record->dataSize);
  }
  fData = handle;
  return fData;
}

void VPlugInProperties::SetData(VMemHandle handle) {
  fDataTaken = 1;
  if (handle == fData) return;
  if (fData != 0) gMemoryMgr->DisposeHandle(fData);
  fData = handle;
}

void VPlugInProperties::Edit() {
  VPackage* package = fOwner != nullptr ? fOwner->GetPackage() : nullptr;
  VMacResourceFile* file = package != nullptr ? package->GetResourceFile() : nullptr;
  if (file == nullptr) return;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetCNamedResource(FourCC("STR "), "NoProperties", &owned);
  if (ref == 0) return;
  uint8_t text[256] = {0};
  if (const auto* data = static_cast<const uint8_t*>(file->LockResource(ref))) {
    const uint32_t size = file->GetResourceSize(ref);
    // The length byte is trusted only as far as the resource holds.
    const uint32_t length = size == 0 ? 0 : std::min<uint32_t>(data[0], size - 1);
    text[0] = static_cast<uint8_t>(length);
    std::memcpy(text + 1, data + 1, length);
    file->UnlockResource(ref);
  }
  if (owned != 0) file->ReleaseResource(ref);
  HostShowMessage(text);
}

// ---- Output.

VOutputPlugIn::VOutputPlugIn(VPackage* package, void* params, int16_t iconOffset)
    : VKindPlugIn(package, params, iconOffset) {
  if (fPackage != nullptr) fPackage->AddOutputPlugIn(this);
  StoreAsResult(static_cast<void**>(params));
}

VOutputPlugIn::~VOutputPlugIn() {
  if (fPackage != nullptr) fPackage->RemoveOutputPlugIn(this);
}

void VOutputPlugIn::DrawContent(VPort& port) {
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  port.EraseRect(0, 0, w, h);
  port.FrameRect(0, 0, w, h);
  VStr<40> text;
  for (int32_t y = 0; y < h; y += kPatternStepY) {
    for (int32_t x = 0; x < w; x += kPatternStepX) {
      char digits[32];
      std::snprintf(digits, sizeof digits, "%d %d", static_cast<int>(x), static_cast<int>(y));
      text.SetCText(digits, kResCharSetMac);
      port.MoveTo(x + 5, y + 10, true);
      port.DrawString(text);
    }
  }
}

// The events both the output and the printing kinds answer alike; true
// when the event was one of them.
bool VKindPlugIn::HandleCommonEvent(void** params, HostEventRecord& record,
                                    void (*setData)(VKindPlugIn&, const void*, uint32_t)) {
  VPlugInDocMgr* manager = GetDocMgr();
  switch (record.what) {
    case kAreaEventCreate:
      SetLookIndex(static_cast<int16_t>(HostGetValue164()));
      setData(*this, nullptr, 0);
      if (params != nullptr) {
        if (auto** cell = static_cast<VPlugInObject**>(params[kAreaObjectCellEntry])) *cell = this;
      }
      if (manager != nullptr && manager->IsFieldUsable()) manager->LoadFromField(this);
      return true;
    case kAreaEventCreateFromRecord: {
      const auto* area = HostPointer<const HostAreaRecord>(record.message);
      SetLookIndex(area != nullptr && area->version >= kLookRecordVersion
                       ? static_cast<int16_t>(area->look - 1)
                       : 2);
      const void* data = nullptr;
      uint32_t size = 0;
      TakeFormData(record, data, size);
      setData(*this, data, size);
      record.modifiers = kKindAnswerFormData;
      StoreAsResult(params);
      if (manager != nullptr && manager->IsFieldUsable()) manager->LoadFromField(this);
      return true;
    }
    case kEventEnabledQuery: record.message = kKindAnswerEnabledQuery; return true;
    case kEventSave:
      if (manager != nullptr && manager->IsFieldUsable()) manager->SaveToField(this);
      return true;
    default: return false;
  }
}

void VOutputPlugIn::DrawOutput(void** params) {
  HostEventRecord* record = RecordOf(params);
  if (record == nullptr) return;
  if (record->what == kAreaEventCreate || record->what == kAreaEventCreateFromRecord) BindDocMgr();
  auto setData = [](VKindPlugIn& kind, const void* data, uint32_t size) {
    static_cast<VOutputPlugIn&>(kind).SetData(data, size);
  };
  if (HandleCommonEvent(params, *record, setData)) return;
  switch (record->what) {
    case kEventUpdate:
      TakeRect(RectOf(params));
      DrawIntoCurrentPort();
      break;
    case kAreaEventDelete: WillClose(); break;
    default: record->modifiers = kKindAnswerUnknown; break;
  }
}

// ---- Printing.

VPrintingPlugIn::VPrintingPlugIn(VPackage* package, void* params, int16_t iconOffset)
    : VKindPlugIn(package, params, iconOffset) {
  if (fPackage != nullptr) fPackage->AddPrintingPlugIn(this);
  StoreAsResult(static_cast<void**>(params));
}

VPrintingPlugIn::~VPrintingPlugIn() {
  if (fPackage != nullptr) fPackage->RemovePrintingPlugIn(this);
}

void VPrintingPlugIn::PrintPage(void** params) {
  HostEventRecord* record = RecordOf(params);
  if (record == nullptr) return;
  if (record->what == kAreaEventCreate || record->what == kAreaEventCreateFromRecord) BindDocMgr();
  auto setData = [](VKindPlugIn& kind, const void* data, uint32_t size) {
    static_cast<VPrintingPlugIn&>(kind).SetData(data, size);
  };
  if (HandleCommonEvent(params, *record, setData)) return;
  switch (record->what) {
    case kAreaEventDelete:
      WillClose();
      VFrame::Close();
      break;
    case kEventPrintStart:
      fPrinting = 1;
      record->message = StartPrinting() ? kKindAnswerPrinting : 0;
      break;
    case kEventPrintEnd:
      record->message = EndPrinting(fPrinting != 0) ? 1 : 0;
      fPrinting = 0;
      break;
    case kEventPrint: Print(RectOf(params)); break;
    default: record->modifiers = kKindAnswerUnknown; break;
  }
}

void VPrintingPlugIn::Print(const int16_t* rect) {
  if (rect == nullptr) return;
  if (Tbx::IsPictureOpen()) {
    // The host records a picture: the area goes through a metafile played
    // into its rectangle.
    const int32_t w = (int32_t{rect[3]} - rect[1]) * 4 / 3;
    const int32_t h = (int32_t{rect[2]} - rect[0]) * 4 / 3;
    VMetafilePort metafile(nullptr, 0, 0, w, h);
    if (!metafile.IsRecording()) return;
    metafile.SetLook(GetEffectiveLookIndex());
    PrintInPort(metafile, h);
    if (HENHMETAFILE emf = metafile.EndRecording()) {
      const Tbx::Rect frame{rect[0], rect[1], rect[2], rect[3]};
      Tbx::PlayMetafileIntoPicture(emf, &frame);
      DeleteEnhMetaFile(emf);
    }
    return;
  }
  Tbx::GrafPtr current = nullptr;
  Tbx::GetPort(&current);
  HDC dc = current != nullptr ? Tbx::GetPortHDC(current) : nullptr;
  if (dc == nullptr) return;
  PrintInto(dc, rect);
  Tbx::EndPortDrawing(current);
}

void VPrintingPlugIn::PrintInto(HDC dc, const int16_t* rect) {
  if (dc == nullptr || rect == nullptr) return;
  const int oldMap = SetMapMode(dc, MM_TEXT);
  const int oldMode = SetGraphicsMode(dc, GM_ADVANCED);
  const int oldStretch = SetStretchBltMode(dc, COLORONCOLOR);
  POINT oldOrigin{0, 0};
  SetViewportOrgEx(dc, 0, 0, &oldOrigin);
  int16_t offsetX = 0;
  int16_t offsetY = 0;
  Tbx::GetPrintOffsets(&offsetX, &offsetY);

  double sx = 1.0;
  double sy = 1.0;
  ScreenToDeviceScale(dc, sx, sy);
  const VPrintDeviceRect device = ComputePrintDeviceRect(rect, sx, sy, offsetX, offsetY);
  if (sx > 0 && sy > 0) {
    VScaledPort port(dc, sx, sy);
    port.SetLook(GetEffectiveLookIndex());
    port.PushClip(false);
    port.PushOrigin(static_cast<int32_t>(device.left / sx), static_cast<int32_t>(device.top / sy));
    PrintInPort(port, static_cast<int32_t>((device.bottom - device.top) / sy));
    port.PopOrigin();
    port.PopClip();
  }
  SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  SetStretchBltMode(dc, oldStretch);
  SetGraphicsMode(dc, oldMode);
  SetMapMode(dc, oldMap);
}
