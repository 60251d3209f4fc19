// The host-language commands that search: a text in a stored document held
// by a handle (110), and the next match (111) and its replacement (112) in
// the text being edited.
#include <memory>
#include <string>

#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/files/xMorvaDocumentFile.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "engine/xMorvaElementStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

namespace params = xMorvaCommandParams;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorNothingFound = 1074;
constexpr int32_t kErrorFindMemory = 1041;
constexpr int32_t kStoredSearchFailed = -2;

bool IsWordUnit(char16_t unit) { return IsWordCharacter(unit); }

// Whether the stored document reads whole: it is read into a scratch
// document, whose texts go through the text engine's checks and repairs.
// A document that needed a repair counts as damaged, like one that does
// not read: its bytes cannot be trusted to search.
bool ReadsWhole(const uint8_t* bytes, uint32_t size) {
  auto scratch = std::make_unique<xMorvaDocument>(nullptr);
  VMemoryStream stream(bytes, size);
  if (stream.OpenRead() != 0) return false;
  const int32_t code = ReadDocument(*scratch, stream, true);
  stream.CloseRead();
  return code == 0;
}

// Command 110: no area; the handle stands in p[0]. The answer is the
// position of the match, -2 when the handle is empty, the document is not
// whole or nothing is found.
void SearchStoredDocument(xMorvaMain& package, void** p, void* result) {
  params::PutValue<int32_t>(result, kStoredSearchFailed);
  const uint32_t handle = params::HandleAt(p, 0);
  VStrInHandle pattern;
  xMorvaTextCommands::HostTextAt(p, 1, pattern);
  const int32_t size = handle != 0 ? Tbx::GetHandleSize(handle) : 0;
  int32_t found = kStoredSearchFailed;
  if (size > 0) {
    const auto* bytes = static_cast<const uint8_t*>(Tbx::HLock(handle));
    if (bytes != nullptr && ReadsWhole(bytes, uint32_t(size))) {
      std::u16string text(size_t(pattern.GetLength()), u'\0');
      for (int32_t i = 0; i < pattern.GetLength(); ++i) text[size_t(i)] = pattern.GetCharAt(i + 1);
      found = SearchStoredText(bytes, uint32_t(size), text, params::WordAt(p, 2) != 0, params::WordAt(p, 3) != 0,
                               IsWordUnit);
    }
    if (bytes != nullptr) Tbx::HUnlock(handle);
  }
  if (found < 0) {
    package.ReportCommandError(kErrorNothingFound);
    return;
  }
  params::PutValue<int32_t>(result, found);
  package.ReportCommandError(0);
}

// The find text and the flags of command 111 or 112 in a new parameters
// object; null when a text could not be held.
std::unique_ptr<xMorvaFindReplaceParameters> NewParameters(void** p, bool replace) {
  auto parameters = std::make_unique<xMorvaFindReplaceParameters>();
  VStrInHandle text;
  xMorvaTextCommands::HostTextAt(p, 1, text);
  parameters->findText.CopyText(text);
  if (parameters->findText.GetLength() != text.GetLength()) return nullptr;
  int flags = 2;
  if (replace) {
    text.SetEmpty(false);
    xMorvaTextCommands::HostTextAt(p, 2, text);
    parameters->replaceText.CopyText(text);
    if (parameters->replaceText.GetLength() != text.GetLength()) return nullptr;
    flags = 3;
  }
  parameters->wholeWord = params::WordAt(p, flags) != 0 ? 1 : 0;
  parameters->caseSensitive = params::WordAt(p, flags + 1) != 0 ? 1 : 0;
  parameters->wrap = params::WordAt(p, replace ? flags + 3 : flags + 2) != 0 ? 1 : 0;
  return parameters;
}

void FindOrReplace(xMorvaMain& package, int32_t n, void** p, void* result) {
  params::PutValue<int32_t>(result, -1);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  const bool replace = n == 112;
  std::unique_ptr<xMorvaFindReplaceParameters> parameters = NewParameters(p, replace);
  if (!parameters) {
    package.ReportCommandError(kErrorFindMemory);
    return;
  }
  xMorvaDocument& document = *area.document;
  int32_t answer = 0;
  if (!replace) {
    answer = document.FindNext(*parameters) ? 1 : 0;
    if (answer != 0) document.ShowSelection(true);
  } else if (params::WordAt(p, 5) == 0) {
    answer = document.ReplaceAll(*parameters) > 0 ? 1 : 0;
  } else {
    answer = document.ReplaceNext(*parameters) ? 1 : 0;
  }
  if (replace && answer != 0) document.Refresh(true, true);
  params::PutValue<int32_t>(result, answer);
  package.ReportCommandError(0);
}

}  // namespace

namespace xMorvaTextCommands {

void RunFindCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  if (n == 110) {
    SearchStoredDocument(package, p, result);
  } else {
    FindOrReplace(package, n, p, result);
  }
}

}  // namespace xMorvaTextCommands
