// VWindowView: the root view of one native window, made through the Toolbox
// emulation (kinds 1 to 8) or wrapping a window the host made. It answers
// what frames ask up the chain: the window, its drawing port (one lending at
// a time, ended by FlushWindow), marking window areas valid or invalid, and
// the messages: the focus ones go to the window's focus manager, the rest to
// the owner frame or the delegate. Every window view is in the window list.
#pragma once

#include <cstdint>

#include "views/VView.h"
#include "platform/gdi/WinGdiTypes.h"

class VCommandMgr;
class VOffscreenPort;
namespace Tbx {
struct WindowRecord;
}

// Told when it is attached to or detached from a window view, asked for
// commands and for the messages nobody handled.
class VWindowDelegate {
 public:
  virtual ~VWindowDelegate() = default;
  virtual void Attached(VWindowView* view) = 0;
  virtual void Detached(VWindowView* view) = 0;
  virtual VCommand* FindCommand(int32_t commandId) = 0;
  virtual bool HandleMessage(VFrame* sender, int32_t message, intptr_t parameter) = 0;
};

// The window view's own messages.
enum : int32_t {
  kMsgDeactivate = -998,
  kMsgActivate = -997,
  kMsgIsFocused = -995,
  kMsgFrameUnderPointer = -984,
  kMsgDrawGrowBox = -973,
};

class VWindowView : public VView {
 public:
  // Creates a hidden window of `kind` (1 to 8) through the emulation.
  VWindowView(VFrame* owner, uint16_t kind, bool closeBox, bool growBox, bool zoomBox);
  VWindowView(VWindowDelegate* delegate, uint16_t kind, bool closeBox, bool growBox, bool zoomBox);
  // Attaches to a window the host made: the view never moves, sizes or
  // disposes of it.
  VWindowView(VFrame* owner, Tbx::WindowRecord* window);
  // Attaches to a native window (that of an emulation window when it has
  // one).
  explicit VWindowView(HWND nativeWindow);
  ~VWindowView() override;

  HWND GetNativeWindow() const { return fNativeWindow; }
  Tbx::WindowRecord* GetToolboxWindow() const { return fWindow; }
  uint16_t GetWindowKind() const { return fKind; }
  bool IsAttached() const { return fAttached != 0; }
  bool HasCloseBox() const { return fCloseBox != 0; }
  bool HasZoomBox() const { return fZoomBox != 0; }
  bool HasTitleBar() const { return fTitleBar != 0; }
  bool IsZoomed() const { return fZoomed != 0; }
  int16_t GetDefinition() const { return fDefinition; }

  void SetDelegate(VWindowDelegate* delegate);
  virtual void SetFocusManager(VCommandMgr* manager);
  VCommandMgr* GetCommandMgr() const { return fMgr; }
  virtual void Zoom();
  virtual void PointerMoved(VEvent& event);
  VFrame* GetFrameUnderPointer() const { return fUnderPointer; }
  // The end of the message chain.
  bool HandleMessage(VFrame* sender, int32_t message, intptr_t parameter);

  void MoveTo(int32_t x, int32_t y, int16_t mode) override;
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void UpdateOrigin(bool subtractParentScroll) override;
  void DrawContent(VPort&) override {}
  void InvalidateRect(int32_t, int32_t, int32_t, int32_t, int16_t) override {}
  using VFrame::SetTitle;
  void SetTitle(const VString& text) override;
  void SetVisible(bool visible) override;
  bool AskParentState() override;
  int32_t HandleKey(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  VWindowView* GetWindowView() override { return this; }
  void SetEnabled(bool enabled) override;
  void Close() override;
  void DispatchIdle(bool flag) override;
  bool DispatchMouse(VEvent& event) override;
  void DispatchWheel(VEvent& event) override;
  VCommand* FindCommand(int32_t commandId) override;
  // Null while the port is lent out (until FlushWindow) or the window is
  // gone.
  VPort* GetPort() override;
  void FlushWindow() override;
  HWND GetWindowHandle() override;
  bool SecondaryTest() const override { return true; }
  void InvalidateWindowRect(HWND window, const RECT& rect, bool validate) override;
  void GetVisibleRegion(VRegion& region) const override;

  int32_t GetPortUses() const { return fPortUses; }
  // The window's client-area device context, kept for the view's life.
  HDC GetWindowDC();
  void GetPortCorner(int16_t& left, int16_t& top) const {
    left = 0;
    top = 0;
  }
  bool HasGrowBox() const { return fGrowBox != 0; }
  void SetGrowBox(bool on) { fGrowBox = on ? 1 : 0; }
  // The distances between the client area and the window's outer edge.
  void GetFrameInsets(int16_t& left, int16_t& top, int16_t& right, int16_t& bottom) const;
  // Rereads the insets: client edges minus window edges, each side.
  void UpdateFrameInsets();
  // The grow box, 16 pixels square at the view's bottom-right corner, drawn
  // in `port` (null: the window's own port, flushed afterwards) whatever
  // origin the port has; false when the window has no grow box or no port is
  // to be had.
  bool DrawGrowBox(VPort* port);

 private:
  void Create(uint16_t kind, bool closeBox, bool growBox, bool zoomBox);
  void AttachTo(Tbx::WindowRecord* window);
  void Enlist();

  VWindowDelegate* fDelegate = nullptr;
  VFrame* fOwner = nullptr;
  VOffscreenPort* fPort = nullptr;
  int16_t fPortUses = 0;
  uint8_t fCloseBox = 0;
  uint8_t fGrowBox = 0;
  uint8_t fZoomBox = 0;
  uint8_t fTitleBar = 0;
  uint8_t fZoomed = 0;
  uint8_t fClickCheck = 1;
  uint8_t fAttached = 1;
  Tbx::WindowRecord* fWindow = nullptr;
  HWND fNativeWindow = nullptr;
  HDC fWindowDC = nullptr;
  uint16_t fKind = 0;
  int16_t fDefinition = 0;
  int16_t fSaved[4] = {0, 0, 0, 0};  // top, left, bottom, right
  int16_t fInsetLeft = 0;
  int16_t fInsetRight = 0;
  int16_t fInsetTop = 0;
  int16_t fInsetBottom = 0;
  VFrame* fUnderPointer = nullptr;
  int32_t fLastX = 0;
  int32_t fLastY = 0;
  VCommandMgr* fMgr = nullptr;
};

// The window view whose window is `window`; null for none.
VWindowView* FindWindowView(HWND window);
// A host window holds one window view, shared by every frame the module
// puts in it (the areas of a form, the form editor's placeholders): `frame`
// joins the view there is, or a new one attached to the window, as a
// sub-view. Null, and nothing joined, without a window.
VWindowView* JoinHostWindowView(VFrame* frame, Tbx::WindowRecord* window);
// `frame` leaves `view`, the window is marked to be drawn again, and the
// view goes when no frame is left in it: the others of the window go on.
void LeaveHostWindowView(VFrame* frame, VWindowView* view);
// Marks the rectangle or region (null: the whole window) valid or invalid,
// without erasing.
void InvalidateWindowRect(HWND window, const RECT* rect, bool validate);
void InvalidateWindowRgn(HWND window, HRGN region, bool validate);
// Drags the window by its outline while the left button stays down and moves
// it by the distance dragged (not at all when the pointer was let go outside
// the desktop). Unless Control is down, the window takes the focus first.
void DragWindowView(VWindowView* view);
