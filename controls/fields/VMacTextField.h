// VMacTextField: the multi-line styled text field on a TextEdit record. The
// field is the scroll container; its content view VMacTextView owns the
// record, draws it through the cached offscreen world, takes keys, clicks
// and the edit commands, and keeps one level of undo (a second undo
// redoes). Texts hold at most 32,700 characters.
#pragma once

#include <cstdint>

#include "controls/fields/VTextFieldBase.h"
#include "platform/toolbox/TbxTextEdit.h"
#include "views/VScrolledView.h"

class VMacTextField;

// The most characters a field holds.
constexpr int32_t kMacTextFieldMax = 32700;

class VMacTextView : public VScrolledView {
 public:
  explicit VMacTextView(VMacTextField* field);
  ~VMacTextView() override;

  void MoveTo(int32_t x, int32_t y, int16_t mode) override;
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  int32_t HandleKey(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Activate(bool active) override;
  void Idle(bool flag) override;
  bool AcceptsScrapType(uint32_t type) override;
  int32_t UpdateEditCommands() override;
  int32_t GetVerticalLineStep(bool backwards) override;
  void ScrollTo(int32_t x, int32_t y, bool notify, int32_t parameter) override;
  void SetContentSize(int32_t width, int32_t height, bool notify, int32_t parameter) override;

  bool CanUndo() const;
  void SetBackColor(uint32_t color);
  void ShowSelection();
  // Brackets a change for undo: the outermost call keeps the state before
  // it (the whole text and its styles, or the selection's styles alone).
  bool BeginChange(bool styleOnly);
  void EndChange(bool commit);
  void ForgetUndo();
  void UndoRedo();
  int32_t GetTextLength(bool all) const;
  int32_t LengthWithoutSelection() const;
  void AdjustContentSize(bool flag);
  void SetUndoEnabled(bool on) { fUndoEnabled = on ? 1 : 0; }
  bool IsUndoEnabled() const { return fUndoEnabled != 0; }
  // Runs an edit command (1 and 2 undo, 3 cut, 4 copy, 5 paste, 6 clear,
  // 7 select all).
  void EditCommand(int32_t code);
  Tbx::TEHandle GetRecord() const { return fRecord; }

 private:
  // Scrolls the clicked view while the mouse is dragged outside it.
  static bool ClickLoop(Tbx::TERec* record);
  void PlaceRects();
  void DeleteForward();
  bool TypeCharacter(char16_t character, int16_t keyCode);
  Tbx::Handle WholeTextStyles();
  Tbx::Handle SelectionStyles();

  VMacTextField* fField;
  Tbx::TEHandle fRecord = 0;
  int16_t fPendingDx = 0;
  int16_t fPendingDy = 0;
  uint8_t fExtendFromStart = 0;
  uint8_t fExtendDownward = 0;
  Tbx::RGBColor fBack{0xFFFF, 0xFFFF, 0xFFFF};
  int16_t fSavedSelStart = 0;
  int16_t fSavedSelEnd = 0;
  uint8_t fStyleOnly = 0;
  uint8_t fUndoEnabled = 1;
  uint8_t fRedone = 0;
  int32_t fDepth = 0;
  Tbx::Handle fUndoText = 0;
  Tbx::Handle fUndoStyles = 0;
  Tbx::Handle fPendingText = 0;
  Tbx::Handle fPendingStyles = 0;
  int32_t fPendingSel[2] = {0, 0};
  int32_t fUndoSel[2] = {0, 0};
};

class VMacTextField : public VTextFieldBase {
 public:
  VMacTextField(VFrame* parent, bool verticalBar, bool horizontalBar);
  ~VMacTextField() override;

  bool SetText(const void* text, int32_t length, bool replaceAll) override;
  VMemHandle GetTextHandle(bool all) override;
  VMemHandle GetTextData(bool all) override { return GetTextHandle(all); }
  bool SetTextData(const void* text, int32_t length, bool replaceAll) override {
    return SetText(text, length, replaceAll);
  }
  void Clear(bool all) override;
  int32_t GetTextLength(bool all) override;
  void SetAlignment(int32_t index) override;
  void SetFontNumber(int32_t fontNumber) override;
  void SetFontSize(int16_t size) override;
  void SetBold(bool) override { SetFaceModified(1); }
  void SetItalic(bool) override { SetFaceModified(2); }
  void SetUnderline(bool) override { SetFaceModified(4); }
  void SetOutline(bool) override { SetFaceModified(8); }
  void SetShadow(bool) override { SetFaceModified(16); }
  void SetCondense(bool) override { SetFaceModified(32); }
  void SetExtend(bool) override { SetFaceModified(64); }
  void SetPlain() override;
  void SetBackColor(uint32_t color) override;
  void SetTextColor(uint32_t color) override;
  void SetDefaultFont(int32_t kind) override;
  bool GetFontName(VString& out) override;
  bool GetStyle(uint8_t& face) override;
  bool GetFontSize(int16_t& size) override;
  bool GetColor(uint32_t& color) override;
  void SetSelection(int32_t start, int32_t end) override;
  void GetSelection(int32_t& start, int32_t& end) override;
  void ShowSelection() override { fView->ShowSelection(); }
  int32_t FindText(int32_t from, const VString& what, bool select) override;
  bool ReplaceText(int32_t start, int32_t count, const VString& text) override;
  void EnableUndo() override { fView->SetUndoEnabled(true); }
  void DisableUndo() override { fView->SetUndoEnabled(false); }
  bool IsUndoEnabled() override { return fView->IsUndoEnabled(); }
  void EmptyUndo() override { fView->ForgetUndo(); }
  void Redo() override { Undo(); }
  void Undo() override;
  bool SetStyles(const void* scrap, int32_t length, bool replaceAll) override;
  VMemHandle GetStyleData(bool all) override;
  bool CanUndo() override { return fView->CanUndo(); }

  // The field's own additions.
  virtual bool GetFontNumber(int32_t& fontNumber);
  // Toggles a face bit over the selection.
  virtual void SetFace(uint8_t bit);

  VMacTextView* GetView() const { return fView; }

 private:
  void SetFaceModified(uint8_t bit);
  void Redraw();

  VMacTextView* fView = nullptr;
};

// A new TextEdit field in `parent`.
VMacTextField* NewMacTextField(VFrame* parent, bool verticalBar, bool horizontalBar);
