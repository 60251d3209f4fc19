// The module resource file: lookups by name and enumeration through the
// module resource calls, data handed out as the module holds it.
#include "framework/system/resources/VModuleResourceFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFile.h"
#include "platform/win32/WinLibrary.h"
#include "platform/win32/WinModuleResources.h"

namespace {

// Names are handed to the module as zero-terminated texts of at most 30
// characters, the longest a module's resource name here is looked up by.
constexpr int32_t kNameBytes = 31;

// Whether a type value is a 16-bit number: a numeric type read back as
// signed 16 bits, never a four-character code (whose first character would
// be a zero, or 0xFF followed by the same mark as the number's sign).
bool IsNumericType(uint32_t type) {
  return (type >> 16) == 0 || ((type >> 16) == 0xFFFF && (type & 0x8000) != 0);
}

struct TypeList {
  VLongArray* types;
};

BOOL AppendType(HMODULE, char* type, intptr_t param) {
  auto* list = reinterpret_cast<TypeList*>(param);
  list->types->AppendLong(int32_t(VModuleResourceFile::TypeOfName(type)), false);
  return TRUE_;
}

BOOL AppendName(HMODULE, const char*, char* name, intptr_t param) {
  auto* names = reinterpret_cast<VStringArray*>(param);
  if (IS_INTRESOURCE(name)) {
    auto* text = new VAnsiStr<8>;
    char digits[8];
    std::snprintf(digits, sizeof digits, "#%d", int(int16_t(RESOURCE_NUMBER(name))));
    text->SetAnsiCText(digits);
    names->AppendObject(text, false);
  } else {
    auto* text = new VAnsiStr<31>;
    text->SetAnsiCText(name);
    names->AppendObject(text, false);
  }
  return TRUE_;
}

BOOL CountName(HMODULE, const char*, char*, intptr_t param) {
  ++*reinterpret_cast<int32_t*>(param);
  return TRUE_;
}

// The index-th name of an enumeration, copied: a number, or a text.
struct IndexedName {
  int32_t remaining;
  bool found;
  bool numeric;
  uint16_t number;
  std::string text;
};

BOOL TakeIndexedName(HMODULE, const char*, char* name, intptr_t param) {
  auto* wanted = reinterpret_cast<IndexedName*>(param);
  if (--wanted->remaining > 0) return TRUE_;
  wanted->found = true;
  wanted->numeric = IS_INTRESOURCE(name);
  if (wanted->numeric) {
    wanted->number = RESOURCE_NUMBER(name);
  } else {
    wanted->text = name;
  }
  return FALSE_;
}

}  // namespace

VModuleResourceFile::VModuleResourceFile(HINSTANCE__* module) : fModule(module) {}

VModuleResourceFile::VModuleResourceFile(const VString* path) {
  fOwnsModule = 1;
  std::string utf8;
  // The platform's library calls take the path in its 8-bit form, whole: a
  // path cut short could load another library.
  if (path != nullptr && files_p::Utf8Of(files_p::UnitsOf(*path), &utf8)) LoadModule(utf8.c_str());
}

VModuleResourceFile::VModuleResourceFile(const VFile& file) {
  fOwnsModule = 1;
  VStrInHandle path;
  file.AppendExtension(path);
  std::string utf8;
  if (files_p::Utf8Of(files_p::UnitsOf(path), &utf8)) LoadModule(utf8.c_str());
}

VModuleResourceFile::~VModuleResourceFile() {
  // Records the callers did not give back go with the file.
  fRecords.clear();
  if (fOwnsModule && fModule != nullptr) FreeLibrary(fModule);
}

void VModuleResourceFile::LoadModule(const char* path) {
  if (path[0] != '\0') fModule = LoadLibraryA(path);
}

const char* VModuleResourceFile::TypeNameOf(uint32_t type, char (&buffer)[6]) {
  if (IsNumericType(type)) return MAKEINTRESOURCEA(uint16_t(type));
  int n = 0;
  const char first = char(type >> 24);
  // A name that begins with a digit would be taken for a number.
  if (first >= '0' && first <= '9') buffer[n++] = '_';
  for (int shift = 24; shift >= 0; shift -= 8) buffer[n++] = char((type >> shift) & 0xFF);
  buffer[n] = '\0';
  return buffer;
}

uint32_t VModuleResourceFile::TypeOfName(const char* name) {
  if (IS_INTRESOURCE(name)) return uint32_t(int32_t(int16_t(RESOURCE_NUMBER(name))));
  if (*name == '_') ++name;
  uint32_t type = 0;
  for (int k = 0; k < 4; ++k) {
    const uint8_t c = uint8_t(*name);
    type |= uint32_t(c) << (24 - 8 * k);
    if (c != 0) ++name;  // a short name leaves zeros behind
  }
  return type;
}

VResourceRef VModuleResourceFile::NewRecord(HRSRC__* resource) {
  do {
    ++fLastRef;
  } while (fLastRef == 0 || fRecords.count(fLastRef) != 0);
  fRecords[fLastRef] = Record{resource, nullptr, nullptr, SizeofResource(fModule, resource)};
  return fLastRef;
}

VModuleResourceFile::Record* VModuleResourceFile::RecordOf(VResourceRef ref) {
  auto it = fRecords.find(ref);
  return it == fRecords.end() ? nullptr : &it->second;
}

int16_t VModuleResourceFile::AddResource(uint32_t, int16_t, const VString*, const void*,
                                         uint32_t) {
  return -1;
}

bool VModuleResourceFile::RemoveResourceHandle(VResourceRef) { return false; }
bool VModuleResourceFile::RemoveResource(uint32_t, int16_t) { return false; }

VResourceRef VModuleResourceFile::GetCNamedResource(uint32_t type, const char* name,
                                                    uint8_t* owned) {
  if (owned != nullptr) *owned = 1;
  if (fModule == nullptr || name == nullptr) return 0;
  char typeBuffer[6];
  HRSRC found = FindResourceA(fModule, name, TypeNameOf(type, typeBuffer));
  return found == nullptr ? 0 : NewRecord(found);
}

VResourceRef VModuleResourceFile::GetPNamedResource(uint32_t type, const uint8_t* name,
                                                    uint8_t* owned) {
  VAnsiStr<31> text;
  if (name != nullptr) text.SetMacPText(name);
  char cName[kNameBytes];
  text.GetCText(cName, kNameBytes, kResCharSetAnsi);
  return GetCNamedResource(type, cName, owned);
}

VResourceRef VModuleResourceFile::GetNamedResource(uint32_t type, const VString* name,
                                                   uint8_t* owned) {
  char cName[kNameBytes] = {};
  if (name != nullptr) name->GetCText(cName, kNameBytes, kResCharSetAnsi);
  return GetCNamedResource(type, cName, owned);
}

VResourceRef VModuleResourceFile::GetResource(uint32_t, int16_t, uint8_t*) { return 0; }

int16_t VModuleResourceFile::GetResourceId(VResourceRef) { return -1; }
int16_t VModuleResourceFile::GetIndResourceId(uint32_t, int32_t) { return -1; }
int16_t VModuleResourceFile::GetPNamedResourceId(uint32_t, const uint8_t*) { return -1; }
int16_t VModuleResourceFile::GetNamedResourceId(uint32_t, const VString*) { return -1; }

VLongArray* VModuleResourceFile::GetResourceTypes() {
  if (fModule == nullptr) return nullptr;
  TypeList list{new VLongArray};
  if (!EnumResourceTypesA(fModule, &AppendType, reinterpret_cast<intptr_t>(&list))) {
    delete list.types;
    return nullptr;
  }
  return list.types;
}

int16_t VModuleResourceFile::UniqueResourceId(uint32_t) { return -1; }

VStringArray* VModuleResourceFile::GetResourceNames(uint32_t type) {
  if (fModule == nullptr) return nullptr;
  auto* names = new VStringArray;
  char typeBuffer[6];
  if (!EnumResourceNamesA(fModule, TypeNameOf(type, typeBuffer), &AppendName,
                          reinterpret_cast<intptr_t>(names))) {
    delete names;
    return nullptr;
  }
  return names;
}

VWordArray* VModuleResourceFile::GetResourceIds(uint32_t) { return nullptr; }
void VModuleResourceFile::ReleaseResourceById(uint32_t, int16_t) {}

void VModuleResourceFile::ReleaseResource(VResourceRef ref) { fRecords.erase(ref); }

int32_t VModuleResourceFile::UpdateFile() { return -2; }

VResourceRef VModuleResourceFile::GetIndResource(uint32_t type, int16_t index, uint8_t*) {
  if (fModule == nullptr || index < 1) return 0;
  char typeBuffer[6];
  const char* typeName = TypeNameOf(type, typeBuffer);
  IndexedName wanted{index, false, false, 0, {}};
  EnumResourceNamesA(fModule, typeName, &TakeIndexedName, reinterpret_cast<intptr_t>(&wanted));
  if (!wanted.found) return 0;
  HRSRC found = FindResourceA(
      fModule, wanted.numeric ? MAKEINTRESOURCEA(wanted.number) : wanted.text.c_str(), typeName);
  return found == nullptr ? 0 : NewRecord(found);
}

void VModuleResourceFile::GetResourceName(VString*, uint32_t, int16_t) {}
void VModuleResourceFile::GetResourceNameOfHandle(VString*, VResourceRef) {}

bool VModuleResourceFile::IsOpen() { return fModule != nullptr; }

int32_t VModuleResourceFile::CountResources(uint32_t type) {
  if (fModule == nullptr) return 0;
  int32_t count = 0;
  char typeBuffer[6];
  if (!EnumResourceNamesA(fModule, TypeNameOf(type, typeBuffer), &CountName,
                          reinterpret_cast<intptr_t>(&count))) {
    return 0;
  }
  return count;
}

void* VModuleResourceFile::LockResource(VResourceRef ref) {
  Record* record = RecordOf(ref);
  if (record == nullptr) return nullptr;
  if (record->loaded == nullptr) {
    record->loaded = LoadResource(fModule, record->resource);
    if (record->loaded == nullptr) return nullptr;
  }
  if (record->data == nullptr) record->data = ::LockResource(record->loaded);
  return record->data;
}

void VModuleResourceFile::UnlockResource(VResourceRef) {}

uint32_t VModuleResourceFile::GetResourceSize(VResourceRef ref) {
  const Record* record = RecordOf(ref);
  return record == nullptr ? 0 : record->size;
}

bool VModuleResourceFile::SetResourceSize(VResourceRef, uint32_t) { return false; }

VMemHandle VModuleResourceFile::DetachResource(VResourceRef ref) {
  const void* data = LockResource(ref);
  if (data == nullptr) return 0;
  return gMemoryMgr->NewHandleFromData(data, RecordOf(ref)->size);
}

void VModuleResourceFile::WriteResource(VResourceRef) {}
uint32_t VModuleResourceFile::GetResourceSizeById(uint32_t, int16_t) { return 0; }
bool VModuleResourceFile::RemoveResources(uint32_t) { return false; }
void VModuleResourceFile::SetResourceName(uint32_t, int16_t, const VString*) {}

int32_t VModuleResourceFile::GetCharSet() { return kResCharSetAnsi; }
