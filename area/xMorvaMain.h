// xMorvaMain: the word processor's package. It keeps the package-level
// defaults that every new document copies (options 0 to 12), the
// word-character table, the package's user methods, the area references it
// hands to the host, and it runs the host-language commands: numbers below
// 95 on the low-command executor, 100 to 172 on the command table.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "area/xMorvaUserMethods.h"
#include "framework/core/strings/VUniString.h"
#include "host/package/VPackage.h"

class VValue;
class xMorvaDocument;
class xMorvaHostObject;
class xMorvaPlugIn;

// The size of the word-character table that the package loads into the
// text engine ('UchA' with the resource base's id): one bit per UTF-16 unit.
constexpr uint32_t kWordCharTableSize = 8192;

// Command error codes of the command frame.
constexpr int32_t kErrorNoSuchArea = 1022;
constexpr int32_t kErrorEventKind = 1044;
constexpr int32_t kErrorOptionNumber = 1089;

class xMorvaMain : public VPackage {
 public:
  // The first and last command of the command table, and the end of the
  // low commands.
  static constexpr int32_t kFirstTableCommand = 100;
  static constexpr int32_t kLastTableCommand = 172;
  static constexpr int32_t kLowCommandEnd = 95;
  // The area's resource id answered for routine 1.
  static constexpr int16_t kAreaResourceId = 12137;
  // Offsets from the resource base: the alert list, the command error
  // texts, and the alert items used by the package.
  static constexpr int32_t kAlertListOffset = 6;
  static constexpr int32_t kErrorTextListOffset = 22;
  static constexpr int16_t kAlertOutOfMemory = 1;
  static constexpr int16_t kAlertOffscreenDeleted = 16;
  static constexpr int16_t kAlertNoMethods = 18;
  // The host's answer to the method question below which no user method
  // may be called.
  static constexpr int32_t kMethodRoomNeeded = 16000;
  // Package options 0 to 12 (3 and 4 do not exist).
  static constexpr int16_t kOptionCount = 13;

  explicit xMorvaMain(HostStartupRecord* params);
  ~xMorvaMain() override;

  // Initialises the package's fields once; a second call changes nothing.
  bool Init() override;
  void ExecuteCommand(int32_t selector, void* params, void* result) override;
  VPlugInObject* NewPlugIn(int32_t routine, void* params) override;
  VPlugInObject* NewDesignPlugIn(int32_t routine, void* params) override;
  VPlugInObject* NewOutputPlugIn(int32_t routine, void* params) override;
  VPlugInObject* NewPrintingPlugIn(int32_t routine, void* params) override;
  int16_t GetAreaResourceId(int32_t routine) override;
  void OffscreenPlugInsDeleted(int32_t count) override;
  // The word processor's own resource types in the other byte order.
  uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) override;

  bool IsInitialized() const { return fInitialized != 0; }

  // ---- Options (commands 137 and 138 without an area). Each answers 0,
  // or 1089 for 3, 4 and any index outside 0 to 12 (nothing changed).
  int32_t SetOption(int16_t index, int16_t value, const VString* text);
  int32_t GetOption(int16_t index, uint16_t& value, VString* text) const;
  const VString& GetOutOfMemoryText() const { return fOutOfMemoryText; }
  void ShowMemoryAlert();
  // Item `item` of the alert list in the host's alert.
  void ShowAlert(int16_t item);
  // Item `item` of the list at resource base + `offset`; empty when none.
  void GetListString(VString& out, int32_t offset, int16_t item) const;
  // The option defaults into a new document; an offscreen one starts with
  // option 0 off.
  void CopyDefaultsTo(xMorvaDocument& document, bool offscreen) const;

 protected:
  // The executor of the low commands (below 95), and that of the command
  // table (100 to 172); `params` is the host's array of parameter pointers.
  virtual void ExecuteLowCommand(int32_t selector, void** params, void* result);
  virtual void ExecuteTableCommand(int32_t selector, void** params, void* result);

 private:
  static bool IsEditingRoutine(int32_t routine);
  void LoadWordCharTable();

  uint8_t fInitialized = 0;
  VStr<255> fOutOfMemoryText;
  // Package options: 0, 1, 2, 5, 10, 11, 12 are flags; 6 and 7 a flag
  // with a text; 8 and 9 the default minimum area size.
  uint8_t fOptionFlags[kOptionCount] = {};
  VStr<255> fOption6Text;
  VStr<255> fOption7Text;
  int32_t fOption8 = 0;
  int32_t fOption9 = 0;
};
