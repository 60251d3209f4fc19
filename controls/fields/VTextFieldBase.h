// VTextFieldBase: the abstract base of the multi-line styled text fields, a
// scrolling container showing one editable text. The editor behind it (a
// TextEdit record or a rich-edit window) supplies the pure operations; the
// base builds on them: styled text from resources, text from framework
// strings, the default font, colour shortcuts, the selection stack and the
// context menu's commands.
#pragma once

#include <cstdint>

#include "framework/core/memory/VHandleArray.h"
#include "views/VScrollContainer.h"

class VResourceFile;
class VString;
class VValue;

// Face bits of the Macintosh styles.
enum : uint8_t {
  kFaceBold = 1,
  kFaceItalic = 2,
  kFaceUnderline = 4,
  kFaceOutline = 8,
  kFaceShadow = 16,
  kFaceCondense = 32,
  kFaceExtend = 64,
};

// The context menu's commands that show the selection's attributes.
enum : int32_t {
  kCmdFieldFontName = 541,
  kCmdFieldFontSize = 542,  // the size + 600
  kCmdFieldColor = 544,
  kCmdFieldBold = 545,
  kCmdFieldItalic = 546,
  kCmdFieldUnderline = 547,
};

// An end past every text: fields clamp it to their length.
constexpr int32_t kFieldTextEnd = 0x7FFFFFFF;

class VTextFieldBase : public VScrollContainer {
 public:
  VTextFieldBase(VFrame* parent, bool verticalBar, bool horizontalBar);
  ~VTextFieldBase() override;

  virtual bool IsModified() { return fModified != 0; }
  virtual void SetModified(bool modified) { fModified = modified ? 1 : 0; }
  virtual bool GetOptionA() { return fOptionA != 0; }
  virtual void SetOptionA(bool on) { fOptionA = on ? 1 : 0; }
  virtual bool GetOptionB() { return fOptionB != 0; }
  virtual void SetOptionB(bool on) { fOptionB = on ? 1 : 0; }
  // Replaces the whole text (replaceAll) or the selection with 8-bit
  // Macintosh text.
  virtual bool SetText(const void* text, int32_t length, bool replaceAll);
  // Styled text from a resource: 'TEXT', 'styl' (with the 'TEXT' of the same
  // id), or any type with "HE" as one half. The field is emptied and false
  // answered when nothing could be loaded.
  virtual bool LoadTextResource(VResourceFile& file, uint32_t type, int16_t id, bool replaceAll);
  virtual bool SetTextReserved1(intptr_t, intptr_t) { return false; }
  virtual bool SetString(const VString& text, bool replaceAll);
  virtual bool SetValue(const VString& value, bool replaceAll) { return SetString(value, replaceAll); }
  // A new memory-manager handle of the selection (or the whole text), which
  // the caller disposes; 0 here.
  virtual VMemHandle GetTextHandle(bool) { return 0; }
  virtual void GetTextReserved1(intptr_t, intptr_t) {}
  virtual void GetString(VString& out, bool all);
  virtual bool GetTextReserved2(intptr_t, intptr_t, intptr_t) { return false; }
  virtual VMemHandle GetTextData(bool) { return 0; }
  virtual bool SetTextData(const void*, int32_t, bool) { return false; }
  virtual void Clear(bool all) = 0;
  virtual int32_t GetTextLength(bool all) = 0;
  // 0 left, 1 centre, 2 right, 3 justified.
  virtual void SetAlignment(int32_t index) = 0;
  virtual void SetFontNumber(int32_t fontNumber) = 0;
  virtual void SetFontSize(int16_t size) = 0;
  virtual void SetBold(bool on) = 0;
  virtual void SetItalic(bool on) = 0;
  virtual void SetUnderline(bool on) = 0;
  virtual void SetOutline(bool on) = 0;
  virtual void SetShadow(bool on) = 0;
  virtual void SetCondense(bool on) = 0;
  virtual void SetExtend(bool on) = 0;
  virtual void SetPlain() = 0;
  virtual void SetBackColorRGB(uint8_t red, uint8_t green, uint8_t blue);
  virtual void SetBackColor(uint32_t color) = 0;
  virtual void SetTextColorRGB(uint8_t red, uint8_t green, uint8_t blue);
  virtual void SetTextColor(uint32_t color) = 0;
  // The look's font of that kind, or "MS Sans Serif" at 8 when it has none.
  virtual void SetDefaultFont(int32_t kind);
  virtual void SetFontName(const VString& name);
  virtual void SetBackColorIndex(int32_t index);
  virtual void SetTextColorIndex(int32_t index);
  // Writes the selection's attributes into commands 541 to 547.
  virtual void UpdateContextCommands();
  virtual bool GetFontName(VString& out) = 0;
  virtual bool GetStyle(uint8_t& face) = 0;
  virtual bool GetFontSize(int16_t& size) = 0;
  virtual bool GetColor(uint32_t& color) = 0;
  virtual void SetSelection(int32_t start, int32_t end) = 0;
  virtual void GetSelection(int32_t& start, int32_t& end) = 0;
  virtual void ShowSelection() = 0;
  virtual void SelectAll() { SetSelection(0, kFieldTextEnd); }
  virtual void CollapseSelection(bool toEnd);
  virtual void PushSelection();
  virtual void PopSelection();
  // The offset of the first occurrence at or after `from`, -1 when none.
  virtual int32_t FindText(int32_t from, const VString& what, bool select) = 0;
  // Replaces `count` characters at `start` (start -1: the selection; count
  // -1: the new text's length).
  virtual bool ReplaceText(int32_t start, int32_t count, const VString& text) = 0;
  virtual void EnableUndo() = 0;
  virtual void DisableUndo() = 0;
  virtual bool IsUndoEnabled() = 0;
  virtual void EmptyUndo() = 0;
  virtual void Redo() = 0;
  virtual void Undo() = 0;
  // A TextEdit style scrap applied to the text.
  virtual bool SetStyles(const void*, int32_t, bool) { return false; }
  virtual VMemHandle GetStyleData(bool) { return 0; }
  virtual bool CanUndo() = 0;

 private:
  bool LoadStyledText(VResourceFile& file, int16_t id, bool withStyles, bool replaceAll);
  bool LoadHeText(VResourceFile& file, uint32_t type, int16_t id, bool replaceAll);

  VLongStack fSelectionStarts;
  VLongStack fSelectionEnds;
  uint8_t fModified = 0;
  uint8_t fOptionA = 1;
  uint8_t fOptionB = 1;
};
