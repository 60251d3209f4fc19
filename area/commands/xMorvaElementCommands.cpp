// The host commands of the selection's stored form (127, 128) and of the
// special elements: dates and times (120, 166), page numbers (135, 167),
// HTML expressions (117, 118, 156, 168) and hyperlinks (147, 169).
#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaTableCommands.h"
#include "area/view/xMorvaHyperlink.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"

// Named, not anonymous: the area's files are compiled in batches, and
// the command files share the names of their helpers.
namespace element_commands {

using xMorvaCommandValues::At;
using xMorvaCommandValues::ClearString;
using xMorvaCommandValues::ClearText;
using xMorvaCommandValues::HandleAt;
using xMorvaCommandValues::LockedHandle;
using xMorvaCommandValues::LongAt;
using xMorvaCommandValues::PutHandle;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutReal;
using xMorvaCommandValues::PutString;
using xMorvaCommandValues::PutText;
using xMorvaCommandValues::PutWord;
using xMorvaCommandValues::RealAt;
using xMorvaCommandValues::StringAt;
using xMorvaCommandValues::TextAt;
using xMorvaCommandValues::WordAt;

constexpr int32_t kErrorNoMemory = 1041;
constexpr int32_t kErrorDateKind = 1054;
constexpr int32_t kErrorDateFormat = 1055;
constexpr int32_t kErrorPageNumberKind = 1085;
// Date styles 0 to 7 and time styles 0 to 5 make the date/time word.
constexpr int32_t kLastDateKind = 7;
constexpr int32_t kLastDateFormat = 5;
// Page-number styles below 5; the style goes into bits 28 to 31 of the
// page-number word and "total pages" into bit 0.
constexpr int16_t kPageNumberKinds = 5;

// The edited text of the document: the body, a header or a footer.
xMorvaEngine* CurrentEngine(xMorvaDocument& document) {
  return static_cast<xMorvaEngine*>(document.GetCurrentPart());
}

// Runs an edit of the current text between the document's change marks
// and refreshes: the edit's code, 1041 without a text.
template <typename Edit>
int32_t Change(xMorvaDocument& document, Edit&& edit) {
  xMorvaEngine* engine = CurrentEngine(document);
  if (engine == nullptr) return kErrorNoMemory;
  document.BeginChange();
  const int32_t code = edit(*engine);
  document.EndChange();
  document.Refresh(true, false);
  return code;
}

int32_t InsertDateTime(xMorvaDocument& document, int32_t kind, int32_t format) {
  if (kind < 0 || kind > kLastDateKind) return kErrorDateKind;
  if (format < 0 || format > kLastDateFormat) return kErrorDateFormat;
  VDateRec today;
  int32_t seconds = 0;
  xMorvaDocInfos::Now(today, seconds);
  const uint16_t word = uint16_t(uint16_t(kind) << 8 | uint16_t(format));
  return Change(document, [&](xMorvaEngine& engine) { return engine.InsertDateTimeField(today, seconds, word, true); });
}

int32_t InsertPageNumber(xMorvaDocument& document, int16_t kind, int16_t format) {
  if (kind < 0 || kind >= kPageNumberKinds) return kErrorPageNumberKind;
  const uint32_t word = uint32_t(kind) << kPageNumberStyleShift | (format != 0 ? kPageNumberCount : 0);
  return Change(document, [&](xMorvaEngine& engine) { return engine.InsertPageNumberField(word, true); });
}

void ReadDateTime(xMorvaDocument& document, void** p) {
  xMorvaEngine* engine = CurrentEngine(document);
  uint16_t word = 0;
  if (engine == nullptr || !engine->GetDateTimeFormatAtSelection(word)) return;
  PutWord(At(p, 1), int8_t(word >> 8));
  PutWord(At(p, 2), int8_t(word & 0xFF));
}

void ReadPageNumber(xMorvaDocument& document, void** p) {
  xMorvaEngine* engine = CurrentEngine(document);
  uint32_t word = 0;
  if (engine == nullptr || !engine->GetPageNumberFormatAtSelection(word)) return;
  PutWord(At(p, 1), int16_t(word >> kPageNumberStyleShift));
  PutWord(At(p, 2), int16_t(word & kPageNumberCount));
}

void ReadExpression(xMorvaDocument& document, uint16_t code, void* result) {
  xMorvaEngine* engine = CurrentEngine(document);
  VStrInHandle expression;
  if (engine != nullptr && engine->GetHTMLExpressionAtSelection(code, expression)) PutText(result, expression);
}

int32_t InsertExpression(xMorvaDocument& document, uint16_t code, void** p) {
  VStrInHandle expression;
  TextAt(p, 1, expression);
  return Change(document, [&](xMorvaEngine& engine) { return engine.InsertHTMLExpression(code, expression, true); });
}

int32_t InsertLink(xMorvaDocument& document, void** p) {
  VStrInHandle title;
  VStrInHandle target;
  TextAt(p, 3, title);
  TextAt(p, 4, target);
  xMorvaHyperlink link(uint8_t(WordAt(p, 1)), WordAt(p, 2) != 0, target, title, uint32_t(LongAt(p, 5)));
  return Change(document, [&](xMorvaEngine& engine) { return engine.InsertHyperlinkWithUndo(link); });
}

void ReadLink(xMorvaDocument& document, void** p) {
  xMorvaEngine* engine = CurrentEngine(document);
  xMorvaHyperlink link;
  if (engine == nullptr || !engine->GetHyperlinkAtSelection(link)) return;
  PutWord(At(p, 1), int16_t(link.GetKind()));
  PutWord(At(p, 2), link.GetStyleFlag() ? 1 : 0);
  PutText(At(p, 3), link.GetTitle());
  PutText(At(p, 4), link.GetTarget());
  PutLong(At(p, 5), int32_t(link.GetValue()));
}

// The selection as a transfer stream in a new Toolbox handle.
int32_t CopySelection(xMorvaDocument& document, void* result) {
  xMorvaEngine* engine = CurrentEngine(document);
  const VMemHandle stream = engine != nullptr ? engine->WriteStream(document) : 0;
  const uint32_t handle = stream != 0 ? gMemoryMgr->ToMacHandle(stream, true) : 0;
  if (handle == 0) {
    if (stream != 0) gMemoryMgr->DisposeHandle(stream);
    return kErrorNoMemory;
  }
  PutHandle(result, handle);
  return 0;
}

// A transfer stream from the host's handle, checked whole before it
// reaches the text: a stream that is cut short or whose items the repair
// would have to mend changes nothing (1074).
int32_t InsertStream(xMorvaDocument& document, uint32_t handle) {
  LockedHandle bytes(handle);
  if (bytes.Size() == 0) return kErrorBadStream;
  if (const int32_t error = xMorvaEngine::CheckTransferStream(bytes.Data(), bytes.Size())) return error;
  const int32_t code = document.PasteStreamFromMemory(bytes.Data(), bytes.Size(), true);
  document.Refresh(true, false);
  return code;
}

void Run(xMorvaMain& package, int32_t selector, void** p, void* result) {
  // Outputs cleared before the area is resolved.
  switch (selector) {
    case 117:
    case 118: ClearText(result); break;
    case 127: PutHandle(result, 0); break;
    case 166:
    case 167:
      PutWord(At(p, 1), -1);
      PutWord(At(p, 2), -1);
      break;
    case 169:
      PutWord(At(p, 1), -1);
      PutWord(At(p, 2), 0);
      ClearText(At(p, 3));
      ClearText(At(p, 4));
      PutLong(At(p, 5), 0);
      break;
    default: break;
  }
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  int32_t code = 0;
  switch (selector) {
    case 117: ReadExpression(*document, xMorvaElementCode::HTMLExpression2, result); break;
    case 118: ReadExpression(*document, xMorvaElementCode::HTMLExpression, result); break;
    case 120: code = InsertDateTime(*document, LongAt(p, 1), LongAt(p, 2)); break;
    case 127: code = CopySelection(*document, result); break;
    case 128: code = InsertStream(*document, HandleAt(p, 1)); break;
    case 135: code = InsertPageNumber(*document, WordAt(p, 1), WordAt(p, 2)); break;
    case 147: code = InsertLink(*document, p); break;
    case 156: code = InsertExpression(*document, xMorvaElementCode::HTMLExpression, p); break;
    case 166: ReadDateTime(*document, p); break;
    case 167: ReadPageNumber(*document, p); break;
    case 168: code = InsertExpression(*document, xMorvaElementCode::HTMLExpression2, p); break;
    case 169: ReadLink(*document, p); break;
    default: break;
  }
  package.ReportCommandError(code);
}

}  // namespace element_commands

void xMorvaTableCommands::RunElementCommand(xMorvaMain& package, int32_t selector, void** p, void* result) {
  element_commands::Run(package, selector, p, result);
}
