// xMorvaKeyboard: one key press in a text area turned into editing of the
// area's document: caret moves by character, word, line, paragraph, line
// end, text end and page, with Shift extending the selection from its
// fixed end; deletion backwards and forwards; Tab, Return and Enter;
// typing; style-sheet shortcuts; nudging and sizing a picture placed on a
// page. Every key is first offered to the user's key method, which may
// consume it.
#pragma once

#include <cstdint>

class VShortcut;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaPicturesInPage;
class xMorvaPlugIn;

class xMorvaKeyboard {
 public:
  xMorvaKeyboard(xMorvaPlugIn& area, xMorvaDocument& document);

  // 0 when the key was handled (or consumed by the user's method), 1 when
  // it was not and may go on to the area's shortcuts.
  int32_t HandleKey(const VShortcut& key);

  // The Macintosh control character a special key is offered to the key
  // method with; 0 for a key that is not one of them.
  static char16_t OfferedCode(int16_t keyCode);

  // The screen line of the current part that holds `position`: its first
  // position and the first position of the line after it (the text's
  // length for its last line). Lines own their first position, so a
  // position at a line's start lies on that line. False, both 0, for a
  // position outside the text or a document without lines.
  static bool GetCaretLineBounds(xMorvaDocument& document, int32_t position, int32_t& lineStart,
                                 int32_t& lineEnd);

 private:
  bool IsEditable() const;
  xMorvaPicturesInPage* SelectedPagePicture() const;
  // Style sheets whose shortcut is the character: applied, true.
  bool ApplyStyleSheetShortcuts(char16_t character);
  // The key of a framework key code: 0 handled, 1 not handled.
  int32_t Dispatch(const VShortcut& key, bool& typed);

  void Select(int32_t start, int32_t end);
  void PutCaret(int32_t position);
  void Show();
  void Commit();
  // The word start found from `from`: the start of its word, or of the
  // word before when `from` already starts one.
  int32_t WordStartFrom(int32_t from);
  // The word end found from `from`, one further when it is `from` itself.
  int32_t WordEndFrom(int32_t from);

  int32_t KeyTab(const VShortcut& key);
  int32_t KeyReturn(const VShortcut& key);
  int32_t KeyEnter(const VShortcut& key);
  void KeyHome(const VShortcut& key);
  void KeyEnd(const VShortcut& key);
  int32_t KeyPage(const VShortcut& key);
  void KeyPicture(int16_t keyCode, const VShortcut& key, xMorvaPicturesInPage& pictures);
  void KeyLeft(const VShortcut& key);
  void KeyRight(const VShortcut& key);
  void KeyUpDown(bool up, const VShortcut& key);
  void KeyBackspace(const VShortcut& key);
  void KeyDelete(const VShortcut& key);
  // Deletes [from, to) of the current part as one change.
  void DeleteRange(int32_t from, int32_t to);
  void DeletePagePicture();

  xMorvaPlugIn& fArea;
  xMorvaDocument& fDocument;
  xMorvaEngine* fText = nullptr;
};
