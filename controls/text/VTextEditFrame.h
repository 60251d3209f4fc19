// VTextEditFrame: a one-line text entry drawn inside a control. It owns a
// TextEdit record and forwards drawing, clicks, keys, focus, the caret and
// the edit commands to it; an entry filter may take over keys, clicks and
// the value's transfer. Every frame draws through one shared offscreen
// world, so typing does not flicker.
#pragma once

#include <cstdint>

#include "framework/core/filters/VEntryField.h"
#include "platform/toolbox/TbxTextEdit.h"
#include "views/VFrame.h"

class VEntryFilter;

// Key answers: 0 handled, 1 not handled (the owner passes the key on), and
// from a filter with a mask, no editable position to the right or left.
constexpr int32_t kKeyHandled = 0;
constexpr int32_t kKeyNoPositionRight = 2;
constexpr int32_t kKeyNoPositionLeft = 3;

// Edit messages the frame takes through NotifyParent, and their mask bits
// (bit message - 1) in UpdateEditCommands.
constexpr int32_t kEditRevert = 1;
constexpr int32_t kEditCut = 3;
constexpr int32_t kEditCopy = 4;
constexpr int32_t kEditPaste = 5;
constexpr int32_t kEditClear = 6;
constexpr int32_t kEditSelectAll = 7;

// Modifier flags of a key event as the frame reads them.
constexpr uint8_t kKeyFlagCommand = 0x01;
constexpr uint8_t kKeyFlagExtend = 0x10;

class VTextEditFrame : public VFrame, public VEntryField {
 public:
  // `rect` is (x, y, width, height) in the parent; null makes a 5 x 5 frame.
  VTextEditFrame(VFrame* parent, const int32_t* rect);
  // Deletes an owned filter and the record.
  ~VTextEditFrame() override;

  // ---- Frame operations.
  void MoveTo(int32_t x, int32_t y, int16_t mode) override;
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  void InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height, int16_t mode) override;
  bool MouseDown(VEvent& event) override;
  int32_t HandleKey(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Activate(bool active) override;
  void Idle(bool flag) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  bool AcceptsScrapType(uint32_t type) override;
  int32_t UpdateEditCommands() override;

  // ---- The text.
  // Replaces the whole text (null empties it); at most 32,767 characters
  // are kept, the most TextEdit's 16-bit lengths hold.
  void SetText(const VString* text);
  void SetText(const VString& text) override { SetText(&text); }
  void GetText(VString& text) const override;
  // Through the filter when there is one.
  void SetValueText(const VString& text);
  void GetValueText(VString& text);
  void GetSelection(int32_t& start, int32_t& end) const;
  int32_t GetSelStart() const;
  int32_t GetTextLength() const;
  // Only while the frame is shown and focused.
  void SetSelection(int32_t start, int32_t end) override;
  void SelectAll();
  // 0 left, 1 centre, 2 right.
  void SetAlignment(int16_t alignment);
  bool IsChanged() const { return fChanged != 0; }
  void SetChanged(bool changed) { fChanged = changed ? 1 : 0; }
  void SetAcceptsReturn(bool on) { fAcceptsReturn = on ? 1 : 0; }
  // Deletes the old filter when it was owned.
  void SetFilter(VEntryFilter* filter, bool owns);
  VEntryFilter* GetFilter() const { return fFilter; }

  // ---- Key and click handling without the filter (a filter calls them
  // for what it lets through).
  int32_t HandleKeyPlain(VEvent& event);
  bool ClickPlain(VEvent& event);
  // The plain handling of one key given by its parts: the framework key
  // code, the modifier flags and the character typed.
  int32_t HandleKeyParts(int16_t keyCode, uint8_t modifiers, char16_t character);

  Tbx::TEHandle GetRecord() const { return fRecord; }
  // The shared offscreen world (null until a frame first draws), and its
  // disposal at shut-down.
  static Tbx::GWorldPtr GetSharedWorld();
  static void DisposeSharedWorld();

 private:
  // Moves the record's rectangles by (dx, dy).
  void OffsetRects(int32_t dx, int32_t dy);
  bool CanEdit() const { return IsShown() && IsFocused(); }
  Tbx::GrafPtr WindowPort();

  Tbx::TEHandle fRecord = 0;
  uint8_t fChanged = 0;
  uint8_t fExtendAtStart = 0;
  uint8_t fAcceptsReturn = 0;
  uint8_t fOwnsFilter = 0;
  VEntryFilter* fFilter = nullptr;
};

// The key event's parts as the frame reads them.
int16_t KeyCodeOfEvent(const VEvent& event);
uint8_t KeyFlagsOfEvent(const VEvent& event);
// The character as a Macintosh byte (0 when it has none).
char16_t MacCharOfEvent(const VEvent& event);

// The filter's drive of a frame: each key and each click.
int32_t FilterHandleKey(VEntryFilter& filter, VEvent& event, VTextEditFrame& frame);
bool FilterClick(VEntryFilter& filter, VEvent& event, VTextEditFrame& frame);
// The placeholder a masked filter types for a deleted character.
constexpr char16_t kFilterPlaceholder = u'_';
