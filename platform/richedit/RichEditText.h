// What a rich-edit window holds: Windows ANSI text whose paragraphs end
// with '\r', a format for each character and an alignment for each
// paragraph, the selection, the format new text takes, and one undo level.
// The window procedure (RichEditLibrary.cpp) answers the messages through
// it; it knows nothing of windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Export.h"
#include "platform/richedit/RichEdit.h"

struct RichFormat {
  DWORD effects = 0;  // CFE_ bits
  LONG height = 200;  // twips
  COLORREF color = 0;
  COLORREF back = 0xFFFFFF;
  BYTE underlineType = 0;
  std::string face = "Arial";
  bool operator==(const RichFormat& o) const {
    return effects == o.effects && height == o.height && color == o.color && back == o.back &&
           underlineType == o.underlineType && face == o.face;
  }
};

class QV_PLATFORM_API RichEditText {
 public:
  // Sizes are bounded: at most kMaxHeight twips (1,638 points).
  static constexpr LONG kMaxHeight = 32760;

  const std::string& Text() const { return fNow.text; }
  LONG Length() const { return LONG(fNow.text.size()); }
  void GetSelection(LONG& start, LONG& end) const;
  // cpMax -1 (or past the end) selects to the end; cpMin -1 leaves a caret
  // at the end. The format new text takes becomes the one before the caret.
  void SetSelection(LONG start, LONG end);
  // Replaces the selection; the caret follows the new text.
  void ReplaceSelection(const std::string& ansi, bool canUndo);

  // The selection's format: attributes that differ across it leave their
  // mask bit clear. A caret answers the format new text takes.
  void GetCharFormat(CHARFORMAT2A& out) const;
  // Applies the attributes the mask names to the selection, or to the
  // format new text takes when the selection is a caret.
  void SetCharFormat(const CHARFORMAT2A& format);
  const RichFormat& FormatAt(LONG position) const;
  const RichFormat& InsertionFormat() const { return fNow.insertion; }
  // PFA_ alignment of every paragraph the selection touches.
  void SetAlignment(uint16_t alignment);
  uint16_t AlignmentAt(LONG position) const;

  bool CanUndo() const { return fUndo.has_value(); }
  bool CanRedo() const { return fRedo.has_value(); }
  void Undo();
  void Redo();
  void EmptyUndo() { fUndo.reset(), fRedo.reset(); }

  // The first match at or after `from` that ends by `to` (-1: the text's
  // end); -1 when none.
  LONG Find(LONG from, LONG to, const std::u16string& what, bool matchCase) const;

  // The whole text as the control's RTF: a font table, a colour table,
  // paragraphs with their alignment, runs with their formats.
  std::string WriteRtf() const;
  // Replaces the whole text with what the RTF holds, in one undo step.
  // False, nothing changed, for what is no RTF or is damaged (unbalanced
  // groups, nesting deeper than kMaxRtfDepth).
  static constexpr int kMaxRtfDepth = 1000;
  bool ReadRtf(const uint8_t* bytes, size_t size);

 private:
  struct State {
    std::string text;
    std::vector<uint32_t> formatOf;  // an index into fFormats per character
    std::vector<uint8_t> alignOf;    // a PFA_ value per character
    uint8_t tailAlign = PFA_LEFT;    // of the empty paragraph after the last '\r'
    LONG selStart = 0;
    LONG selEnd = 0;
    RichFormat insertion;
  };
  uint32_t Intern(const RichFormat& format);
  void Remember();
  void ParagraphBounds(LONG start, LONG end, LONG& from, LONG& to) const;

  State fNow;
  std::optional<State> fUndo;
  std::optional<State> fRedo;
  std::vector<RichFormat> fFormats;  // every format used, each once
};
