// Find and replace over the document's current part: the next match, one
// replacement, and every replacement as one undo group.
#include <algorithm>

#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/core/memory/VMemoryMgr.h"

namespace {

// Sets every property whose state is 1 over the selection: the first error.
int32_t SetReplaceProperties(xMorvaTextInterface& text, const xMorvaFindReplaceParameters& parameters) {
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    if (!IsPropertyId(id) || parameters.replaceStates.GetState(id) != 1) continue;
    if (const int32_t error = text.SetPropertyValue(id, parameters.replaceProperties.GetProperty(id))) return error;
  }
  return 0;
}

}  // namespace

bool xMorvaDocument::FindNext(const xMorvaFindReplaceParameters& parameters) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return false;
  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  auto search = [&](int32_t from, int32_t to) {
    return text->SearchText(from, to, parameters.findText, &parameters.findProperties, &parameters.findStates,
                            parameters.wholeWord != 0, parameters.caseSensitive != 0);
  };
  // The second pass covers a match that starts before the old selection's
  // end and runs on behind it.
  if (search(end, text->GetLength()) ||
      (parameters.wrap != 0 && search(0, std::min(text->GetLength(), end + parameters.findText.GetLength())))) {
    // What a find selects is a match the user may replace, even where a
    // replacement reads like it.
    fReplaced = ReplacedRange();
    return true;
  }
  text->SetSelection(start, end);
  return false;
}

bool xMorvaDocument::ReplaceOne(ReplaceBuffer& buffer, const xMorvaFindReplaceParameters& parameters) {
  buffer.error = 0;
  if (!FindNext(parameters)) return false;
  ReplaceSelection(buffer, parameters);
  return true;
}

void xMorvaDocument::ReplaceSelection(ReplaceBuffer& buffer, const xMorvaFindReplaceParameters& parameters) {
  buffer.error = 0;
  xMorvaTextInterface* text = fCurrent;
  if (parameters.replaceText.GetLength() == 0 && parameters.findText.GetLength() == 0) {
    // Properties only: the match keeps its text.
    BeginChange();
    text->BeginUndoStep(kUndoFindReplace, 0);
    buffer.error = SetReplaceProperties(*text, parameters);
    text->EndUndoStep(buffer.error);
    EndChange();
    RememberReplacement();
    return;
  }
  if (!buffer.filled) {
    if (buffer.handle == 0) buffer.handle = gMemoryMgr->NewHandle(0, 0);
    uint32_t bytes = 0;
    if (buffer.handle == 0 ||
        !text->StringToUnits(parameters.replaceText, buffer.handle, buffer.units, bytes, false)) {
      buffer.error = kErrorTextCannotGrow;
      return;
    }
    buffer.filled = true;
  }
  const int32_t start = text->GetSelStart();
  BeginChange();
  text->BeginUndoStep(kUndoFindReplace, 0);
  buffer.error = text->InsertHandle(buffer.handle, int32_t(buffer.units));
  if (buffer.error == 0) {
    text->SetSelection(start, start + int32_t(buffer.units));
    buffer.error = SetReplaceProperties(*text, parameters);
  }
  text->EndUndoStep(buffer.error);
  EndChange();
  RememberReplacement();
}

// The replacement left selected is no match, even where it reads like
// one: replacing on does not take it again.
void xMorvaDocument::RememberReplacement() {
  fReplaced = ReplacedRange();
  if (fCurrent == nullptr) return;
  fCurrent->GetSelection(fReplaced.start, fReplaced.end);
  fReplaced.text = fCurrent;
}

bool xMorvaDocument::IsCurrentMatch(const xMorvaFindReplaceParameters& parameters) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return false;
  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  if (start == end) return false;
  if (fReplaced.text == text && start == fReplaced.start && end == fReplaced.end) return false;
  // The text may have changed since: the search over the selection alone,
  // with the character before it, finds the selection itself only when it
  // is still a whole match of these parameters.
  bool whole = false;
  if (text->SearchText(start, end, parameters.findText, &parameters.findProperties, &parameters.findStates,
                       parameters.wholeWord != 0, parameters.caseSensitive != 0)) {
    int32_t foundStart = 0;
    int32_t foundEnd = 0;
    text->GetSelection(foundStart, foundEnd);
    whole = foundStart == start && foundEnd == end;
  }
  text->SetSelection(start, end);
  return whole;
}

bool xMorvaDocument::ReplaceNext(const xMorvaFindReplaceParameters& parameters) {
  // A selection that is a match, however it was made (a find, the mouse,
  // a command), is the one the user means: it is replaced first, where
  // searching on from the selection's end would skip it.
  if (!IsCurrentMatch(parameters) && !FindNext(parameters)) return false;
  ReplaceBuffer buffer;
  ReplaceSelection(buffer, parameters);
  if (buffer.handle != 0) gMemoryMgr->DisposeHandle(buffer.handle);
  // The next match is found and selected; none leaves the replacement
  // selected.
  if (buffer.error == 0) FindNext(parameters);
  return true;
}

int32_t xMorvaDocument::ReplaceAll(xMorvaFindReplaceParameters& parameters) { return RunReplaceAll(parameters, true); }

int32_t xMorvaDocument::ReplaceAllStepwise(xMorvaFindReplaceParameters& parameters) {
  return RunReplaceAll(parameters, false);
}

int32_t xMorvaDocument::RunReplaceAll(xMorvaFindReplaceParameters& parameters, bool oneWalk) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return 0;
  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  const uint8_t wrap = parameters.wrap;
  if (wrap != 0) {
    // One pass from the start covers the whole text.
    parameters.wrap = 0;
    text->SetSelection(0, 0);
  } else if (IsCurrentMatch(parameters)) {
    // From the selection: a selected match is replaced too.
    text->SetSelection(start, start);
  }
  if (fUndo) fUndo->BeginGroup(kUndoGroupReplaceAll);
  ReplaceBuffer buffer;
  int32_t count = -1;
  // The lines follow once, over the span of every replacement: composing
  // them after each one would walk the text from its start each time.
  fLayoutDeferred = 1;
  if (oneWalk && !HasPropertyCriteria(parameters.findStates) && parameters.findText.GetLength() > 0) {
    // The text builds its new bytes in one walk; what that walk leaves
    // (it changes nothing then) is done one replacement at a time.
    buffer.handle = gMemoryMgr->NewHandle(0, 0);
    uint32_t bytes = 0;
    if (buffer.handle != 0 &&
        text->StringToUnits(parameters.replaceText, buffer.handle, buffer.units, bytes, false)) {
      buffer.filled = true;
      BeginChange();
      count = text->ReplaceEveryMatch(parameters.findText, parameters.wholeWord != 0, parameters.caseSensitive != 0,
                                      buffer.handle, int32_t(buffer.units), parameters.replaceProperties,
                                      parameters.replaceStates);
      EndChange();
      if (count < 0) {
        // Nothing changed: the one-at-a-time run starts where this one did.
        text->SetSelection(wrap != 0 ? 0 : start, wrap != 0 ? 0 : end);
      }
    }
  }
  if (count < 0) {
    count = 0;
    // A replacement the engine refuses ends the run.
    while (ReplaceOne(buffer, parameters) && buffer.error == 0) ++count;
  }
  fLayoutDeferred = 0;
  if (count > 0) {
    BeginChange();
    EndChange();
    // The run ends on its last replacement, which replacing on does not
    // take again.
    RememberReplacement();
  }
  if (count == 0) text->SetSelection(start, end);
  if (fUndo) fUndo->EndGroup();
  parameters.wrap = wrap;
  if (buffer.handle != 0) gMemoryMgr->DisposeHandle(buffer.handle);
  return count;
}
