// VIntlMgr's life cycle: choosing the language, loading the twelve text tables
// from the resource chain into memory-manager handles, and releasing them.
#include "framework/core/intl/VIntlMgr.h"

#include "framework/core/intl/TextTables.h"
#include "framework/core/intl/UserLanguage.h"
#include "framework/core/intl/VIntlMgrTableUse.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxResources.h"

VIntlMgr* gIntlMgr = nullptr;

namespace {

// The resource type of each table slot, in slot order.
constexpr uint32_t kSlotTypes[VIntlMgr::kTableCount] = {
    FourCC("macu"), FourCC("umac"), FourCC("winu"), FourCC("uwin"),
    FourCC("lwrn"), FourCC("lwra"), FourCC("uprn"), FourCC("upra"),
    FourCC("uset"), FourCC("uset"), FourCC("uset"), FourCC("uset")};

// Script codes by language identifier. Script 0 is Roman, 1 Japanese, 2
// traditional and 3 simplified Chinese, 4 Korean, 5 Arabic, 6 Hebrew, 7
// Greek, 8 Cyrillic, 9 Central European, 10 Croatian, 11 Icelandic, 12
// Farsi, 13 Romanian, 14 Thai, 15 Vietnamese, 16 Turkish; 17, Baltic, has
// no Macintosh script and is chosen by Windows alone (WindowsScriptOfLanguage
// and a font's character set).
struct LanguageScript {
  uint16_t language;
  uint8_t script;
};

constexpr LanguageScript kLanguageScripts[] = {
    {0x0403, 0},  {0x0406, 0},  {0x0407, 0},  {0x0409, 0},  {0x040A, 0},  {0x040B, 0},
    {0x040C, 0},  {0x0410, 0},  {0x0413, 0},  {0x0414, 0},  {0x0416, 0},  {0x041C, 0},
    {0x041D, 0},  {0x0421, 0},  {0x042D, 0},  {0x0436, 0},  {0x0807, 0},  {0x0809, 0},
    {0x080A, 0},  {0x080C, 0},  {0x0810, 0},  {0x0813, 0},  {0x0814, 0},  {0x0816, 0},
    {0x081D, 0},  {0x0C07, 0},  {0x0C09, 0},  {0x0C0A, 0},  {0x0C0C, 0},  {0x1007, 0},
    {0x1009, 0},  {0x100A, 0},  {0x100C, 0},  {0x1407, 0},  {0x1409, 0},  {0x140A, 0},
    {0x140C, 0},  {0x1809, 0},  {0x180A, 0},  {0x1C09, 0},  {0x1C0A, 0},  {0x2009, 0},
    {0x200A, 0},  {0x2409, 0},  {0x240A, 0},  {0x2809, 0},  {0x280A, 0},  {0x2C09, 0},
    {0x2C0A, 0},  {0x300A, 0},  {0x340A, 0},  {0x380A, 0},  {0x3C0A, 0},  {0x400A, 0},
    {0x440A, 0},  {0x480A, 0},  {0x4C0A, 0},  {0x500A, 0},
    {0x0411, 1},
    {0x0404, 2},  {0x1004, 2},
    {0x0804, 3},  {0x0C04, 3},
    {0x0412, 4},  {0x0812, 4},
    {0x0401, 5},  {0x0801, 5},  {0x0C01, 5},  {0x1001, 5},  {0x1401, 5},  {0x1801, 5},
    {0x1C01, 5},  {0x2001, 5},  {0x2401, 5},  {0x2801, 5},  {0x2C01, 5},  {0x3001, 5},
    {0x3401, 5},  {0x3801, 5},  {0x3C01, 5},  {0x4001, 5},
    {0x040D, 6},
    {0x0408, 7},
    {0x0402, 8},  {0x0419, 8},  {0x0422, 8},  {0x0423, 8},  {0x0C1A, 8},
    {0x0405, 9},  {0x040E, 9},  {0x0415, 9},  {0x041B, 9},  {0x0425, 9},  {0x0426, 9},
    {0x0427, 9},  {0x081A, 9},
    {0x041A, 10}, {0x0424, 10},
    {0x040F, 11}, {0x0438, 11},
    {0x0429, 12},
    {0x0418, 13},
    {0x041E, 14},
    {0x042A, 15},
    {0x041F, 16},
};

}  // namespace

VIntlMgr::VIntlMgr()
    : fLanguage(kLanguageNotChosen), fWildcard(u'@'), fWildcardEnabled(1), fTables{} {}

VIntlMgr::~VIntlMgr() { ReleaseTables(); }

VMemHandle VIntlMgr::LoadTable(uint32_t type, int16_t id) {
  Tbx::Handle resource = Tbx::GetResource(type, id);
  if (resource == 0) return 0;
  VMemHandle copy = 0;
  {
    Tbx::HandleLocker bytes(resource);
    int32_t size = Tbx::GetHandleSize(resource);
    if (size >= 0 && (bytes || size == 0)) {
      copy = gMemoryMgr->NewHandleFromData(bytes.Data(), uint32_t(size));
    }
  }
  Tbx::ReleaseResource(resource);
  return copy;
}

int32_t VIntlMgr::LoadTables(int32_t language) {
  fLanguage = language;
  ResolveLanguage();

  int32_t script = ScriptOfLanguage(fLanguage);
  if (script == -1) script = ScriptOfLanguage((fLanguage & 0x3FF) | 0x400);
  // A language of no script asks for id -1, which holds no table.
  const int16_t scriptId = int16_t(script);

  for (int32_t slot = kMacToUni; slot <= kUniToWin; ++slot) {
    if (fTables[slot].handle == 0) fTables[slot].handle = LoadTable(kSlotTypes[slot], scriptId);
    if (fTables[slot].handle == 0) return kIntlTableMissing;
  }
  // Case tables: the language's own, else those of id 0.
  for (int32_t slot = kLowerPlain; slot <= kUpperNoAccents; ++slot) {
    if (fTables[slot].handle == 0) {
      fTables[slot].handle = LoadTable(kSlotTypes[slot], int16_t(fLanguage));
      if (fTables[slot].handle == 0) fTables[slot].handle = LoadTable(kSlotTypes[slot], 0);
    }
    if (fTables[slot].handle == 0) return kIntlTableMissing;
  }
  for (int32_t slot = kSet0; slot <= kSet3; ++slot) {
    if (fTables[slot].handle == 0) {
      fTables[slot].handle = LoadTable(kSlotTypes[slot], int16_t(slot - kSet0));
    }
    if (fTables[slot].handle == 0) return kIntlTableMissing;
  }
  return 0;
}

void VIntlMgr::ResolveLanguage() {
  if (fLanguage == kLanguageNotChosen) fLanguage = kLanguageUserDefault;
  if (fLanguage == kLanguageUserDefault) {
    fLanguage = UserDefaultLanguage() & 0xFFFF;
  } else if (fLanguage == kLanguageSystemDefault) {
    fLanguage = SystemDefaultLanguage() & 0xFFFF;
  }
}

void VIntlMgr::ReleaseTables() {
  // Release order: the conversion tables, upper case, lower case, the sets.
  static constexpr TableSlot kOrder[kTableCount] = {
      kMacToUni,  kUniToMac,       kWinToUni, kUniToWin, kUpperPlain, kUpperNoAccents,
      kLowerPlain, kLowerNoAccents, kSet0,     kSet1,     kSet2,       kSet3};
  for (TableSlot slot : kOrder) {
    Slot& s = fTables[slot];
    if (s.pointer != nullptr) {
      gMemoryMgr->UnlockHandle(s.handle);
      s.pointer = nullptr;
    }
    if (s.handle != 0) {
      gMemoryMgr->DisposeHandle(s.handle);
      s.handle = 0;
    }
  }
  for (VMemHandle& handle : fScriptWinTables) {
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
    handle = 0;
  }
  fScriptsWithoutWinTable = 0;
}

int32_t VIntlMgr::ScriptOfLanguage(int32_t language) {
  for (const LanguageScript& entry : kLanguageScripts) {
    if (entry.language == language) return entry.script;
  }
  return -1;
}

int32_t VIntlMgr::WindowsScriptOfLanguage(int32_t language) {
  // Estonian, Latvian and Lithuanian: Central European on the Macintosh,
  // Baltic (1257) on Windows.
  if (language == 0x0425 || language == 0x0426 || language == 0x0427) return 17;
  return ScriptOfLanguage(language);
}

int32_t VIntlMgr::ScriptOfWindowsCharSet(int32_t charSet) {
  switch (charSet) {
    case 0: return 0;     // ANSI, 1252
    case 128: return 1;   // Shift JIS, 932
    case 136: return 2;   // Big5, 950
    case 134: return 3;   // GB 2312, 936
    case 129: return 4;   // Hangul, 949
    case 178: return 5;   // Arabic, 1256
    case 177: return 6;   // Hebrew, 1255
    case 161: return 7;   // Greek, 1253
    case 204: return 8;   // Russian, 1251
    case 238: return 9;   // Eastern Europe, 1250
    case 222: return 14;  // Thai, 874
    case 163: return 15;  // Vietnamese, 1258
    case 162: return 16;  // Turkish, 1254
    case 186: return 17;  // Baltic, 1257
    default: return -1;
  }
}

bool VIntlMgr::ScriptWinToUni(int32_t script, const uint8_t* src, size_t count, char16_t* dst) {
  if (script < 0 || script >= kScriptCount) return false;
  const uint32_t bit = uint32_t(1) << script;
  if ((fScriptsWithoutWinTable & bit) != 0) return false;
  VMemHandle& handle = fScriptWinTables[script];
  if (handle == 0) handle = LoadTable(kSlotTypes[kWinToUni], int16_t(script));
  if (handle == 0) {
    fScriptsWithoutWinTable |= bit;
    return false;
  }
  VHandleLocker lock(handle);
  const TextTables::Table table{lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(handle)};
  if (table.data == nullptr || TextTables::MaxBytes(table) != 1) return false;
  for (size_t i = 0; i < count; ++i) {
    char16_t unit = 0;
    size_t consumed = 1;
    dst[i] = TextTables::ByteToUni(table, src + i, 1, unit, consumed) ? unit : 0;
  }
  return true;
}

VMemHandle VIntlMgr::GetTableHandle(TableSlot slot) const {
  if (slot < 0 || slot >= kTableCount) return 0;
  return fTables[slot].handle;
}

// ---- Table use: lock on demand, so that nested operations share one lock
// and every table is unlocked again between top-level calls.

VIntlMgr::TableUse::TableUse(VIntlMgr& manager, TableSlot slot)
    : fSlot(manager.fTables[slot]), fLock(fSlot.pointer == nullptr ? fSlot.handle : 0) {
  if (fSlot.handle == 0) return;
  if (fLock) fSlot.pointer = fLock.As<uint8_t>();
  fTable.data = fSlot.pointer;
  fTable.size = fSlot.pointer != nullptr ? gMemoryMgr->GetHandleSize(fSlot.handle) : 0;
}

VIntlMgr::TableUse::~TableUse() {
  // The slot forgets the address before the lock is given back.
  if (fLock) fSlot.pointer = nullptr;
}

bool StartIntl() {
  gIntlMgr = new VIntlMgr();
  if (gIntlMgr->LoadTables(kLanguageUserDefault) == kIntlTableMissing) {
    gIntlMgr->LoadTables(kLanguageUSEnglish);
    return false;
  }
  return true;
}
