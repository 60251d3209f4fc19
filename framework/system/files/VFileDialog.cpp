// File dialog descriptions and the exchanges that run them.
#include "framework/system/files/VFileDialog.h"

#include <cstring>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VResourceFile.h"

namespace {

const VFileDialogRunners* Runners() { return VFileDialogService::Get(); }

// The extra texts hold at most 80 characters.
constexpr int32_t kExtraTextLength = 80;

// A text field of a dialog resource: a length byte and up to 31 characters.
constexpr uint32_t kTextField = 32;
constexpr uint8_t kTextFieldLength = 31;
// An 'FPUT' filter; the fixed part of an 'FGET' filter before its types.
constexpr uint32_t kPutFilterSize = 44;
constexpr uint32_t kGetFilterHead = 38;

// The flag that each option bit sets, from bit 0.
constexpr int32_t kGetFlagOfBit[8] = {1, 4, 2, 3, 5, 6, 7, 8};
constexpr int32_t kPutFlagOfBit[3] = {1, 4, 9};

// Reads native-order fields of a locked resource, each only when it lies
// whole inside the resource.
class FieldReader {
 public:
  FieldReader(const uint8_t* data, uint32_t size) : fData(data), fSize(size) {}

  bool Fits(uint64_t bytes) const { return fPos <= fSize && fSize - fPos >= bytes; }

  uint8_t U8() { return fData[fPos++]; }
  int16_t I16() {
    int16_t value;
    std::memcpy(&value, fData + fPos, sizeof value);
    fPos += sizeof value;
    return value;
  }
  uint32_t U32() {
    uint32_t value;
    std::memcpy(&value, fData + fPos, sizeof value);
    fPos += sizeof value;
    return value;
  }
  void Skip(uint32_t bytes) { fPos += bytes; }
  // A text field as a length-prefixed text of at most 31 characters.
  void Text(uint8_t (&out)[kTextField]) {
    std::memcpy(out, fData + fPos, kTextField);
    if (out[0] > kTextFieldLength) out[0] = kTextFieldLength;
    fPos += kTextField;
  }

 private:
  const uint8_t* fData;
  uint32_t fSize;
  uint32_t fPos = 0;
};

bool MapKnows(uint32_t type) { return gFileTypeMap != nullptr && gFileTypeMap->IsKnownFileType(type); }

}  // namespace

// ---------------------------------------------------------------- the description

VFileDialog::VFileDialog()
    : fFilters(std::make_unique<VChainListOf<VFileFilter*>>()),
      fAcceptedTypes(std::make_unique<VLongArray>()),
      fMadeUpTypes(std::make_unique<VLongArray>()) {}

VFileDialog::~VFileDialog() {
  for (int32_t n = fFilters->Count(); n >= 1; --n) delete fFilters->GetAt(n);
  fFilters->RemoveAll(true);
  if (gFileTypeMap != nullptr) {
    for (int32_t n = 1; n <= fMadeUpTypes->Count(); ++n)
      gFileTypeMap->RemoveFileTypeMapping(static_cast<uint32_t>(fMadeUpTypes->GetLong(n)));
  }
}

VFileFilter* VFileDialog::GetFilter(int32_t index) const {
  return index >= 1 && index <= fFilters->Count() ? fFilters->GetAt(index) : nullptr;
}

int32_t VFileDialog::CountFilters() const { return fFilters->Count(); }

void VFileDialog::AddFilter(VFileFilter* filter) {
  if (filter != nullptr) fFilters->AddLast(&filter);
}

uint32_t VFileDialog::GetChosenType() const {
  const VFileFilter* filter = GetFilter(fChosen);
  return filter != nullptr ? filter->GetDefaultType() : 0;
}

uint32_t VFileDialog::GetChosenFirstType() const {
  const VFileFilter* filter = GetFilter(fChosen);
  return filter != nullptr ? filter->GetType(1) : 0;
}

uint32_t VFileDialog::GetChosenFirstPairedCode() const {
  const VFileFilter* filter = GetFilter(fChosen);
  return filter != nullptr ? filter->GetPairedCode(1) : 0;
}

VLongArray* VFileDialog::GetFilterTypes(int32_t index) const {
  const VFileFilter* filter = GetFilter(index);
  return filter != nullptr && filter->CountTypes() > 0 ? filter->GetTypes() : nullptr;
}

VLongArray* VFileDialog::GetFilterPairedCodes(int32_t index) const {
  const VFileFilter* filter = GetFilter(index);
  return filter != nullptr && filter->GetPairedCodes()->Count() > 0 ? filter->GetPairedCodes()
                                                                    : nullptr;
}

void VFileDialog::SelectFilterForType(uint32_t type) {
  if (const VFileFilter* chosen = GetFilter(fChosen); chosen != nullptr && chosen->HoldsType(type))
    return;
  const int32_t count = fFilters->Count();
  auto choose = [&](auto fits) {
    for (int32_t n = 1; n <= count; ++n) {
      if (fits(*fFilters->GetAt(n))) {
        fChosen = static_cast<int16_t>(n);
        return true;
      }
    }
    return false;
  };
  if (choose([&](const VFileFilter& f) { return f.CountTypes() == 1 && f.GetType(1) == type; }))
    return;
  if (choose([&](const VFileFilter& f) {
        return f.GetPairedCodes()->Count() > 0 && f.GetType(1) == type;
      }))
    return;
  if (choose([&](const VFileFilter& f) { return f.HoldsType(type); })) return;
  fChosen = 0;
}

void VFileDialog::SetTitle(const VString& title) { fTitle.Assign(title); }

void VFileDialog::GetPlacement(int16_t& first, int16_t& second) const {
  first = fPlacement[0];
  second = fPlacement[1];
}

void VFileDialog::SetPlacement(int16_t first, int16_t second) {
  fPlacement[0] = first;
  fPlacement[1] = second;
}

void VFileDialog::SetExtraTexts(const VString* first, const VString* second) {
  const VString* texts[2] = {first, second};
  for (int i = 0; i < 2; ++i) {
    fExtraTexts[i].reset();
    if (texts[i] == nullptr || texts[i]->GetLength() == 0) continue;
    fExtraTexts[i] = std::make_unique<VStrInHandle>();
    fExtraTexts[i]->CopyText(*texts[i]);
    if (fExtraTexts[i]->GetLength() > kExtraTextLength) fExtraTexts[i]->SetLength(kExtraTextLength);
  }
}

bool VFileDialog::HasExtraText(int32_t which) const {
  return (which == 1 || which == 2) && fExtraTexts[which - 1] != nullptr;
}

bool VFileDialog::GetExtraText(int32_t which, VString& out) const {
  if (!HasExtraText(which)) return false;
  out.Assign(*fExtraTexts[which - 1]);
  return true;
}

void VFileDialog::AddAcceptedType(uint32_t type) {
  fAcceptedTypes->AppendLong(static_cast<int32_t>(type), false);
}

bool VFileDialog::AcceptsType(uint32_t type) const {
  if (GetFlag(kFlagAllTypes) != 0) return true;
  for (int32_t n = 1; n <= fAcceptedTypes->Count(); ++n) {
    if (static_cast<uint32_t>(fAcceptedTypes->GetLong(n)) == type) return true;
  }
  return false;
}

bool VFileDialog::HasAcceptedTypes() const {
  return GetFlag(kFlagAllTypes) != 0 || fAcceptedTypes->Count() > 0;
}

uint8_t VFileDialog::GetFlag(int32_t number) const {
  return number >= 1 && number <= kFileDialogFlagCount ? fFlags[number - 1] : 0;
}

void VFileDialog::SetFlag(int32_t number, uint8_t value) {
  if (number >= 1 && number <= kFileDialogFlagCount) fFlags[number - 1] = value;
}

// ---------------------------------------------------------------- from a resource

void VFileDialog::ReadResource(VResourceFile* file, int16_t id, bool put) {
  if (file == nullptr) return;
  const VResourceRef ref = file->GetResource(put ? kResTypeFPUT : kResTypeFGET, id, nullptr);
  if (ref == 0) return;
  const uint32_t size = file->GetResourceSize(ref);
  const auto* data = static_cast<const uint8_t*>(file->LockResource(ref));
  if (data == nullptr) {
    file->ReleaseResource(ref);
    return;
  }
  FieldReader in(data, size);
  uint8_t text[kTextField];
  int16_t chosen = 1;
  int32_t count = 0;
  // The head, field by field while the resource lasts; a head cut short
  // keeps what came before the cut.
  if (in.Fits(1)) {
    const uint8_t bits = in.U8();
    const int32_t bitCount = put ? 3 : 8;
    for (int32_t bit = 0; bit < bitCount; ++bit) {
      if ((bits >> bit) & 1) SetFlag(put ? kPutFlagOfBit[bit] : kGetFlagOfBit[bit], 1);
    }
    if (in.Fits(5)) {
      in.Skip(1);
      const int16_t first = in.I16();
      const int16_t second = in.I16();
      SetPlacement(first, second);
      if (in.Fits(kTextField)) {
        in.Text(text);
        file->ResolveStringRef(&fTitle, text);
        if (in.Fits(2)) {
          chosen = in.I16();
          if (in.Fits(2)) count = in.I16();
        }
      }
    }
  }

  for (int32_t n = 0; n < count; ++n) {
    VStrInHandle name;
    if (put) {
      if (!in.Fits(kPutFilterSize)) break;
      in.Text(text);
      const uint32_t defaultType = in.U32();
      const uint32_t type = in.U32();
      const uint32_t paired = in.U32();
      file->ResolveStringRef(&name, text);
      auto* filter = new VFileFilter(name, type, paired);
      if (defaultType != 0) filter->SetDefaultType(defaultType);
      AddFilter(filter);
    } else {
      if (!in.Fits(kGetFilterHead)) break;
      FieldReader head = in;
      head.Text(text);
      const uint32_t defaultType = head.U32();
      const int16_t typeCount = head.I16();
      const uint32_t types = typeCount > 0 ? static_cast<uint32_t>(typeCount) : 0;
      // A filter whose types run past the resource is not read.
      if (!in.Fits(kGetFilterHead + 4ull * types)) break;
      in = head;
      file->ResolveStringRef(&name, text);
      auto* filter = new VFileFilter(name, 0, 0);
      if (MapKnows(defaultType)) {
        filter->AddType(defaultType, 0);
      } else {
        filter->SetDefaultType(defaultType);
      }
      for (uint32_t t = 0; t < types; ++t) filter->AddType(in.U32(), 0);
      AddFilter(filter);
      // The byte-order conversion took a negative count as a large one and
      // converted the rest of the resource as types: nothing after it holds.
      if (typeCount < 0) break;
    }
  }
  // An index outside the filters read starts on the first; 0 is kept.
  fChosen = chosen < 0 || chosen > CountFilters() ? 1 : chosen;

  file->UnlockResource(ref);
  file->ReleaseResource(ref);
}

// ---------------------------------------------------------------- from lists

void VFileDialog::AddFiltersOfCodes(const VStringArray* names, const VLongArray* codes,
                                    int32_t mode, const uint32_t* pairedCode) {
  if (names == nullptr || codes == nullptr) return;
  const int32_t count = names->Count() < codes->Count() ? names->Count() : codes->Count();
  for (int32_t n = 1; n <= count; ++n) {
    const uint32_t code = static_cast<uint32_t>(codes->GetLong(n));
    uint32_t type = 0;
    if (code == kAnyFileType) {
      type = kAnyFileType;
    } else if (mode == kCodesAreFileTypes) {
      type = code;
    } else if (gFileTypeMap != nullptr && mode == kCodesArePairedCodes) {
      type = gFileTypeMap->FileTypeForCode(code, false, nullptr);
      if (type == 0) {
        type = gFileTypeMap->AddMadeUpTypeForCode(code);
        if (type != 0) fMadeUpTypes->AppendLong(static_cast<int32_t>(type), false);
      }
    } else if (gFileTypeMap != nullptr && mode == kCodesAreExtensions) {
      uint32_t extension = code;
      VFileTypeMap::NormalizeExtension(extension);
      type = gFileTypeMap->FileTypeForExtension(extension);
      if (type == 0) {
        type = gFileTypeMap->AddMadeUpTypeForExtension(extension);
        if (type != 0) fMadeUpTypes->AppendLong(static_cast<int32_t>(type), false);
      }
    }
    const uint32_t paired =
        pairedCode != nullptr ? *pairedCode : (mode == kCodesArePairedCodes ? code : 0);
    const VString* name = names->GetAt(n);
    VStrInHandle empty;
    AddFilter(new VFileFilter(name != nullptr ? *name : empty, type, paired));
  }
}

VGetFileDialog::VGetFileDialog(VResourceFile* file, int16_t id) { ReadResource(file, id, false); }

VGetFileDialog::VGetFileDialog(const VStringArray* names, const VLongArray* codes, int32_t mode) {
  AddFiltersOfCodes(names, codes, mode, nullptr);
}

VPutFileDialog::VPutFileDialog(VResourceFile* file, int16_t id) { ReadResource(file, id, true); }

VPutFileDialog::VPutFileDialog(const VStringArray* names, const VLongArray* codes, int32_t mode,
                               uint32_t pairedCode) {
  AddFiltersOfCodes(names, codes, mode, &pairedCode);
}

// ---------------------------------------------------------------- the exchanges

VFile* AskOpenFile(VResourceFile* file, int16_t id, uint32_t* type) {
  auto* dialog = new VGetFileDialog(file, id);
  VFile* chosen = Runners() != nullptr ? Runners()->showOpen(*dialog) : nullptr;
  if (type != nullptr) *type = dialog->GetChosenType();
  delete dialog;
  return chosen;
}

VFile* AskSaveFile(const VFile* suggested, VResourceFile* file, int16_t id, uint32_t* type) {
  auto* dialog = new VPutFileDialog(file, id);
  VFile* chosen = Runners() != nullptr ? Runners()->showSave(suggested, *dialog) : nullptr;
  if (type != nullptr) *type = dialog->GetChosenType();
  delete dialog;
  return chosen;
}

VFile* AskOpenFileNamed(VResourceFile* file, const VString& name, uint32_t* type) {
  const int16_t id = file != nullptr ? file->GetNamedResourceId(kResTypeFGET, &name) : -1;
  return AskOpenFile(file, id, type);
}

VFile* AskSaveFileNamed(VResourceFile* file, const VString& name, uint32_t* type) {
  const int16_t id = file != nullptr ? file->GetNamedResourceId(kResTypeFPUT, &name) : -1;
  return AskSaveFile(nullptr, file, id, type);
}

VFolder* AskFolder(const VString& title) {
  return Runners() != nullptr ? Runners()->showFolder(title) : nullptr;
}
