// xMorvaDocumentArea: what a document asks of the area that shows it (the
// editing area's plug-in object, which sits above the document model): its
// command values, the user's methods, the redraw after a change and the
// handlers of the commands that belong to the area (dialogs, files,
// printing, find, spelling, bars). A document without an area has none.
#pragma once

#include <cstdint>

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

  // ---- The user's methods: true when the method consumed the command.
  virtual bool CallCommandMethod(int32_t command) = 0;
  virtual bool CallAreaCallback(int32_t command) = 0;
  // The user's method for an event of the document (kind, value).
  virtual void CallEventCallback(int16_t kind, int32_t value) {}

  // ---- Commands whose handling is the area's. RunCommand runs the
  // handler of a dialog, file, print, find, spelling or bar command.
  virtual void RunCommand(int32_t command) = 0;
  // A dialog that answers a value (interline, bullet character, colour),
  // started with `current`: true with `value` when the user accepted.
  virtual bool AskValue(int32_t command, int32_t current, int32_t& value) = 0;
  // Whether the area agrees to close its document (new document).
  virtual bool CanClose(uint8_t flag) = 0;
  // The current time (or today's date) as text for insertion.
  virtual void GetDateTimeText(bool time, VString& text) {}
  // The host command that runs on the area left with work still pending:
  // the area leaves host-command mode and takes an idle event. False when
  // no work is pending.
  virtual bool FinishHostCommand() { return false; }

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
  // The speller lets go of its engine before the view changes.
  virtual void UnloadSpeller() {}
  // Each frame's container: the horizontal ruler and its corner get `show`,
  // the vertical ruler `pageRuler`; with `relayoutContainers` each
  // container lays itself out again.
  virtual void ShowRulerElements(bool show, bool pageRuler, bool relayoutContainers) {}
  // Each frame's container shows or hides that scroll bar.
  virtual void ShowScrollBars(bool horizontal, bool show) {}
  // The two further elements of each frame's container: 0 and 1.
  virtual void ShowPaneElement(int16_t element, bool show) {}
  // The area's bar switch, given the document's locked flag.
  virtual void ShowBars(bool locked) {}
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
