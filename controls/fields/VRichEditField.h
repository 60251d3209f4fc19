// VRichEditField: the multi-line styled text field on a rich-edit control, a
// "RichEdit20A" child window over the frame whose procedure the field
// subclasses. Each text operation becomes one or a few of the control's
// messages. The styled text goes to and from framework streams as the
// control's RTF or as the field's own record of characters and attribute
// changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/fields/VTextFieldBase.h"
#include "platform/richedit/RichEdit.h"

class VStream;
class VStringArray;

// The field's own styled-text record, as read: the face names, then runs
// of characters, each with the attributes in force when it began.
struct VRichRecordRun {
  std::string text;  // Windows ANSI
  bool bold = false;
  bool italic = false;
  uint8_t underline = 0;
  std::string face;
  int32_t sizePixels = 0;
  uint32_t color = 0;
};
struct VRichRecord {
  std::vector<std::string> faces;
  std::vector<VRichRecordRun> runs;
};
// Reads the record at the stream's position (the stream open for reading).
// False, nothing read, when its lead byte is not 0 or its header or face
// table is damaged; the runs stop at the record's end, the stream's end or
// its first error. A face index past the table takes `defaultFace`; a run
// holds at most 32,767 characters (a longer one continues in the next).
bool ReadRichRecord(VStream& stream, const std::string& defaultFace, int32_t defaultSize, VRichRecord& out);

class VRichEditField : public VTextFieldBase {
 public:
  VRichEditField(VFrame* owner, bool verticalBar, bool horizontalBar);
  ~VRichEditField() override;

  // Frame.
  void DrawContent(VPort& port) override;
  void SetVisible(bool visible) override;
  bool MouseDown(VEvent& event) override;
  // Shows the selection's attributes in the context menu 540 and pops it
  // up where the click was.
  virtual bool ContextClick(VEvent& event);
  int32_t HandleKey(VEvent& event) override;
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Activate(bool active) override;
  bool CanUndo() override;

  // Text field.
  bool SetText(const void* text, int32_t length, bool replaceAll) override;
  VMemHandle GetTextHandle(bool all) override;
  void GetString(VString& out, bool all) override;
  VMemHandle GetTextData(bool) override { return 0; }
  bool SetTextData(const void*, int32_t, bool) override { return true; }
  void Clear(bool all) override;
  int32_t GetTextLength(bool all) override;
  void SetAlignment(int32_t index) override;
  void SetFontNumber(int32_t fontNumber) override;
  void SetFontSize(int16_t size) override;
  void SetBold(bool on) override { SetEffect(CFM_BOLD, on); }
  void SetItalic(bool on) override { SetEffect(CFM_ITALIC, on); }
  void SetUnderline(bool on) override;
  void SetOutline(bool on) override { SetEffect(CFM_OUTLINE, on); }
  void SetShadow(bool on) override { SetEffect(CFM_SHADOW, on); }
  void SetCondense(bool) override {}
  void SetExtend(bool) override {}
  void SetPlain() override;
  void SetBackColor(uint32_t) override {}
  void SetTextColor(uint32_t color) override;
  bool GetFontName(VString& out) override;
  bool GetStyle(uint8_t& face) override;
  bool GetFontSize(int16_t& size) override;
  bool GetColor(uint32_t& color) override;
  void SetSelection(int32_t start, int32_t end) override;
  void GetSelection(int32_t& start, int32_t& end) override;
  void ShowSelection() override;
  int32_t FindText(int32_t from, const VString& what, bool select) override;
  bool ReplaceText(int32_t start, int32_t count, const VString& text) override;
  void EnableUndo() override {}
  void DisableUndo() override {}
  bool IsUndoEnabled() override { return false; }
  void EmptyUndo() override;
  void Redo() override;
  void Undo() override;
  bool SetStyles(const void* scrap, int32_t length, bool replaceAll) override;
  VMemHandle GetStyleData(bool all) override;

  // The field's own additions.
  virtual bool ReadStyledText(VStream& stream, int32_t reserved, bool rtf);
  virtual bool WriteStyledText(VStream& stream, int32_t reserved, bool rtf);
  // Adds the face name of every character to `names`, each once.
  virtual void CollectFontNames(VStringArray& names);
  // The face's index in the font table, appended when absent.
  virtual int32_t FontIndex(const VString& name);
  virtual void SubclassWindow();

  HWND GetControlWindow() const { return fWindow; }

 private:
  static LRESULT RichEditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
  void SetCharFormat(const CHARFORMAT2A& format);
  void SetEffect(DWORD bit, bool on);
  CHARFORMAT2A SelectionFormat();

  WNDPROC fPrevious = nullptr;
  HWND fWindow = nullptr;
  HWND fParentWindow = nullptr;
  std::unique_ptr<VStringArray> fFonts;
};
