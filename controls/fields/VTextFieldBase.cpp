// The text fields' shared behaviour, said in terms of their operations.
#include "controls/fields/VTextFieldBase.h"

#include <memory>

#include "controls/fields/TextResourceReader.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/StandardColors.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VLookPainter.h"
#include "platform/gdi/WinGdi.h"

namespace {

constexpr uint32_t kTypeTEXT = FourCC("TEXT");
constexpr uint32_t kTypeStyl = FourCC("styl");

// A resource of a file, locked while the guard lives.
class LockedResource {
 public:
  LockedResource(VResourceFile& file, uint32_t type, int16_t id) : fFile(file) {
    fRef = file.GetResource(type, id, &fOwned);
    if (fRef != 0) fData = static_cast<const uint8_t*>(file.LockResource(fRef));
    if (fData != nullptr) fSize = file.GetResourceSize(fRef);
  }
  ~LockedResource() {
    if (fData != nullptr) fFile.UnlockResource(fRef);
    if (fRef != 0) fFile.ReleaseResource(fRef);
  }
  LockedResource(const LockedResource&) = delete;
  LockedResource& operator=(const LockedResource&) = delete;

  const uint8_t* Data() const { return fData; }
  uint32_t Size() const { return fSize; }

 private:
  VResourceFile& fFile;
  VResourceRef fRef = 0;
  uint8_t fOwned = 0;
  const uint8_t* fData = nullptr;
  uint32_t fSize = 0;
};

}  // namespace

VTextFieldBase::VTextFieldBase(VFrame* parent, bool verticalBar, bool horizontalBar)
    : VScrollContainer(parent, verticalBar, horizontalBar) {}

VTextFieldBase::~VTextFieldBase() = default;

bool VTextFieldBase::SetText(const void*, int32_t, bool) { return false; }

// ---- Text from resources and strings.

bool VTextFieldBase::LoadTextResource(VResourceFile& file, uint32_t type, int16_t id, bool replaceAll) {
  bool loaded = false;
  if (type == kTypeStyl) {
    loaded = LoadStyledText(file, id, true, replaceAll);
  } else if (type == kTypeTEXT) {
    loaded = LoadStyledText(file, id, false, replaceAll);
  } else if (IsHeResourceType(type)) {
    loaded = LoadHeText(file, type, id, replaceAll);
  }
  if (!loaded) SetText(nullptr, 0, replaceAll);
  return loaded;
}

bool VTextFieldBase::LoadStyledText(VResourceFile& file, int16_t id, bool withStyles, bool replaceAll) {
  std::unique_ptr<LockedResource> styles;
  if (withStyles) {
    styles = std::make_unique<LockedResource>(file, kTypeStyl, id);
    if (styles->Data() == nullptr) styles.reset();
  }
  LockedResource text(file, kTypeTEXT, id);
  if (text.Data() == nullptr) return false;
  bool result = SetText(text.Data(), static_cast<int32_t>(text.Size()), replaceAll);
  if (result && styles != nullptr)
    result = SetStyles(styles->Data(), static_cast<int32_t>(styles->Size()), replaceAll);
  return result;
}

bool VTextFieldBase::LoadHeText(VResourceFile& file, uint32_t type, int16_t id, bool replaceAll) {
  LockedResource resource(file, type, id);
  if (resource.Data() == nullptr) return false;
  TextResourceContent content;
  if (ReadHeTextResource(resource.Data(), resource.Size(), content) != TextResourceError::kNone) return false;
  bool result = SetText(content.text.data(), static_cast<int32_t>(content.text.size()), replaceAll);
  if (result && !content.styles.empty())
    result = SetStyles(content.styles.data(), static_cast<int32_t>(content.styles.size()), replaceAll);
  if (content.hasSelection) SetSelection(content.selectionStart, content.selectionEnd);
  return result;
}

bool VTextFieldBase::SetString(const VString& text, bool replaceAll) {
  if (!text.IsUnicode() && text.IsMac()) {
    const bool result = SetText(text.GetBuffer(), text.GetLength(), replaceAll);
    text.ReleaseBuffer();
    return result;
  }
  VMacStrInHandle mac(text);
  const bool result = SetText(mac.GetBuffer(), mac.GetLength(), replaceAll);
  mac.ReleaseBuffer();
  return result;
}

void VTextFieldBase::GetString(VString& out, bool all) {
  const VMemHandle handle = GetTextHandle(all);
  if (handle == 0) {
    out.SetEmpty(false);
    return;
  }
  const auto* bytes = static_cast<const char*>(gMemoryMgr->LockHandle(handle));
  out.SetChars(bytes, 0, static_cast<int32_t>(gMemoryMgr->GetHandleSize(handle)), kCharSetMac);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
}

// ---- Fonts and colours.

void VTextFieldBase::SetBackColorRGB(uint8_t red, uint8_t green, uint8_t blue) {
  SetBackColor(uint32_t(red) + uint32_t(green) * 256 + uint32_t(blue) * 65536);
}

void VTextFieldBase::SetTextColorRGB(uint8_t red, uint8_t green, uint8_t blue) {
  SetTextColor(uint32_t(red) + uint32_t(green) * 256 + uint32_t(blue) * 65536);
}

void VTextFieldBase::SetDefaultFont(int32_t kind) {
  VStr<255> name;
  int16_t size = 0;
  uint8_t bold = 0;
  uint8_t italic = 0;
  bool found = false;
  if (VLookPainter* painter = GetLookPainter()) {
    HDC dc = CreateCompatibleDC(nullptr);
    found = painter->GetFont(dc, kind, name, size, bold, italic);
    DeleteDC(dc);
  }
  if (!found) {
    name.SetCText("MS Sans Serif", kCharSetAnsi);
    size = 8;
    bold = italic = 0;
  }
  SetPlain();
  SetFontName(name);
  SetFontSize(size);
  SetBold(bold != 0);
  SetItalic(italic != 0);
}

void VTextFieldBase::SetFontName(const VString& name) { SetFontNumber(VSystemServices::GetFontNumber(name)); }

void VTextFieldBase::SetBackColorIndex(int32_t index) { SetBackColor(StandardColor(index)); }

void VTextFieldBase::SetTextColorIndex(int32_t index) { SetTextColor(StandardColor(index)); }

void VTextFieldBase::UpdateContextCommands() {
  VStr<80> name;
  GetFontName(name);
  SetCommandString(kCmdFieldFontName, name, 1);
  uint8_t face = 0;
  GetStyle(face);
  SetCommandLong(kCmdFieldItalic, (face & kFaceItalic) != 0 ? 1 : 0, 1);
  SetCommandLong(kCmdFieldBold, (face & kFaceBold) != 0 ? 1 : 0, 1);
  SetCommandLong(kCmdFieldUnderline, (face & kFaceUnderline) != 0 ? 1 : 0, 1);
  int16_t size = 0;
  GetFontSize(size);
  SetCommandLong(kCmdFieldFontSize, size + 600, 1);
  uint32_t color = 0;
  GetColor(color);
  SetCommandLong(kCmdFieldColor, static_cast<int32_t>(color), 1);
}

// ---- The selection.

void VTextFieldBase::CollapseSelection(bool toEnd) {
  const int32_t at = toEnd ? kFieldTextEnd : 0;
  SetSelection(at, at);
}

void VTextFieldBase::PushSelection() {
  int32_t start = 0;
  int32_t end = 0;
  GetSelection(start, end);
  fSelectionStarts.Push(static_cast<uint32_t>(start));
  fSelectionEnds.Push(static_cast<uint32_t>(end));
}

void VTextFieldBase::PopSelection() {
  const auto end = static_cast<int32_t>(fSelectionEnds.Pop());
  const auto start = static_cast<int32_t>(fSelectionStarts.Pop());
  SetSelection(start, end);
}
