// xMorvaDocumentArea: what a document asks of the area that shows it (the
// editing area's plug-in object, which sits above the document model): its
// command values, the user's methods, the redraw after a change and the
// handlers of the commands that belong to the area (dialogs, files,
// printing, find, spelling, bars). A document without an area has none.
#pragma once

#include <cstdint>

class VString;
class VStringArray;

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
  // The parameters' view options (rulers, bars, scroll bars, title) again.
  virtual void ApplyViewOptions(bool keepTitle) = 0;
  // The style-sheet menu (menu 1000) of the area, when it has one, rebuilt
  // from these names.
  virtual void SetStyleSheetMenu(const VStringArray& names) {}
};
