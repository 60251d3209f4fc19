// VIntlMgr: the framework's one holder of language-dependent text data: the
// language in force, the twelve text tables, and the conversion, case and
// comparison of text between Macintosh bytes, Windows ANSI bytes and UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"

class VString;

// A text table missing from the resource chain.
constexpr int32_t kIntlTableMissing = -8232;

// Languages with a meaning before the tables are loaded.
constexpr int32_t kLanguageNotChosen = -2;
constexpr int32_t kLanguageUserDefault = 0;
constexpr int32_t kLanguageSystemDefault = -1;
constexpr int32_t kLanguageUSEnglish = 0x0409;

class VIntlMgr : public VObject {
 public:
  // The twelve table slots, in the order of the manager's fields.
  enum TableSlot : int32_t {
    kMacToUni,        // 'macu'
    kUniToMac,        // 'umac'
    kWinToUni,        // 'winu'
    kUniToWin,        // 'uwin'
    kLowerPlain,      // 'lwrn'
    kLowerNoAccents,  // 'lwra'
    kUpperPlain,      // 'uprn'
    kUpperNoAccents,  // 'upra'
    kSet0,            // 'uset' 0 to 3
    kSet1,
    kSet2,
    kSet3,
    kTableCount
  };

  VIntlMgr();
  ~VIntlMgr() override;
  VIntlMgr(const VIntlMgr&) = delete;
  VIntlMgr& operator=(const VIntlMgr&) = delete;

  // A copy of the resource (type, id) of the current resource chain in a new
  // memory-manager handle; 0 when there is no such resource.
  virtual VMemHandle LoadTable(uint32_t type, int16_t id);

  // Chooses the language and loads every table slot still empty: 0, or
  // kIntlTableMissing at the first table that cannot be found (the tables
  // loaded before it stay).
  int32_t LoadTables(int32_t language);
  // -2 becomes 0; 0 the user's default language, -1 the system's.
  void ResolveLanguage();
  // Unlocks and disposes every table.
  void ReleaseTables();
  // The script code of a Windows language identifier, -1 for none: the
  // Macintosh script, which also names the tables the manager loads.
  static int32_t ScriptOfLanguage(int32_t language);
  // The script whose Windows code page the language's text is written in:
  // ScriptOfLanguage's, but Baltic (17) for the languages the Macintosh
  // writes in Central European and Windows in 1257.
  static int32_t WindowsScriptOfLanguage(int32_t language);
  // The script code whose Windows code page a Windows character set (a
  // font's lfCharSet) names, -1 for none (the default, OEM and symbol sets).
  static int32_t ScriptOfWindowsCharSet(int32_t charSet);

  int32_t GetLanguage() const { return fLanguage; }
  VMemHandle GetTableHandle(TableSlot slot) const;
  char16_t GetWildcard() const { return fWildcard; }
  bool IsWildcardEnabled() const { return fWildcardEnabled != 0; }

  // ---- Single characters. Each step converts one character and advances
  // both cursors; a step reads no byte at or past `srcEnd` and writes none at
  // or past `dstEnd`.
  void MacCharToUniStep(const uint8_t*& src, const uint8_t* srcEnd, char16_t*& dst);
  void WinCharToUniStep(const uint8_t*& src, const uint8_t* srcEnd, char16_t*& dst);
  // Answers false, moving nothing, when the unit's bytes do not fit.
  bool UniCharToMac(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd);
  bool UniCharToWin(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd);
  // One byte to its unit; 0 when the byte makes none (a lead byte alone).
  char16_t MacCharToUni(uint8_t c);
  char16_t WinCharToUni(uint8_t c);
  // One unit to the first byte of its byte form; 0 when it has none.
  uint8_t UniCharToMac(char16_t c);
  uint8_t UniCharToWin(char16_t c);
  // The same for `count` characters at once, each alone, one for one into
  // `dst` (0 where there is none): what a loop of the single-character
  // forms gives, the table taken once for all of them.
  void MacCharsToUni(const uint8_t* src, size_t count, char16_t* dst);
  void WinCharsToUni(const uint8_t* src, size_t count, char16_t* dst);
  void UniCharsToMac(const char16_t* src, size_t count, uint8_t* dst);
  void UniCharsToWin(const char16_t* src, size_t count, uint8_t* dst);

  // Bytes of the Windows code page of `script` (not the language's own)
  // to UTF-16, one unit a byte, 0 for a byte that makes no character: true
  // when the script has a table of single bytes, which is loaded on first
  // use and kept; false, nothing written, otherwise.
  bool ScriptWinToUni(int32_t script, const uint8_t* src, size_t count, char16_t* dst);

  // ---- Runs. Bytes to UTF-16: true when the source is used up, false when
  // the destination filled first; the cursors show where each side stopped.
  bool MacToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd, int32_t count);
  bool WinToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd, int32_t count);
  // Zero-terminated sources: the zero byte is neither converted nor passed.
  bool MacCToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd);
  bool WinCToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd);
  // UTF-16 to bytes: a character is written only when all its bytes fit
  // before dstEnd; the run stops (false) at the first one that does not.
  bool UniToMac(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd, int32_t count);
  bool UniToWin(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd, int32_t count);
  bool UniCToMac(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd);
  bool UniCToWin(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd);

  // Direct conversion between the two byte encodings, by the manager's
  // language (United States English without a manager): true when all
  // `count` bytes were consumed.
  static bool AnsiToMacBytes(const uint8_t*& src, uint8_t*& dst, const uint8_t* dstEnd,
                             int32_t count);
  static bool MacToAnsiBytes(const uint8_t*& src, uint8_t*& dst, const uint8_t* dstEnd,
                             int32_t count);
  // Copies min(srcLength, dstLength) bytes when the two character kinds are
  // the same (storing the number in dstLength); false and nothing otherwise.
  static bool CopySameKind(const void* src, int32_t srcLength, int32_t srcKind, void* dst,
                           int32_t& dstLength, int32_t dstKind);

  // ---- Case and sets. `variant` false keeps accents ('uprn', 'lwrn'); true
  // also removes them ('upra', 'lwra').
  bool ToUpper(char16_t* text, int32_t count, bool variant);
  bool ToLower(char16_t* text, int32_t count, bool variant);
  void ToUpperChar(char16_t& c, bool variant);
  void ToLowerChar(char16_t& c, bool variant);
  // Membership in 'uset' 0 (letters), 1 (decimal digits), 2 (white space)
  // or 3 (punctuation); false for any other set number.
  bool IsInUSet(int32_t set, char16_t c);

  // ---- Comparison: -1 first before second, 0 equal, 1 after; `strict`
  // false ignores case. CompareChar answers -2 when the system fails.
  int32_t CompareChar(char16_t a, char16_t b, bool strict);
  // Two UTF-16 texts of the given lengths, read as zero-terminated within
  // them; a second text ending in the wildcard is a prefix pattern.
  int32_t CompareUniTexts(const char16_t* a, int32_t lengthA, const char16_t* b, int32_t lengthB,
                          bool strict);

 private:
  class TableUse;
  friend class TableUse;

  struct Slot {
    VMemHandle handle;
    uint8_t* pointer;  // set only while the handle is locked
  };

  void CharsToUni(TableSlot slot, const uint8_t* src, size_t count, char16_t* dst);
  void UniCharsToBytes(TableSlot slot, const char16_t* src, size_t count, uint8_t* dst);
  bool ToUni(TableSlot slot, const uint8_t*& src, const uint8_t* srcEnd, bool zeroEnded,
             char16_t*& dst, const char16_t* dstEnd);
  bool FromUni(TableSlot slot, const char16_t*& src, const char16_t* srcEnd, bool zeroEnded,
               uint8_t*& dst, const uint8_t* dstEnd);
  bool MapCaseRun(TableSlot slot, char16_t* text, int32_t count);
  int32_t SystemCompare(const char16_t* a, int32_t lengthA, const char16_t* b, int32_t lengthB,
                        uint32_t flags);
  static bool ConvertBytes(bool ansiToMac, const uint8_t*& src, uint8_t*& dst,
                           const uint8_t* dstEnd, int32_t count);

  int32_t fLanguage;
  char16_t fWildcard;
  uint8_t fWildcardEnabled;
  Slot fTables[kTableCount];
  // The Windows tables of other scripts, by script code, as
  // ScriptWinToUni loads them, and the scripts asked for that have none
  // (one bit each).
  static constexpr int32_t kScriptCount = 18;
  VMemHandle fScriptWinTables[kScriptCount] = {};
  uint32_t fScriptsWithoutWinTable = 0;
};

// The module's international text manager; set by StartIntl.
// The operating-system family code of the system layer (NT family: 2, 4, 6
// and 7), which chooses how characters from 0xC0 up are compared. The system
// layer installs its query at start; without one the NT family.
struct VOSCodeQuery {
  int32_t (*osCode)();
};

using VOSCodeQueryService = VService<const VOSCodeQuery>;

extern VIntlMgr* gIntlMgr;

// Creates the manager, stores it in gIntlMgr and loads the tables of the
// user's language; when one is missing, completes them with those of United
// States English and answers false.
bool StartIntl();
