// VFileTypeMap: rows of (file type, second code, extension, flag) loaded
// from 'FMAP' resources, and the lookups between types and extensions.
#include "framework/system/files/VFileTypeMap.h"

#include <cstdio>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/resources/VResourceFile.h"
#include "platform/bytes/ByteOrder.h"

VFileTypeMap* gFileTypeMap = nullptr;

namespace {

constexpr uint32_t kResTypeFMAP = FourCC("FMAP");
constexpr uint32_t kTypeTEXT = FourCC("TEXT");
constexpr uint8_t kRowFlagBit = 0x80;
// The control character that begins every made-up type.
constexpr uint8_t kMadeUpMark = 8;

uint8_t CharOf(uint32_t code, int k) { return uint8_t(code >> (24 - 8 * k)); }

}  // namespace

VFileTypeMap::VFileTypeMap()
    : fTypes(std::make_unique<VLongArray>()),
      fSecondCodes(std::make_unique<VLongArray>()),
      fExtensions(std::make_unique<VLongArray>()),
      fFlags(std::make_unique<VBooleanArray>()) {}

VFileTypeMap::~VFileTypeMap() = default;

int32_t VFileTypeMap::CountRows() const { return fTypes->Count(); }

void VFileTypeMap::LoadFileTypeMap(VResourceFile& moduleFile) {
  VWordArray* ids = moduleFile.GetResourceIds(kResTypeFMAP);
  if (ids == nullptr) return;
  for (int32_t i = 1; i <= ids->Count(); ++i) {
    uint8_t owned = 0;
    const VResourceRef ref = moduleFile.GetResource(kResTypeFMAP, ids->GetWord(i), &owned);
    if (ref == 0) continue;
    const uint32_t size = moduleFile.GetResourceSize(ref);
    const auto* data = static_cast<const uint8_t*>(moduleFile.LockResource(ref));
    if (data != nullptr) {
      // A 16-bit count, then entries of type, second code, extension, a flag
      // byte and a byte unused. Only the entries that lie wholly inside the
      // resource are read.
      VByteReader reader(data, size);
      const int16_t count = reader.I16();
      for (int32_t e = 0; e < count; ++e) {
        const uint32_t type = reader.U32();
        const uint32_t second = reader.U32();
        uint32_t extension = reader.U32();
        const uint8_t flags = reader.U8();
        reader.Skip(1);
        if (reader.Failed()) break;
        NormalizeExtension(extension);
        if (!AppendRow(type, second, extension, (flags & kRowFlagBit) != 0)) break;
      }
    }
    moduleFile.UnlockResource(ref);
    moduleFile.ReleaseResource(ref);
  }
  delete ids;
}

void VFileTypeMap::NormalizeExtension(uint32_t& code) {
  uint8_t c[4] = {CharOf(code, 0), CharOf(code, 1), CharOf(code, 2), CharOf(code, 3)};
  // Trailing spaces become NUL, right to left, up to the first other character.
  for (int k = 3; k >= 0 && c[k] == ' '; --k) c[k] = 0;
  if (c[0] == '.') {
    c[0] = c[1], c[1] = c[2], c[2] = c[3], c[3] = 0;
  }
  bool plain = true;
  for (int k = 0; k < 4 && c[k] != 0; ++k)
    if (!((c[k] >= '0' && c[k] <= '9') || (c[k] >= 'A' && c[k] <= 'Z'))) plain = false;
  if (!plain) {
    // Each byte widened as a signed value, upper-cased as UTF-16, and its
    // low byte kept.
    char16_t units[4];
    for (int k = 0; k < 4; ++k) units[k] = char16_t(int16_t(int8_t(c[k])));
    VStr<4> text;
    text.SetUniChars(units, 0, 4);
    text.ToUpper(false);
    for (int k = 0; k < 4; ++k) c[k] = uint8_t(text.GetCharAt(k + 1));
  }
  code = LoadBE32(c);
}

uint32_t VFileTypeMap::ExtensionOfFileName(const VString& name) {
  const std::u16string units = files_p::UnitsOf(name);
  const int32_t length = int32_t(units.size());
  int32_t dot = 0;  // 1-based
  for (int32_t p = length - 5 < 1 ? 1 : length - 5; p <= length - 1; ++p) {
    if (units[size_t(p - 1)] == u'.') {
      dot = p;
      break;
    }
  }
  if (dot == 0) return 0;
  uint8_t c[4] = {0, 0, 0, 0};
  for (int32_t k = 0; k < 4 && dot + k < length; ++k) c[k] = uint8_t(units[size_t(dot + k)]);
  uint32_t code = LoadBE32(c);
  NormalizeExtension(code);
  return code;
}

uint32_t VFileTypeMap::LastExtensionOfFileName(const VString& name) {
  const std::u16string units = files_p::UnitsOf(name);
  const size_t dot = units.find_last_of(u'.');
  if (dot == std::u16string::npos) return 0;
  const size_t separator = units.find_last_of(files_p::kSeparator);
  const size_t length = units.size() - dot - 1;
  if ((separator != std::u16string::npos && separator > dot) || length == 0 || length > 4) return 0;
  uint8_t c[4] = {0, 0, 0, 0};
  for (size_t k = 0; k < length; ++k) c[k] = uint8_t(units[dot + 1 + k]);
  uint32_t code = LoadBE32(c);
  NormalizeExtension(code);
  return code;
}

// ---------------------------------------------------------------- lookups

int32_t VFileTypeMap::RowOfType(uint32_t type) const {
  const int32_t n = fTypes->Count();
  for (int32_t r = 1; r <= n; ++r)
    if (uint32_t(fTypes->GetLong(r)) == type) return r;
  return 0;
}

int32_t VFileTypeMap::RowOfExtension(uint32_t extension) const {
  if (extension == 0) return 0;
  const int32_t n = fExtensions->Count();
  for (int32_t r = 1; r <= n; ++r)
    if (uint32_t(fExtensions->GetLong(r)) == extension) return r;
  return 0;
}

int32_t VFileTypeMap::RowOfSecondCode(uint32_t code, int32_t from) const {
  const int32_t n = fSecondCodes->Count();
  for (int32_t r = from; r <= n; ++r)
    if (uint32_t(fSecondCodes->GetLong(r)) == code) return r;
  return 0;
}

uint32_t VFileTypeMap::ExtensionForFileType(uint32_t type) const {
  if (type == kAnyFileType) return kAnyFileType;
  const int32_t r = RowOfType(type);
  return r ? uint32_t(fExtensions->GetLong(r)) : 0;
}

uint32_t VFileTypeMap::FileTypeForExtension(uint32_t extension) const {
  if (extension == kAnyFileType) return kAnyFileType;
  const int32_t r = RowOfExtension(extension);
  return r ? uint32_t(fTypes->GetLong(r)) : 0;
}

uint32_t VFileTypeMap::TypeKeepingExtension(uint32_t extension, uint32_t type) const {
  const uint32_t named = FileTypeForExtension(extension);
  if (named == 0 || type == 0) return 0;
  if (named == type) return type;
  const uint32_t kind = SecondCodeForFileType(type);
  return kind != 0 && SecondCodeForFileType(named) == kind ? named : 0;
}

uint32_t VFileTypeMap::SecondCodeForFileType(uint32_t type) const {
  if (type == kAnyFileType) return kAnyFileType;
  const int32_t r = RowOfType(type);
  return r ? uint32_t(fSecondCodes->GetLong(r)) : 0;
}

bool VFileTypeMap::FileTypeFlag(uint32_t type) const {
  if (type == kAnyFileType) return false;
  const int32_t r = RowOfType(type);
  return r ? fFlags->GetBoolean(r) : false;
}

// '????' counts as known: it stands for every type, and no row is ever made
// up for it.
bool VFileTypeMap::IsKnownFileType(uint32_t type) const {
  return type == kAnyFileType || RowOfType(type) != 0;
}

uint32_t VFileTypeMap::FileTypeForCode(uint32_t code, bool flag, const VString* fileName) const {
  if (code == kAnyFileType) return kAnyFileType;
  if (fileName != nullptr && code == kTypeTEXT) {
    const int32_t r = RowOfExtension(ExtensionOfFileName(*fileName));
    if (r == 0 || fFlags->GetBoolean(r) != flag) return kTypeTEXT;
    return uint32_t(fTypes->GetLong(r));
  }
  int32_t r = RowOfSecondCode(code, 1);
  if (r != 0 && fFlags->GetBoolean(r) != flag) r = RowOfSecondCode(code, r + 1);
  return r ? uint32_t(fTypes->GetLong(r)) : 0;
}

// ---------------------------------------------------------------- rows

bool VFileTypeMap::AppendRow(uint32_t type, uint32_t second, uint32_t extension, bool flag) {
  const int32_t n = fTypes->Count();
  fTypes->AppendLong(int32_t(type), false);
  fSecondCodes->AppendLong(int32_t(second), false);
  fExtensions->AppendLong(int32_t(extension), false);
  fFlags->AppendBoolean(flag, false);
  if (fTypes->Count() == n + 1 && fSecondCodes->Count() == n + 1 &&
      fExtensions->Count() == n + 1 && fFlags->Count() == n + 1)
    return true;
  // The four arrays stay parallel: a row that one of them could not take is
  // taken out of the others.
  fTypes->SetCount(n, false);
  fSecondCodes->SetCount(n, false);
  fExtensions->SetCount(n, false);
  fFlags->SetCount(n, false);
  return false;
}

int32_t VFileTypeMap::AddFileTypeMapping(uint32_t type, uint32_t extension, uint32_t second) {
  if (const int32_t r = RowOfType(type)) return r;
  NormalizeExtension(extension);
  return AppendRow(type, second, extension, false) ? fTypes->Count() : 0;
}

uint32_t VFileTypeMap::MadeUpType() const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", int(fTypes->Count() + 1));
  uint8_t c[4] = {kMadeUpMark, 0, 0, 0};
  for (int k = 1; k < 4 && digits[k - 1] != '\0'; ++k) c[k] = uint8_t(digits[k - 1]);
  return LoadBE32(c);
}

uint32_t VFileTypeMap::AddMadeUpTypeForCode(uint32_t code) {
  const uint32_t type = MadeUpType();
  return AppendRow(type, code, type, false) ? type : 0;
}

uint32_t VFileTypeMap::AddMadeUpTypeForExtension(uint32_t extension) {
  const uint32_t type = MadeUpType();
  NormalizeExtension(extension);
  return AppendRow(type, type, extension, false) ? type : 0;
}

void VFileTypeMap::RemoveFileTypeMapping(uint32_t type) {
  const int32_t r = RowOfType(type);
  if (r == 0) return;
  fTypes->DeleteElements(r, 1);
  fSecondCodes->DeleteElements(r, 1);
  fExtensions->DeleteElements(r, 1);
  fFlags->DeleteElements(r, 1);
}
