// xMorvaDocumentArea: what a document asks of the area that shows it (the
// editing area's plug-in object, which sits above the document model): its
// command values, the user's methods, the redraw after a change and the
// handlers of the commands that belong to the area (dialogs, files,
// printing, find, spelling, bars). A document without an area has none.
#pragma once

#include <cstdint>

class VPoint;
class VRect;
class VPictureData;
class VStreamProgress;
class VString;
class VStringArray;
class xMorvaDocParams;

class xMorvaDocumentArea {
 public:
  virtual ~xMorvaDocumentArea() = default;

  // False for an area without a host window (an offscreen area).
  virtual bool HasHostWindow() const = 0;

  // ---- Command values (menu items, toolbar controls).
  virtual int32_t GetCommandLong(int32_t command) = 0;
  // `notify` is the notification kind handed on to the command's users.
  virtual void SetCommandLong(int32_t command, int32_t value, int16_t notify) = 0;
  // A command's string value (the font menu's chosen name).
  virtual void GetCommandString(int32_t command, VString& value) {}
  // The 1-based place of the command's value in the command's choice list;
  // 0 when it has no list or the value is not in it.
  virtual int32_t GetCommandChoice(int32_t command) { return 0; }

  // ---- The user's methods: true when the method consumed the command.
  virtual bool CallCommandMethod(int32_t command) = 0;
  virtual bool CallAreaCallback(int32_t command) = 0;
  // The user's method for an event of the document (kind, value): true
  // when it consumed the event.
  virtual bool CallEventCallback(int16_t kind, int32_t value) { return false; }

  // ---- Commands whose handling is the area's. RunCommand runs the
  // handler of a dialog, file, print, find, spelling or bar command: 0, or
  // the code of a command that did not do its work (a save that wrote
  // nothing: cancelled, or the write failed).
  virtual int32_t RunCommand(int32_t command) = 0;
  // A dialog that answers a value (interline, bullet character, colour),
  // started with `current`: true with `value` when the user accepted.
  virtual bool AskValue(int32_t command, int32_t current, int32_t& value) = 0;
  // The tab stops dialog (command 753) with the stop at `position` (pixels
  // in the text) selected; -1 selects none.
  virtual void RunTabulationsDialog(int32_t position) { RunCommand(753); }
  // A progress gauge for a long operation of `total` steps on the area's
  // status bar, with item `messageIndex` of the 'STR#' list at resource
  // base + `listOffset`, shown only when the operation lasts; null when the
  // area has no visible status bar or holds back its display for the host
  // command that drives it. The caller deletes it.
  virtual VStreamProgress* NewProgressGauge(int16_t listOffset, int16_t messageIndex,
                                            uint32_t total) {
    return nullptr;
  }
  // Whether the area agrees to close its document (new document).
  virtual bool CanClose(uint8_t flag) = 0;
  // Document command 20 run by the host language: when the area has its
  // own window to open or close, it takes the document out of host-command
  // mode, makes the switch and takes an idle event (which runs the window);
  // otherwise nothing changes.
  virtual void FinishHostCommand() = 0;

  // ---- Pictures on pages.
  // Where a picture pasted from the clipboard goes, as the paste picture
  // dialog answers: -1 cancelled, 0 on a page, 1 in the text.
  virtual int16_t AskPastePicturePlacement() = 0;
  // Adds the picture (taken) to the pictures on the pages, placed as the
  // last accepted paste picture dialog chose, and selects it: false when it
  // could not be added (the picture is then deleted).
  virtual bool AddPagePicture(VPictureData* picture) = 0;

  // ---- Redraw.
  virtual void SetContentSize(int32_t width, int32_t height) = 0;
  virtual void DrawSelection() = 0;
  virtual void UpdateCaret(bool scroll) = 0;
  virtual void ShowSelection(bool scroll) = 0;
  virtual void UpdateBarState() = 0;
  virtual void UpdateCommands(int16_t reason) = 0;
  // The last step of the document's ApplyViewOptions: the area lays itself
  // out again and, unless `keepTitle`, sets its title.
  virtual void ApplyViewOptions(bool keepTitle) = 0;

  // ---- What the host language reads and sets of the area itself (the
  // bars: ShowBar and IsBarShown below).
  // Area option 49, a flag the area keeps.
  virtual uint8_t GetOptionFlag() = 0;
  virtual void SetOptionFlag(uint8_t value) = 0;
  // The speller loaded for the document's language goes.
  virtual void UnloadWinSpeller() {}
  virtual void SetMinimumSize(int32_t width, int32_t height) {}
  // The window title again (the document's name changed).
  virtual void UpdateTitle() {}
  // The host's outcome variable (the host language's "OK") to 1 or 0.
  virtual void SetHostOutcome(bool outcome) {}

  // ---- Pictures: those placed on pages are the area's; the drags and
  // dialogs are run by the area.
  virtual bool IsPagePictureSelected() { return false; }
  // The area's lock flag: nothing may be changed by the mouse.
  virtual bool IsLocked() { return false; }
  // Tracks the resize of the selected picture from `point` (frame
  // coordinates), keeping the width-to-height `ratio`; each mode says what
  // the drag moves: 0 nothing, 1 the left (2 the top) edge, 3 the right
  // (4 the bottom) edge. True with the new box when it changed.
  virtual bool TrackPictureResize(double ratio, const VPoint& point, int16_t horizontalMode,
                                  int16_t verticalMode, VRect& box) {
    return false;
  }
  // Tracks the move of the selected page picture: true with its new origin.
  virtual bool TrackPagePictureMove(const VPoint& point, VPoint& origin) { return false; }
  virtual void SetPagePictureBox(const VRect& box) {}
  virtual void SetPagePictureOrigin(const VPoint& origin) {}
  // The edit dialog of the selected page picture: true when it changed it.
  virtual bool EditPagePicture() { return false; }
  // The picture dialog of the selected picture in the text (with the host
  // expression it comes from): true when the user confirmed.
  virtual bool EditTextPicture() { return false; }
  // Applies what the confirmed dialog left: the new expression in place of
  // the expression element, or the new settings to the picture. The
  // document runs it within a change.
  virtual void ApplyTextPictureEdit() {}
  // The style-sheet menu (menu 1000) of the area, when it has one, rebuilt
  // from these names.
  virtual void SetStyleSheetMenu(const VStringArray& names) {}

  // ---- Display: rulers, scroll bars and bars around the frames. While the
  // area suppresses its caret and bars, nothing may be shown (hiding always
  // works); the document keeps to that.
  virtual bool IsDisplaySuppressed() const { return false; }
  // The area lays itself out again.
  virtual void Relayout() {}
  // Every frame scrolls to its origin.
  virtual void ScrollFramesToOrigin() {}
  // Each frame's container: the horizontal ruler and its corner get `show`,
  // the vertical ruler `pageRuler`; with `relayoutContainers` each
  // container lays itself out again.
  virtual void ShowRulerElements(bool show, bool pageRuler, bool relayoutContainers) {}
  // Each frame's container shows or hides that scroll bar.
  virtual void ShowScrollBars(bool horizontal, bool show) = 0;
  // The two further elements of each frame's container: 0 the split box
  // beside the horizontal scroll bar, 1 the one above the vertical bar.
  virtual void ShowPaneElement(int16_t element, bool show) = 0;
  // The area's bar switch, given the document's locked flag: a locked
  // document's area hides its rulers and bars; an unlocked one shows its
  // rulers again when the document shows rulers.
  virtual void ShowBars(bool locked) = 0;
  // Bars: kBarTool, kBarDock ('XDOK'), or bar n (0 to 3, resource base +
  // 2 + n). False, nothing done, for a bar the area lacks.
  static constexpr int16_t kBarTool = -2;
  static constexpr int16_t kBarDock = -1;
  virtual bool ShowBar(int16_t bar, bool show) { return false; }
  // Whether the bar is displayed.
  virtual bool IsBarShown(int16_t bar) const { return false; }
  // The area's size state; in state 4 the docked bar stays as it is.
  virtual int16_t GetSizeState() const { return 0; }
  // The rulers of each frame compare the area's copies of the page and the
  // header and footer settings with these parameters, redraw where they
  // differ (the vertical ruler only in page view), and take the copies.
  virtual void RefreshRulers(const xMorvaDocParams& params, bool pageView) {}
};
