// VFrame: a rectangle placed in its parent view, the base of every on-screen
// element. Questions a frame cannot answer (window, port, commands, focus)
// and the changes it reports (NotifyParent messages) go up the parent chain
// to the window's root view, which gives the final answer; without one the
// answers are null, false and 0, so a frame outside any window draws nothing
// and finds nothing.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "platform/gdi/WinGdiTypes.h"

class VCommand;
class VCommandKey;
class VCommandMgr;
class VDragTypeList;
class VEvent;
class VLookPainter;
class VPoint;
class VPort;
class VRegion;
class VString;
class VView;
class VWindowView;
template <int32_t N>
class VStr;

// The messages a frame sends up the chain. Queries pass the address of the
// word the answerer fills.
enum : int32_t {
  kMsgFrameLeaving = -999,
  kMsgLostFocus = -1989,
  kMsgTookFocus = -1990,
  kMsgGetFocusFrame = -1991,
  kMsgRequestFocus = -1992,
  kMsgGetDefaultFrame = -1993,
  kMsgMakeDefaultFrame = -1994,
  kMsgSetListening = -1995,
  kMsgSetEnabled = -1996,
  kMsgGetFocusManager = -2000,
};

// The answer words of HandleKey and DispatchKey: 1 passes the key on.
constexpr int32_t kKeyNotHandled = 1;

class VFrame : public VObject {
 public:
  // Registers with the parent (when there is one) and takes the rectangle
  // (x, y, width, height in the parent) or else the parent's size.
  VFrame(VFrame* parent, const int32_t* rect);
  ~VFrame() override;
  VFrame(const VFrame&) = delete;
  VFrame& operator=(const VFrame&) = delete;

  // ---- Place and size.
  virtual void MoveTo(int32_t x, int32_t y, int16_t mode);
  virtual void ResizeTo(int32_t width, int32_t height, int16_t mode);
  virtual void UpdateOrigin(bool subtractParentScroll);
  virtual bool ContainsLocal(const VPoint& p) const;
  virtual bool Contains(const VPoint& p) const;
  virtual uint32_t GetKind() const { return 0; }
  virtual bool IsView() const { return false; }

  // ---- Drawing and invalidation.
  virtual void DrawContent(VPort& port);
  virtual void Invalidate(int16_t mode);
  virtual void InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height, int16_t mode);
  virtual void InvalidateChild(VFrame* frame);
  virtual void Draw(VPort& port);
  virtual void GetVisibleRegion(VRegion& region) const;
  // The window's port with its origin at this frame's top-left corner (one
  // origin pushed per level); null outside a window.
  virtual VPort* GetPort();
  virtual void FlushWindow();
  virtual void ScrollPixels(int32_t dx, int32_t dy, VRegion& region);
  virtual void InvalidateWindowRect(HWND window, const RECT& rect, bool validate);

  // ---- Title, visibility, flags.
  virtual void SetTitle(const char* text);
  virtual void SetTitle(const VString& text);
  virtual void SetTitlePascal(const uint8_t* text);
  virtual const VString* GetTitle() const;
  virtual void SetVisible(bool visible);
  virtual bool IsShown() const { return fVisible != 0 && fHiddenByParent == 0; }
  virtual void SetDrawsParentBehind(bool on) { fDrawsParentBehind = on ? 1 : 0; }
  virtual bool AskParentState();
  virtual void SetHiddenByParent(bool hidden) { fHiddenByParent = hidden ? 1 : 0; }
  virtual void SetDisplayed(bool displayed) { fDisplayed = displayed ? 1 : 0; }
  virtual void SetClickable(bool on) { fClickable = on ? 1 : 0; }
  virtual bool IsClickable() const { return fClickable != 0; }
  virtual bool IsClosing() const { return fClosing != 0; }
  virtual void SetLookIndex(int16_t index) { fLookIndex = index; }

  // ---- Mouse, keys, focus (the messages above).
  virtual bool MouseDown(VEvent& event);
  virtual bool ControlMouseDown(VEvent& event);
  virtual bool MouseUp(VEvent& event);
  virtual bool ControlMouseUp(VEvent& event);
  virtual void MouseWheel(VEvent& event);
  virtual int32_t HandleKey(VEvent& event);
  virtual void LoseFocus(VFrame* next);
  virtual void TakeFocus();
  virtual void FocusChanged(VFrame* oldFocus, VFrame* newFocus);
  virtual void SetListening(bool on);
  virtual bool CanLoseFocus() { return true; }
  virtual bool IsEnabled() const;
  virtual bool RequestFocus();
  // The parameter is pointer-sized: it carries frames and answer addresses.
  virtual bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter);
  virtual void Idle(bool flag);
  virtual void Activated(bool active);
  virtual void SetEnabled(bool enabled);
  virtual VCommandMgr* GetFocusManager();
  virtual void MakeDefaultFrame();
  virtual VFrame* GetDefaultFrame();
  virtual VFrame* GetFocusFrame();
  virtual void FocusIdle();

  // ---- Cursor and input method.
  virtual void UpdateCursor(VEvent& event, bool entered);
  virtual void AdjustCursor(VEvent& event);
  virtual void AdjustCursorWithin(VEvent& event);
  virtual void CursorHook();
  virtual int32_t GetCursorIdAt(VEvent& event);
  virtual int32_t GetCursorId() const { return fCursorId; }
  virtual void SetCursorId(int32_t id) { fCursorId = id; }
  virtual void SetCompositionPlace(const VString& fontName, int32_t points, bool bold, bool italic,
                                   int32_t x, int32_t y);

  // ---- Searches by point (local coordinates).
  virtual VFrame* FindFrameAt(const VPoint& p);
  virtual VFrame* AcceptsDragAt(const VPoint& p, const VDragTypeList* dragged, uint32_t mask);
  virtual bool AcceptsDrag(const VDragTypeList* dragged, uint32_t mask, const VPoint& p);
  virtual VFrame* FindClickTarget(const VPoint& p, bool clickableOnly);
  virtual bool IsSpecialTarget() const { return false; }
  virtual void DragHook(VEvent& event);
  virtual void DragHookAt(VEvent& event);
  virtual VDragTypeList* GetDragTypes() const { return nullptr; }

  // ---- The chain's answers.
  virtual VWindowView* GetWindowView();
  virtual HWND GetWindowHandle();
  virtual VFrame* FindInChain(int32_t commandId);
  virtual VCommand* FindCommand(int32_t commandId);
  // The keyboard shortcut of a command id, asked up the chain; null when
  // none knows one.
  virtual VCommandKey* FindShortcut(int32_t commandId) const;
  // Whether the frame is a command control (toolbars look for them).
  virtual bool IsControl() const { return false; }
  virtual bool SecondaryTest() const { return false; }
  virtual bool HasScrollOffsets() const { return false; }
  // The scroll offsets subtracted when HasScrollOffsets answers true.
  virtual void GetScrollOffsets(int32_t& x, int32_t& y) const;

  // ---- Close, dispatch, copies.
  virtual void Close();
  virtual void Activate(bool active);
  virtual void DispatchIdle(bool flag);
  virtual bool DispatchMouse(VEvent& event);
  virtual void DispatchWheel(VEvent& event);
  virtual VFrame* Clone(VFrame* newParent, int32_t word);
  virtual void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word);
  virtual void SetParent(VFrame* newParent);
  virtual void SetParentQuietly(VFrame* newParent);
  virtual void GetMouseLocation(int32_t& x, int32_t& y);

  // ---- Hooks of drags, edit commands and bars.
  virtual void DragEventData(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t) {}
  virtual void DragEvent(intptr_t, intptr_t, intptr_t) {}
  virtual bool AcceptsScrapType(uint32_t) { return false; }
  virtual int32_t UpdateEditCommands() { return 0; }
  virtual bool HandlesEditCommands() { return false; }
  virtual bool IsBarItem() const { return false; }
  // Items 1 and 2 of 'STR#' 9002 of the module's resource file.
  virtual void GetUndoTitle(VString& out);
  virtual void GetRedoTitle(VString& out);
  // The Toolbox window of the window view; null without one.
  virtual void* GetWindowPort();

  // A view answers its sub-frame bookkeeping; a plain frame has none.
  virtual void AddSubView(VFrame*) {}
  virtual void RemoveSubView(VFrame*) {}
  // The sibling part of a sub-frame's visible region (views).
  virtual void SubtractSiblingsAbove(const VFrame*, VRegion&) const {}

  // ---- Non-virtual.
  int32_t DispatchKey(VEvent& event);
  VFrame* GetParent() const { return fParent; }
  void GetPosition(int32_t& x, int32_t& y) const {
    x = fX;
    y = fY;
  }
  void GetOrigin(int32_t& x, int32_t& y) const {
    x = fOriginX;
    y = fOriginY;
  }
  int32_t GetWidth() const { return fWidth; }
  int32_t GetHeight() const { return fHeight; }
  bool Overlaps(const VFrame& other) const;
  void LocalToScreen(int32_t& x, int32_t& y);
  // LocalToScreen less the client corner of the outermost window, plus a
  // caption's height.
  void GetPositionInTopWindow(int32_t& x, int32_t& y);
  void DrawLookElement(VPort& port, int32_t kind, int32_t state, const int32_t* rect, int32_t word);
  void DrawLookElementText(VPort& port, int32_t kind, int32_t state, const VString* text,
                           const int32_t* rect, int32_t word);
  bool IsAtWindowCorner();
  VLookPainter* GetLookPainter() const;
  int16_t GetEffectiveLookIndex() const;
  int16_t GetLookIndex() const { return fLookIndex; }
  bool IsFocused() const { return fFocused != 0; }
  bool IsVisible() const { return fVisible != 0; }
  bool IsDisplayed() const { return fDisplayed != 0; }
  bool IsHiddenByParent() const { return fHiddenByParent != 0; }
  bool DrawsParentBehind() const { return fDrawsParentBehind != 0; }
  bool GetEnabledByte() const { return fEnabled != 0; }
  void SetNextKeyFrame(VFrame* next) { fNextKey = next; }
  VFrame* GetNextKeyFrame() const { return fNextKey; }
  int32_t GetResourceId() const { return fResourceId; }
  void SetResourceId(int32_t id) { fResourceId = id; }
  void GetCompositionPoint(int32_t& x, int32_t& y) const {
    x = fCompositionX;
    y = fCompositionY;
  }
  // Whether `frame` is this frame or lies below it.
  bool IsSelfOrAncestorOf(const VFrame* frame) const;
  // Order by y, then x: -1 when `a` lies above (or level and left of) `b`.
  static int32_t ComparePositions(const VFrame& a, const VFrame& b);
  // Builds, tracks and deletes the pop-up menu `menuId` at local (x, y).
  void PopUpMenu(int32_t menuId, int16_t item, int32_t x, int32_t y, int32_t flag);

  // ---- Command shortcuts (each finds the command first).
  void EnableCommand(int32_t id, bool enabled, int32_t redraw);
  bool IsCommandEnabled(int32_t id);
  void SetCommandTitle(int32_t id, const VString& title, int32_t redraw);
  void GetCommandTitle(VString& out, int32_t id);
  const VString* GetCommandTitleString(int32_t id);
  void SetCommandLong(int32_t id, int32_t value, int32_t redraw);
  void SetCommandString(int32_t id, const VString& text, int32_t redraw);
  int32_t GetCommandLong(int32_t id);
  void GetCommandString(VString& out, int32_t id);

 protected:
  // Sends a query and answers the word filled in, or null.
  void* Query(int32_t message);
  // Sets or clears the focus flag without telling the chain: for a frame
  // that edits inside its focused owner, which alone is the focus target.
  void SetFocusedFlag(bool focused) { fFocused = focused ? 1 : 0; }
  // The window's input context steps: complete an open composition.
  void CompleteComposition();

  VFrame* fParent;

 private:
  friend class VView;
  friend class VWindowView;
  void PlaceComposition(HWND window, void* context);

  int32_t fCompositionX = -1;
  int32_t fCompositionY = -1;
  int32_t fX = 0;
  int32_t fY = 0;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
  int32_t fOriginX = 0;
  int32_t fOriginY = 0;
  uint8_t fVisible = 1;
  uint8_t fDisplayed = 1;
  uint8_t fHiddenByParent = 0;
  uint8_t fDrawsParentBehind = 0;
  uint8_t fEnabled = 0;
  uint8_t fFocused = 0;
  uint8_t fClickable = 1;
  uint8_t fClosing = 0;
  int16_t fLookIndex = -2;
  int32_t fResourceId = 0;
  int32_t fCursorId = 0;
  VStr<255>* fTitle = nullptr;
  VFrame* fNextKey = nullptr;
};

// The pop-up menu that PopUpMenu builds: made by the controls layer, which
// installs its maker at start; without one nothing is shown.
class VPopUpMenu {
 public:
  virtual ~VPopUpMenu() = default;
  virtual void SetLook(int16_t look) = 0;
  virtual void SetFlag(int32_t flag) = 0;
  virtual void Track(int32_t screenX, int32_t screenY) = 0;
};
struct VPopUpMenuMaker {
  VPopUpMenu* (*make)(VFrame* frame, VPort* port, int32_t menuId, int16_t item);
};
