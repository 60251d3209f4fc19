// The plug-in area base classes as the package routes events to them:
// VPlugIn (an area of a host form, a user area of a host-run dialog, or an
// area without any window), VDesignPlugIn (the form editor's placeholder),
// VOutputPlugIn and VPrintingPlugIn. Each registers itself with the package
// in its kind's list when it is made and leaves the list when it is
// deleted.
//
// VPlugIn ties a view tree to the host: the host's event records become
// calls of the view tree, the area owns the command manager, the command
// table and the keyboard shortcuts of its views, keeps its interface block
// (menus, bars, commands and shortcuts, built from the module's resources
// once and stored per area), makes its document manager on first use and
// hands its drawing port to its views. Work that user events make necessary
// (command states, the collected update region) waits for the first idle
// event 2 ticks or more after the last user event.
#pragma once

#include <cstdint>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/strings/VUniString.h"
#include "views/VCommandTable.h"
#include "views/VDockView.h"
#include "views/VPlugInKinds.h"
#include "views/VShortcut.h"
#include "views/VView.h"
#include "graphics/VRegion.h"
#include "host/package/VPlugInObject.h"

class VCommandMgr;
class VDialQv;
class VMacResourceFile;
class VMemoryResourceFile;
class VPackage;
class VPlugInDocMgr;
class VResourceFile;
class VString;
class VWindowMenuBar;
struct HostDragRecord;
namespace Tbx {
struct WindowRecord;
struct GrafPort;
}

// The answers an area writes into the host's event record.
enum : uint16_t {
  kAreaAnswerNotHandled = 112,      // in modifiers; in message for an unhandled key
  kAreaAnswerTabForward = 110,      // in message
  kAreaAnswerTabBackward = 111,     // in message
  kAreaAnswerTaken = 301,           // in message
  kAreaAnswerCloseRefused = 122,    // in message
  kAreaAnswerKeepFocus = 103,       // in message
  kAreaAnswerEnabled = 101,         // in message; 0 when disabled
  kAreaAnswerReloaded = 1,          // in modifiers
  kAreaAnswerDragYes = 0x4F4B,      // "OK", in modifiers
  kAreaAnswerDragNo = 0x4E4F,       // "NO", in modifiers
  kAreaAnswerInitialised = 0x600,   // in modifiers
};

// Messages an area answers beside the frame and focus ones.
enum : int32_t {
  kMsgToolbarCommand = -994,
  kMsgOwnWindow = 20,
  kMsgDockMessage = 33,
};

// The close message that closes whatever CanClose says.
constexpr uintptr_t kAreaForcedClose = 130;
// The host versions from which updates and saves (0x653) and drags (above
// 0x670) change.
constexpr uint16_t kHostVersionSaveEvents = 0x653;
constexpr uint16_t kHostVersionDragEvents = 0x670;
// The string list of the edit menu's undo and redo titles.
constexpr int16_t kEditTitleList = 9002;

// 'XPRF' and 'XDVE': the rules for building an area's interface block and
// the stamp that ties a block to the rules it was built from.
constexpr uint32_t kResTypeInterfaceRules = FourCC("XPRF");
constexpr uint32_t kResTypeInterfaceStamp = FourCC("XDVE");
constexpr uint32_t kResTypeDockBlock = FourCC("DOCK");
constexpr uint32_t kResTypeDockLayout = FourCC("XDOK");

// 'XPRF' in native order once the resource layer has converted it:
//   stamp  u32
//   count  s16  the number of rules
//   then count rules of 8 bytes:
//     type      u32  resource type
//     first id  s16  -1: every resource of the type
//     last id   s16  read when first id is not -1
// The rules come from users' files: only the whole rules the data holds
// are read, whatever the count claims, and a negative count holds none.
constexpr size_t kInterfaceRulesHeadSize = 6;
constexpr size_t kInterfaceRuleSize = 8;

struct VInterfaceRule {
  uint32_t type;
  int16_t firstId;
  int16_t lastId;
};

struct VInterfaceRules {
  uint32_t stamp = 0;
  std::vector<VInterfaceRule> rules;
};

// Reads 'XPRF' bytes; false (stamp 0, no rules) when even the head is
// missing.
bool ReadInterfaceRules(const uint8_t* data, size_t size, VInterfaceRules& out);
// The stamp of an 'XDVE' resource; false when it holds fewer than 4 bytes.
bool ReadInterfaceStamp(const uint8_t* data, size_t size, uint32_t& stamp);
// Builds an interface block from `file`: its ready-made 'DOCK' named `name`
// when it has one, else the copies that its 'XPRF' `id` rules (the default
// interface types without rules) and the stamp. Null when no block can be
// made.
VMemHandle BuildDockBlock(VResourceFile* file, const VString& name, int16_t id);
// A form area's stored block, detached from the first file that has one:
// the shared file by `key` then by the area's name, the host's file the
// same way, the preferences by the area's name. 0 when none has one.
VMemHandle FindStoredInterfaceBlock(VResourceFile* shared, VResourceFile* hostFile, VResourceFile* prefs,
                                    uint32_t type, const VString& key, const VString& areaName);
// Whether a stored block is an interface block whose stamp equals the
// module's 'XPRF' `id` stamp of `moduleFile`.
bool IsInterfaceBlockValid(VMemHandle block, VResourceFile* moduleFile, int16_t id);

class VPlugIn : public VDockView, public VPlugInObject {
 public:
  // An area of a host form made by the package's factory: window set-up
  // with the host's parameter array, its name from the package's list and
  // the package's shared resource file of that name.
  VPlugIn(VPackage* package, int32_t resourceOffset, void** areaParams);
  // An area made by a host command: no window, no shared resource file.
  VPlugIn(VPackage* package, int32_t resourceOffset);
  // A user area of a host-run dialog; with a null dialog the area stands
  // alone and is registered nowhere.
  VPlugIn(VPackage* package, VDialQv* ownerDialog, const VString& name, void** areaParams);
  ~VPlugIn() override;

  // ---- The package's side.
  void HandleEvent(void** params) override;
  void Close() override;
  bool IsClosed() const override { return fClosed != 0; }

  // ---- Frame operations the area answers itself.
  bool Contains(const VPoint& p) const override;
  uint32_t GetKind() const override { return FourCC("PLUG"); }
  void DrawContent(VPort& port) override;
  void InvalidateChild(VFrame* frame) override;
  // What a frame of the area invalidates in the area's window, cut to the
  // area's box: the area draws nowhere else, and the areas beside it on a
  // form are not drawn again for it.
  void InvalidateWindowRect(HWND window, const RECT& rect, bool validate) override;
  using VFrame::SetTitle;
  void SetTitle(const VString& text) override;
  bool AskParentState() override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool CanLoseFocus() override;
  // Whether the area is the one the user works in (its own focus byte),
  // whichever of its frames holds the keyboard.
  bool HasAreaFocus() const { return fHasFocus != 0; }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  VFrame* FindClickTarget(const VPoint& p, bool clickableOnly) override;
  VWindowView* GetWindowView() override { return fWindowView; }
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override;
  void Draw(VPort& port) override;
  bool DispatchMouse(VEvent& event) override;
  void DispatchWheel(VEvent& event) override;
  VCommand* FindCommand(int32_t commandId) override;
  void GetVisibleRegion(VRegion& region) const override;
  VPort* GetPort() override;
  void FlushWindow() override;
  VCommandMgr* GetFocusManager() override { return fCommandMgr; }

  // ---- What a derived area overrides.
  virtual VPlugInDocMgr* NewDocMgr();
  virtual void InitInterface(const void* data, uint32_t size) {}
  virtual void ReloadCommands() {}
  virtual void BeforeClose() {}
  virtual bool CanClose(bool asking) { return true; }
  virtual void DeactivateByHost() {}
  virtual void DrawTooSmall(VPort& port) {}
  virtual void PrepareDrop(HostDragRecord* record) {}
  virtual bool DoCommand(VFrame* sender, int32_t id, intptr_t parameter) { return true; }
  virtual void OwnWindowOpened() {}
  virtual void OwnWindowClosed() {}
  // The dock's window menu bar: the bar its description built as menu bar,
  // when that bar is one; without one the area cannot open its own window.
  virtual VWindowMenuBar* GetWindowMenuBar();
  // Whether the window belongs to one of the dock's floating bars, which
  // stay shown beside the own window.
  virtual bool IsFloatingBarWindow(Tbx::WindowRecord* window);
  // Lays the dock's bars and content out again.
  virtual void RelayoutDock();

  // The area's message handling (its NotifyParent).
  bool HandleMessage(VFrame* sender, int32_t message, intptr_t parameter);
  // Brings the commands 1 to 7 and the host's edit menu up to date: reason
  // 1 after user events, 2 when the area takes the focus.
  void UpdateCommands(int32_t reason);

  // ---- Size state: 0 too small, 1 normal, 2 own window requested, 3 own
  // window closing, 4 in its own window.
  int16_t GetSizeState() const { return fSizeState; }
  void UpdateSizeState();
  void SetMinimumSize(int16_t width, int16_t height);
  void RequestOwnWindow();
  void CloseOwnWindow();
  // The own window's modal loop, run when the state is 2; the area comes
  // back to its home window when the window closes.
  void RunOwnWindow();

  // The first shortcut of the command; null when none.
  VCommandKey* FindShortcut(int32_t commandId) const override;
  void EnsureDocMgr();
  // Whether the document manager (made if needed) is bound to a host field
  // it can use.
  bool IsBoundToHostData();
  VPlugInDocMgr* GetDocMgr();
  int32_t GetResourceOffset() const { return fResourceOffset; }
  void LoadCommandResource(VResourceFile* file, int16_t id) { fCommands.LoadCommands(file, id); }
  void LoadShortcutResource(VResourceFile* file, int16_t id);
  void AddCommand(int32_t id, const VString& title);
  void DeleteCommand(int32_t id);

  // ---- The interface block.
  void LoadInterface(const VString& name);
  void SaveDocks(const VString& name);
  VMemHandle GetInterfaceBlock() const { return fInterfaceBlock; }

  // ---- State, for the area's owners and tests.
  VPackage* GetPackage() const { return fPackage; }
  VDialQv* GetOwnerDialog() const { return fOwnerDialog; }
  bool IsOffscreen() const { return fNoWindow != 0; }
  bool IsStandAlone() const { return fStandAlone != 0; }
  bool IsFormArea() const { return fOwnerDialog == nullptr && fStandAlone == 0; }
  const VString& GetAreaName() const { return fAreaName; }
  const VString& GetObjectName() const { return fObjectName; }
  int16_t GetFormTable() const { return fFormTable; }
  int16_t GetFormPage() const { return fFormPage; }
  uint8_t GetVariableKind() const { return fVariableKind; }
  uint32_t GetNextIdleTime() const { return fNextIdle; }
  VFrame* GetHotFrame() const { return fHotFrame; }
  bool IsKeyDown() const { return fKeyDown != 0; }
  bool IsMouseDown() const { return fMouseDown != 0; }
  // The key of the last key event, with its character: what the focused
  // frame's HandleKey reads beside the event's key code.
  const VShortcut& GetLastKey() const { return fLastKey; }
  bool IsPortInUse() const { return fPortInUse != 0; }
  bool HasLookBackground() const { return fLookBackground != 0; }
  void SetLookBackground(bool on) { fLookBackground = on ? 1 : 0; }
  const VRegion& GetUpdateRegion() const { return fUpdateRegion; }
  VCommandTable& GetCommandTable() { return fCommands; }
  VArrayListPtrOf<VCommandKey*>& GetShortcuts() { return fShortcuts; }
  VMacResourceFile* GetSharedResourceFile() const { return fSharedFile; }
  void GetVisibleRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const;

 protected:
  // Next idle time = now + idle interval, never 0 (0 means none).
  void SetRefreshDeadline();
  // Whether the deadline is set and has come, by the signed difference of
  // the tick counts, so that the count's wrap-around does not hide it.
  bool IsDeadlinePassed(uint32_t now) const;

 private:
  // One stay in the own window, its steps and state.
  class OwnWindowSession;

  // The resource offset, the area's resource id and its name from the
  // package's list.
  void TakeResourceOffset(int32_t resourceOffset);
  void SetUpWindow(void** areaParams);
  void PendingWork();
  void SetToolTipFlag();
  void HandleIdle();
  // With the focus, the commands take their states again when the
  // clipboard changed since they last took them, so that what another
  // program copied can be pasted.
  void FollowClipboard();
  void HandleMouseDown(HostEventRecord& record);
  void HandleMouseUp(HostEventRecord& record);
  void HandleKeyDown(HostEventRecord& record);
  void HandleUpdate(HostEventRecord& record);
  void HandleMouseMoved(HostEventRecord& record);
  void HandleClose(HostEventRecord& record);
  void HandleMoveResize();
  void HandleEditEvent(uint16_t code);
  void HandleDrag(HostEventRecord& record);
  void HandleExtendedInit(HostEventRecord& record);
  void Draw(HostEventRecord& record);
  // Draws the whole area straight into a port that belongs to no window
  // (a printer's page, an offscreen world), scaled from the screen's
  // resolution to the port's.
  void DrawIntoDevicePort(Tbx::GrafPort* port);
  // e: the extra pixel a form area without table, dialog or tool bar
  // gets below and at the right of the host's rectangle.
  int32_t ExtraPixel() const;
  bool IsDoubleBuffered() const;
  // Moves and sizes the area to the host's rectangle (plus e) when it
  // differs; true when it did.
  bool FollowHostRect(int32_t extra);
  VMacResourceFile* GetPrefsFile() const;
  VResourceFile* GetModuleFile() const;
  // Where a form area's block is kept: its type.
  uint32_t GetBlockType();

  VStr<40> fAreaName;
  int32_t fResourceOffset = 0;
  VStr<40> fObjectName;
  VPackage* fPackage = nullptr;
  VWindowView* fWindowView = nullptr;
  VCommandMgr* fCommandMgr = nullptr;
  VCommandTable fCommands;
  VDialQv* fOwnerDialog = nullptr;
  VPort* fPort = nullptr;
  VArrayListPtrOf<VCommandKey*> fShortcuts;
  VFrame* fHotFrame = nullptr;
  int32_t fLastMouseX = 0;
  int32_t fLastMouseY = 0;
  VMemHandle fInterfaceBlock = 0;
  uint32_t fNextIdle = 0;
  int32_t fIdleInterval = 2;
  int32_t fVisibleX = 0;
  int32_t fVisibleY = 0;
  int32_t fVisibleW = 0;
  int32_t fVisibleH = 0;
  int16_t fFormPage = -1;
  int16_t fFormTable = 0;
  VRegion fUpdateRegion;
  VShortcut fLastKey;
  void** fParams = nullptr;
  uint8_t fPortInUse = 0;
  uint8_t fVariableKind = 0;
  uint8_t fNoWindow = 0;
  uint8_t fMouseDown = 0;
  uint8_t fKeyDown = 0;
  uint8_t fClosed = 0;
  uint8_t fStandAlone = 0;
  uint8_t fLookBackground = 1;
  uint8_t fHasFocus = 0;
  uint8_t fEnabledByte = 1;
  // Set while an edit command is handed to the focus frame.
  uint8_t fEditDispatch = 0;
  // The clipboard's change count when the commands last took their states.
  uint32_t fClipboardChanges = 0;
  // The package list the area joined at set-up, which it leaves at the end.
  enum : uint8_t { kRegisteredNone, kRegisteredForm, kRegisteredOffscreen };
  uint8_t fRegistered = kRegisteredNone;
  VMacResourceFile* fSharedFile = nullptr;
  VPlugInDocMgr* fDocMgr = nullptr;
  int16_t fSizeState = 1;
  int16_t fMinWidth = 0;
  int16_t fMinHeight = 0;
};
