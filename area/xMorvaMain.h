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
  // The area's resource id answered for routine 1: its icon ('cicn'), the
  // one the form editor's placeholder draws too, at that offset from the
  // resource base.
  static constexpr int16_t kAreaResourceId = 12137;
  static constexpr int16_t kAreaIconOffset = 137;
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

  // ---- Area references: 32-bit values the package hands out, one for
  // each of its plug-in objects, never handed out twice while the process
  // lives, whatever packages come and go in it.
  uint32_t AddReference(VPlugInObject* object, xMorvaHostObject* host);
  void RemoveReference(uint32_t reference);
  // The object a reference names (looked up, never dereferenced) and its
  // kind (1 to 5, 0 when none): null for 0, for a value the package never
  // handed out, and for one whose object is gone.
  xMorvaHostObject* FindReference(uint32_t reference, int32_t& kind) const;
  size_t CountReferences() const { return fReferences.size(); }
  // A document that goes is no command's current document any more.
  void ForgetDocument(const xMorvaDocument* document);

  // ---- The command frame.
  // Resolves the area reference p[0] points to: true with the object's
  // document, which becomes the command's current document (inside a host
  // command from now on). Any other value clears the current area and
  // document, records 1022 and answers false; the value is looked up,
  // never dereferenced.
  bool ResolveArea(void** params, xMorvaDocument*& document, xMorvaHostObject*& object);
  // The closing step of a command: the current document's last error
  // becomes `code`; a code other than 0 goes to the user's error method
  // with its message; the document leaves its host command.
  void ReportCommandError(int32_t code);
  // The current command's area and document; 0 and null outside commands.
  uint32_t GetCurrentArea() const { return fCurrentArea; }
  xMorvaDocument* GetCurrentDocument() const { return fCurrentDocument; }
  int32_t GetLastMethodValue() const { return fLastMethodValue; }

  // ---- The user's methods (what the document offers them).
  // The host is asked before any method is called; below 16000 the alert
  // replaces the call and the answer is false.
  bool MayCallMethods();
  bool CallAreaCallback(xMorvaHostObject& object, int32_t id);
  void CallCallbackMethod(xMorvaHostObject& object, const VString& name, int32_t value);
  bool CallCommandMethod(xMorvaHostObject& object, int32_t id);
  bool NotifyCommand(xMorvaHostObject& object, const VString& name, int32_t id);
  // The area may be null: only the package's methods are tried.
  bool CallEventCallback(xMorvaPlugIn* area, int32_t kind, int32_t value);
  bool CallEventMethod(xMorvaPlugIn* area, const VString& name, int32_t kind, int32_t value);
  xMorvaUserMethod& GetErrorMethod() { return fErrorMethod; }
  xMorvaUserMethod& GetCallbackMethod() { return fCallbackMethod; }
  xMorvaUserMethod& GetCommandMethod() { return fCommandMethod; }
  xMorvaEventMethods& GetEventMethods() { return fEventMethods; }
  // The user's code of a document command id (the first pair that holds
  // it), 0 when the table has none.
  static int16_t UserCodeOfCommand(int32_t id);
  // The document command id of a user code, 0 when none.
  static int32_t CommandOfUserCode(int32_t code);
  // The modifier value passed to the command method: control 256, shift
  // 512, caps lock 1024, alt 2048.
  static int32_t ModifierValue(bool control, bool shift, bool capsLock, bool alt);

  // Reads a BLOB's document into `document` (reset first with `reset`):
  // the own format, else the older one; the code as the reader gives it,
  // 1032 when neither format reads it. `olderFormat`, when given, tells
  // whether the older format's reader read it. What loads a BLOB (36, 49,
  // 141, 142) and what inserts one (54) read it here.
  static int32_t ReadBlobDocument(xMorvaDocument& document, uint32_t blob, bool reset, bool* olderFormat = nullptr);

 protected:
  // Runs a user's method through the host with the values as arguments:
  // the function's result as a number (0 without one), 0 for a procedure.
  virtual int32_t InvokeMethod(const VString& name, const VValue* const* arguments, int32_t count,
                               bool function);
  // The executor of the low commands (below 95), and that of the command
  // table (100 to 172); `params` is the host's array of parameter pointers.
  virtual void ExecuteLowCommand(int32_t selector, void** params, void* result);
  virtual void ExecuteTableCommand(int32_t selector, void** params, void* result);

 private:
  static bool IsEditingRoutine(int32_t routine);
  void LoadWordCharTable();

  // One command's own state, kept while a nested command runs.
  struct CommandFrame {
    xMorvaDocument* document;
    xMorvaHostObject* object;
    uint32_t area;
    uint8_t inHostCommand;
  };
  void SetCurrent(xMorvaDocument* document, xMorvaHostObject* object, uint32_t area);
  // The commands of this package (xMorvaCommands.cpp).
  void RunLowCommand(int32_t selector, void** params, void* result);
  void RunTableCommand(int32_t selector, void** params, void* result);
  void SetMethodOfArea(void** params, int32_t which);
  void ReadMethodOfArea(void** params, void* result, int32_t which);
  void CommandOptions(bool set, void** params);
  void CommandDeleteOffscreen(void** params);
  void CommandNewOffscreen(void* result);
  void CommandLockArea(void** params);
  void CommandLastError(void** params, void* result);
  void CommandCommandState(void** params, bool read);
  void CommandAreaSwitch(int32_t selector, void** params);
  // The document as a BLOB in the own format (xMorvaBlobCommands.cpp).
  void CommandNewAreaFromBlob(void** params, void* result);
  void CommandReadBlob(int32_t selector, void** params);
  void CommandWriteBlob(int32_t selector, void** params, void* result);
  // A document from a file, and to one (xMorvaFileCommands.cpp).
  void CommandOpenFile(void** params);
  void CommandSaveFile(void** params);
  // Reads the BLOB into the current document and records the code.
  void LoadDocumentFromBlob(xMorvaDocument& document, uint32_t blob, bool emptyIsMissing);

  xMorvaDocument* fCurrentDocument = nullptr;
  xMorvaHostObject* fCurrentObject = nullptr;
  uint32_t fCurrentArea = 0;
  std::vector<CommandFrame> fOuterCommands;
  int32_t fLastMethodValue = -1;
  xMorvaUserMethod fCommandMethod;
  xMorvaUserMethod fErrorMethod;
  xMorvaUserMethod fCallbackMethod;
  xMorvaEventMethods fEventMethods;

  struct ReferenceEntry {
    VPlugInObject* object;
    xMorvaHostObject* host;
    int32_t kind;
  };
  std::unordered_map<uint32_t, ReferenceEntry> fReferences;

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
