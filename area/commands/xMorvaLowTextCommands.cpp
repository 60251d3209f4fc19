// The point-based host commands on the selection (2, 3, 27, 59, 84), on
// text in and out of the area (19 to 21, 40, 88 to 90), find and replace
// (34, 35) and counts (41, 62, 85).
#include "area/commands/xMorvaLowTextCommands.h"

#include <algorithm>
#include <memory>

#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaMouse.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPages.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"

// Named, not anonymous: the area's files are compiled in batches.
namespace low_text_commands {

using xMorvaCommandValues::At;
using xMorvaCommandValues::ClearText;
using xMorvaCommandValues::LongAt;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutText;
using xMorvaCommandValues::PutWord;
using xMorvaCommandValues::WordAt;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorNoMemory = 1041;
constexpr int32_t kErrorBadRange = 1013;
constexpr int32_t kErrorTooLong = 1024;
constexpr int32_t kErrorNothingToSelect = 1028;
constexpr int32_t kErrorValueRange = 1055;
constexpr int32_t kErrorNoSoftHyphen = 1072;
// The most positions that go out as one host text.
constexpr int32_t kMostTextPositions = 32000;
constexpr int16_t kLastSelectionKind = 14;

// The element code that kinds 1, 4 and 7 to 14 of command 59 select.
uint16_t ElementOfKind(int16_t kind) {
  switch (kind) {
    case 1: return xMorvaElementCode::ExprQv;
    case 4: return xMorvaElementCode::Pict;
    case 7: return xMorvaElementCode::PageBreak;
    case 8: return xMorvaElementCode::ColBreak;
    case 9: return xMorvaElementCode::SoftHyphen;
    case 10: return xMorvaElementCode::PageNumber;
    case 11: return xMorvaElementCode::DateTime;
    case 12: return xMorvaElementCode::Hyperlink;
    case 13: return xMorvaElementCode::HTMLExpression;
    default: return xMorvaElementCode::HTMLExpression2;
  }
}

// Command 59: false when there is nothing of the kind to select; the
// selection is then as it was.
bool SelectByKind(xMorvaEngine& engine, int16_t kind, int32_t a, int32_t b) {
  switch (kind) {
    case 0: return engine.TrySetSelection(a, b);
    case 2: return engine.SelectParagraphs(a, b);
    case 3: return engine.SelectParagraphFormatRun(a);
    case 5: return engine.SelectCharacterFormatRun(a);
    case 6: {
      // One character less when the selection's last unit is a space: the
      // word is taken without the space after it, and without the marks
      // that go with that space.
      const int32_t start = engine.GetWordStart();
      int32_t end = engine.GetWordEnd();
      if (engine.SelectionEndsWithSpace() && end > start) end = std::max(engine.CharacterStep(end, false), start);
      engine.SetSelection(start, end);
      return true;
    }
    default: return engine.SelectElement(ElementOfKind(kind), a);
  }
}

// Where a point of the document falls: the caret position nearest it, and
// whether it lies on a picture, well inside its left or its right half.
struct PointHit {
  int32_t position = 0;
  bool onPicture = false;
  bool wellInLeftHalf = false;
  bool wellInRightHalf = false;
};

// A point within this many pixels of a picture's edge stays a caret
// position beside it.
constexpr int32_t kPictureEdgeSlack = 5;

bool IsPictureAt(xMorvaEngine& engine, int32_t at) {
  if (at < 0 || at >= engine.GetLength()) return false;
  engine.SetSelection(at, at + 1);
  return engine.SelectionHasElement(xMorvaElementCode::Pict);
}

// The hit test of a document point; the selection is put back.
PointHit HitAt(xMorvaDocument& document, xMorvaEngine& engine, int32_t x, int32_t y) {
  PointHit result;
  xMorvaTextHit hit;
  if (!xMorvaMouse::HitTest(document, x, y, false, hit)) return result;
  result.position = hit.position;
  if (!hit.OnElement()) return result;
  int32_t start = 0, end = 0;
  engine.SaveSelectionState(start, end);
  // The point rounds to the nearer end: the picture ends at the position
  // when the point is in its right half, starts there in its left half.
  const int32_t first = hit.elementBefore ? hit.position - 1 : hit.position;
  result.onPicture = IsPictureAt(engine, first);
  engine.RestoreSelectionState();
  if (!result.onPicture) return result;
  xMorvaLayoutInterface* layout = document.GetLayout();
  xMorvaLineLocation where;
  document.LocateOffset(hit.offset, where);
  bool italic = false;
  const int32_t pen = layout->MeasureToOffset(document.GetCurrentPartNumber(), where, hit.offset, italic);
  if (hit.elementBefore) {
    result.wellInRightHalf = pen - x > kPictureEdgeSlack;
  } else {
    result.wellInLeftHalf = x - pen > kPictureEdgeSlack;
  }
  return result;
}

// Command 84: the caret position under a point of the area's window; a
// point well inside a picture gives the picture's one-position range.
void PositionAtPoint(xMorvaMain& package, void** p, void* result) {
  PutLong(At(p, 3), 0);
  PutLong(At(p, 4), 0);
  PutLong(result, 0);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaPlugIn* editing = area.object->GetEditingArea();
  const int32_t x = WordAt(p, 1);
  const int32_t y = WordAt(p, 2);
  xMorvaFrame* under = nullptr;
  if (editing != nullptr) {
    for (xMorvaFrame* frame : editing->GetFrames()) {
      int32_t left = 0, top = 0;
      frame->GetOrigin(left, top);
      if (x >= left && y >= top && x < left + frame->GetWidth() && y < top + frame->GetHeight()) under = frame;
    }
  }
  // A point on no text frame of the area has no position.
  if (under != nullptr) {
    int32_t left = 0, top = 0;
    under->GetOrigin(left, top);
    const int32_t documentX = x - left + under->GetScrollX() - under->TextInset();
    const int32_t documentY = y - top + under->GetScrollY();
    const PointHit hit = HitAt(*area.document, *area.engine, documentX, documentY);
    PutLong(At(p, 3), hit.position - (hit.wellInRightHalf ? 1 : 0));
    PutLong(At(p, 4), hit.position + (hit.wellInLeftHalf ? 1 : 0));
    PutLong(result, hit.onPicture ? 1 : 0);
  }
  package.ReportCommandError(0);
}

void RunSelection(xMorvaMain& package, int32_t n, void** p, void* result) {
  if (n == 84) {
    PositionAtPoint(package, p, result);
    return;
  }
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  int32_t code = 0;
  switch (n) {
    case 2: {
      int32_t start = 0, end = 0;
      area.engine->GetSelection(start, end);
      PutLong(At(p, 1), start);
      PutLong(At(p, 2), end);
      break;
    }
    case 3:
      // A reversed or negative range leaves the selection, without an error.
      area.engine->TrySetSelection(LongAt(p, 1), LongAt(p, 2));
      area.document->ShowSelection(true);
      break;
    case 27: area.document->UpdateCaret(true); break;
    case 59: {
      const int16_t kind = WordAt(p, 1);
      if (kind < 0 || kind > kLastSelectionKind) {
        code = kErrorValueRange;
      } else if (!SelectByKind(*area.engine, kind, LongAt(p, 2), LongAt(p, 3))) {
        code = kErrorNothingToSelect;
      } else {
        area.document->ShowSelection(true);
      }
      break;
    }
    default: break;
  }
  package.ReportCommandError(code);
}

// ---- Text

// Command 19: the host's text replaces the selection.
int32_t InsertText(xMorvaDocument& document, xMorvaEngine& engine, void** p) {
  VStrInHandle text;
  xMorvaTextCommands::HostTextAt(p, 1, text);
  const VMemHandle units = gMemoryMgr->NewHandle(0, 0);
  if (units == 0) return kErrorNoMemory;
  uint32_t count = 0, bytes = 0;
  int32_t code = kErrorNoMemory;
  if (engine.StringToUnits(text, units, count, bytes, false)) {
    code = document.InsertUnits(units, int32_t(count), false);
  }
  gMemoryMgr->DisposeHandle(units);
  document.Refresh(true, false);
  return code;
}

// Commands 20 and 21: the plain text of a range (tabs 9, soft hyphens 173,
// paragraph ends 13 alone), the selection put back.
int32_t PlainTextOf(xMorvaEngine& engine, int32_t start, int32_t end, void* result) {
  if (end - start > kMostTextPositions) return kErrorTooLong;
  int32_t savedStart = 0, savedEnd = 0;
  engine.SaveSelectionState(savedStart, savedEnd);
  engine.SetSelection(start, end);
  VStrInHandle text;
  engine.WritePlainText(text, true, false);
  engine.RestoreSelectionState();
  PutText(result, text);
  return 0;
}

// Command 40: a picture on the page, else the selection or the position
// before the caret.
int32_t DeleteBackward(xMorvaDocument& document, xMorvaEngine& engine) {
  if (document.DeletePagePicture(-1)) {
    document.Refresh(false, true);
    return 0;
  }
  const int32_t start = engine.GetSelStart();
  if (!engine.HasSelection() && start > 0) engine.SetSelection(start - 1, start);
  if (!engine.HasSelection()) return 0;
  document.BeginChange();
  const int32_t code = engine.DeleteSelectionWithUndo();
  document.EndChange();
  document.Refresh(true, false);
  return code;
}

// Whether position `at` holds a soft hyphen; the selection is left on it.
bool SoftHyphenAt(xMorvaEngine& engine, int32_t at) {
  if (at < 0 || at >= engine.GetLength()) return false;
  engine.SetSelection(at, at + 1);
  return engine.SelectionHasElement(xMorvaElementCode::SoftHyphen);
}

// Commands 89 (delete) and 90 (test): the soft hyphen before the caret,
// else the one after it.
int32_t SoftHyphenNextToCaret(xMorvaDocument& document, xMorvaEngine& engine, bool remove, void* result) {
  int32_t start = 0, end = 0;
  engine.SaveSelectionState(start, end);
  const int32_t s = engine.GetSelStart();
  const bool found = SoftHyphenAt(engine, s - 1) || SoftHyphenAt(engine, s);
  if (!remove || !found) {
    engine.RestoreSelectionState();
    if (!remove) PutLong(result, found ? 1 : 0);
    return remove ? kErrorNoSoftHyphen : 0;
  }
  // The deletion is its own undo step of the deletion kind.
  document.BeginChange();
  const int32_t code = engine.DeleteSelectionWithUndo();
  document.EndChange();
  document.Refresh(true, false);
  return code;
}

void RunText(xMorvaMain& package, int32_t n, void** p, void* result) {
  if (n == 20 || n == 21) ClearText(result);
  if (n == 90) PutLong(result, 0);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaDocument& document = *area.document;
  xMorvaEngine& engine = *area.engine;
  int32_t code = 0;
  switch (n) {
    case 19: code = InsertText(document, engine, p); break;
    case 20: {
      int32_t start = LongAt(p, 1);
      int32_t end = LongAt(p, 2);
      if (start < 0 || end < start) {
        code = kErrorBadRange;
        break;
      }
      // A range past the end stands for the whole text.
      if (end > engine.GetLength()) start = 0, end = engine.GetLength();
      code = PlainTextOf(engine, start, end, result);
      break;
    }
    case 21: code = PlainTextOf(engine, engine.GetSelStart(), engine.GetSelEnd(), result); break;
    case 40: code = DeleteBackward(document, engine); break;
    case 88:
      document.BeginChange();
      code = engine.InsertSoftHyphenWithUndo();
      document.EndChange();
      document.Refresh(true, false);
      break;
    case 89:
    case 90: code = SoftHyphenNextToCaret(document, engine, n == 89, result); break;
    default: break;
  }
  package.ReportCommandError(code);
}

// ---- Find and replace

void RunFind(xMorvaMain& package, int32_t n, void** p, void* result) {
  PutLong(result, 0);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  auto parameters = std::make_unique<xMorvaFindReplaceParameters>();
  VStr<255> text;
  xMorvaTextCommands::PascalAt(p, 1, text);
  parameters->findText.CopyText(text);
  const bool replace = n == 35;
  if (replace) {
    xMorvaTextCommands::PascalAt(p, 2, text);
    parameters->replaceText.CopyText(text);
  }
  const int flags = replace ? 3 : 2;
  const auto byteAt = [p](int i) { return xMorvaCommandParams::ValueAt<uint8_t>(p, i); };
  parameters->wholeWord = byteAt(flags) != 0 ? 1 : 0;
  parameters->caseSensitive = byteAt(flags + 1) != 0 ? 1 : 0;
  parameters->wrap = 0;
  xMorvaDocument& document = *area.document;
  int32_t answer = 0;
  if (!replace) {
    answer = document.FindNext(*parameters) ? 1 : 0;
    if (answer != 0) document.ShowSelection(true);
  } else if (WordAt(p, 5) != 0) {
    answer = document.ReplaceNext(*parameters) ? 1 : 0;
  } else {
    answer = document.ReplaceAll(*parameters) > 0 ? 1 : 0;
  }
  if (replace && answer != 0) document.Refresh(false, true);
  PutLong(result, answer);
  package.ReportCommandError(0);
}

// ---- Counts and fields

void RunCount(xMorvaMain& package, int32_t n, void** p, void* result) {
  if (n == 41) {
    PutLong(At(p, 1), 0);
    for (int i = 2; i <= 6; ++i) PutWord(At(p, i), 0);
  }
  if (n == 62) {
    PutLong(result, 0);
    // No area: nothing is recorded.
    if (LongAt(p, 0) == 0) return;
  }
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaDocument& document = *area.document;
  switch (n) {
    case 41: {
      xMorvaTextStatistics counts;
      area.engine->GetTextStatistics(counts);
      PutLong(At(p, 1), int32_t(counts.characters));
      PutWord(At(p, 2), int16_t(counts.paragraphs));
      PutWord(At(p, 3), int16_t(counts.hostExpressions));
      PutWord(At(p, 5), document.IsModified() ? 1 : 0);
      PutWord(At(p, 6), int16_t(document.GetBodyPageCount()));
      break;
    }
    case 62: {
      int32_t page = -1;
      auto* layout = static_cast<xMorvaDocumentLayout*>(document.GetLayout());
      // Pages only in the page view; the continuous view has one long page.
      if (document.GetParams().GetViewMode() == 0 && layout != nullptr) {
        layout->Update();
        page = layout->GetPages().FindPageForPosition(LongAt(p, 1));
      }
      PutLong(result, page);
      break;
    }
    case 85:
      document.UpdateDateTimeFields();
      document.Refresh(false, true);
      break;
    default: break;
  }
  package.ReportCommandError(0);
}

}  // namespace low_text_commands

namespace xMorvaLowTextCommands {

void RunSelectionCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  low_text_commands::RunSelection(package, n, p, result);
}

void RunTextCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  low_text_commands::RunText(package, n, p, result);
}

void RunFindCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  low_text_commands::RunFind(package, n, p, result);
}

void RunCountCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  low_text_commands::RunCount(package, n, p, result);
}

}  // namespace xMorvaLowTextCommands
