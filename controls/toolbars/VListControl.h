// VListControl: the base of the toolbar controls that show one current
// choice in a box with a drop-down arrow and open a pop-up list of choices.
// The base owns the geometry, the drawing of the box, the optional editing
// frame inside it (a combo box), the focus and the modal pop-up: it opens a
// VDropDownWindow beside the control, lets the derived class fill it, and
// runs a nested event loop until the pop-up closes.
#pragma once

#include <cstdint>

#include "controls/controls/VControl.h"
#include "views/VPopUpWindowProcs.h"

class VDropDownWindow;
class VPort;
class VTextEditFrame;

class VListControl : public VControl {
 public:
  explicit VListControl(VFrame* parent);
  // Closes a pop-up that is still open and drops the text frame.
  ~VListControl() override;

  // ---- Frame operations.
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Close() override;
  bool AcceptsScrapType(uint32_t type) override;
  int32_t UpdateEditCommands() override;
  // Deactivating the window closes the pop-up.
  virtual void OnActivate(bool active);

  // ---- Own operations.
  virtual bool HasChoices() { return false; }
  virtual bool IsEditable() { return fEditable != 0; }
  virtual int32_t GetPopUpHeight(int32_t available);
  virtual int32_t GetPopUpWidth() { return GetWidth() - 4; }
  virtual void DrawCurrent(VPort&, const int32_t*) {}
  // (x, y, width, height) in the control.
  virtual void GetArrowRect(int32_t* rect);
  virtual void GetTextRect(int32_t* rect);
  // The modal pop-up: returns when it is closed.
  virtual void TrackPopUp(VEvent& event);
  virtual void BuildPopUp(VDropDownWindow& window) = 0;
  virtual void PopUpClosed() = 0;
  virtual void OpenList(VEvent& event) = 0;
  virtual VTextEditFrame* CreateTextFrame() = 0;
  virtual void RefreshPopUp() = 0;

  bool IsOpen() const { return fOpen != 0; }
  bool IsCancelled() const { return fCancelled != 0; }
  VDropDownWindow* GetPopUp() const { return fPopUp; }
  VTextEditFrame* GetTextFrame() const { return fTextFrame; }
  void SetFramed(bool framed) { fFramed = framed ? 1 : 0; }
  // Where the last pop-up stood, in the main window's client coordinates.
  void GetLastPopUpRect(int32_t* rect) const;

 protected:
  // Closes the pop-up's loop; `cancel` keeps the old choice.
  void ClosePopUp(bool cancel) {
    fOpen = 0;
    if (cancel) fCancelled = 1;
  }
  void DropTextFrame();

  VPort* fTrackPort = nullptr;
  VDropDownWindow* fPopUp = nullptr;
  VTextEditFrame* fTextFrame = nullptr;
  uint8_t fEditable = 0;
  uint8_t fOpen = 0;
  uint8_t fCancelled = 0;
  uint8_t fCommitting = 0;
  uint8_t fFramed = 1;

 private:
  // Keys of the pop-up window reach the control as framework key events.
  class KeyRelay : public VPopUpKeyTarget {
   public:
    explicit KeyRelay(VListControl& list) : fList(list) {}
    void HandleKey(VShortcut& key) override;

   private:
    VListControl& fList;
  };
  void RunPopUpLoop(HWND mainWindow, bool pressedArrow, const int32_t* arrow);
  void DeletePopUp();

  KeyRelay fKeys{*this};
  int32_t fLastPopUp[4] = {0, 0, 0, 0};
};
