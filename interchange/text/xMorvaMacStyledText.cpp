// Macintosh styled text ('TEXT' with 'styl') in and out of a document.
#include "interchange/text/xMorvaMacStyledText.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VBitmapPort.h"
#include "interchange/text/xMorvaPlainText.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr int32_t kErrorStylDamaged = 1015;
constexpr int32_t kErrorStylNoMemory = 1041;
constexpr char16_t kStylUnitTab = 9;
constexpr char16_t kStylUnitSoftHyphen = 173;

// The bytes of a stream from its start; false when it fails.
bool ReadStyledTextStream(VStream& stream, std::string& bytes) {
  const uint32_t size = stream.GetSize();
  if (stream.GetStatus() > 0 || stream.SetPosition(0) != 0) return false;
  bytes.assign(size, '\0');
  uint32_t got = size;
  if (size != 0) stream.GetData(bytes.data(), got);
  return got == size && stream.GetStatus() <= 0;
}

bool StyleCountFits(ByteSpanReader::Order order, const uint8_t* bytes, size_t size) {
  ByteSpanReader reader(bytes, size, order);
  const uint16_t count = reader.U16();
  return !reader.Failed() && uint64_t(count) * kStyleRunSize <= reader.Remaining();
}

// Inserts text bytes (Macintosh set) at the caret, which then stands behind
// them: 0 or the engine's code.
int32_t InsertStyledPiece(xMorvaEngine& engine, const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const std::u16string text = DecodePlainText(bytes, size, kTextEncodingMac);
  if (text.empty()) return 0;
  VMemHandle units = gMemoryMgr->NewHandle(0, 0);
  if (units == 0) return kErrorStylNoMemory;
  uint32_t positions = 0;
  int32_t code = TextToUnits(engine, text, units, positions) ? 0 : kErrorStylNoMemory;
  if (code == 0 && positions != 0) code = engine.InsertHandle(units, int32_t(positions));
  gMemoryMgr->DisposeHandle(units);
  const int32_t end = engine.GetSelEnd();
  engine.SetSelection(end, end);
  return code;
}

// The run's style becomes the typing properties at the caret.
int32_t ApplyStyleRun(xMorvaDocument& document, xMorvaEngine& engine, const xMorvaStyleRun& run) {
  VStr<255> name;
  VSystemServices::GetFontName(int16_t(run.font), name);
  int32_t code = 0;
  auto set = [&](uint16_t id, int32_t value) {
    if (code == 0) code = engine.SetPropertyValue(id, value);
  };
  if (name.GetLength() != 0) set(kPropFont, document.FontIndexForName(name));
  set(kPropBold, (run.face & kStyleFaceBold) != 0);
  set(kPropItalic, (run.face & kStyleFaceItalic) != 0);
  set(kPropUnderline, (run.face & kStyleFaceUnderline) != 0);
  set(kPropShadow, (run.face & kStyleFaceShadow) != 0);
  set(kPropVerticalPosition, (run.face & kStyleFaceSuperscript) ? 1
                             : (run.face & kStyleFaceSubscript) ? 2
                                                                : 0);
  if (run.size >= 1 && run.size <= 254) set(kPropSize, run.size);
  set(kPropTextColour, (run.red >> 8) | ((run.green >> 8) << 8) | ((run.blue >> 8) << 16));
  return code;
}

}  // namespace

int32_t ReadStyleRuns(const uint8_t* bytes, size_t size, uint32_t textLength,
                      std::vector<xMorvaStyleRun>& runs) {
  runs.clear();
  ByteSpanReader::Order order = ByteSpanReader::kNative;
  if (!StyleCountFits(order, bytes, size)) {
    order = order == ByteSpanReader::Order::kBig ? ByteSpanReader::Order::kLittle
                                                 : ByteSpanReader::Order::kBig;
    if (!StyleCountFits(order, bytes, size)) return kErrorStylDamaged;
  }
  ByteSpanReader reader(bytes, size, order);
  const uint16_t count = reader.U16();
  runs.resize(count);
  uint32_t previous = 0;
  for (xMorvaStyleRun& run : runs) {
    run.start = reader.U32();
    run.lineHeight = reader.U16();
    run.ascent = reader.U16();
    run.font = reader.U16();
    run.face = reader.U8();
    reader.Skip(1);
    run.size = reader.U16();
    run.red = reader.U16();
    run.green = reader.U16();
    run.blue = reader.U16();
    if (run.start > textLength) run.start = textLength;
    if (run.start < previous) run.start = previous;
    previous = run.start;
  }
  if (reader.Failed()) {
    runs.clear();
    return kErrorStylDamaged;
  }
  return 0;
}

int32_t xMorvaImportMacStyledText::ImportStyledText(xMorvaDocument& document, VStream& text,
                                                    VStream& styles, bool insert) {
  std::string textBytes;
  std::string styleBytes;
  if (!ReadStyledTextStream(text, textBytes) || !ReadStyledTextStream(styles, styleBytes))
    return kErrorStylDamaged;
  std::vector<xMorvaStyleRun> runs;
  const auto* chars = reinterpret_cast<const uint8_t*>(textBytes.data());
  if (const int32_t code = ReadStyleRuns(reinterpret_cast<const uint8_t*>(styleBytes.data()),
                                         styleBytes.size(), uint32_t(textBytes.size()), runs))
    return code;

  xMorvaUndo* undo = document.GetUndo();
  xMorvaEngine* engine = nullptr;
  if (insert) {
    engine = static_cast<xMorvaEngine*>(document.GetCurrentPart());
    if (engine == nullptr) return kErrorStylNoMemory;
    engine->BeginUndoStep(kUndoPaste, 0);
  } else {
    document.Reset(false);
    if (undo != nullptr) undo->Suspend();
    document.BeginChange();
    engine = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
    if (engine == nullptr) {
      document.EndChange();
      if (undo != nullptr) undo->Resume();
      return kErrorStylNoMemory;
    }
  }
  // The selection goes first, so that no run's style lands on it.
  int32_t code = engine->DeleteSelection();
  const int32_t first = engine->GetSelStart();

  if (runs.empty()) {
    // Text without runs keeps the style typed at the caret rather than
    // being dropped.
    if (code == 0) code = InsertStyledPiece(*engine, chars, textBytes.size());
  } else {
    uint32_t previous = 0;
    for (size_t i = 0; i <= runs.size() && code == 0; ++i) {
      const uint32_t end = i < runs.size() ? runs[i].start : uint32_t(textBytes.size());
      if (i > 0) {
        code = InsertStyledPiece(*engine, chars + previous, end - previous);
        previous = end;
      }
      if (i < runs.size() && code == 0) code = ApplyStyleRun(document, *engine, runs[i]);
    }
  }

  if (insert) {
    engine->SetSelection(first, engine->GetSelEnd());
    engine->EndUndoStep(code);
  } else {
    engine->SetSelection(0, 0);
    document.EndChange();
    if (undo != nullptr) undo->Resume();
  }
  return code;
}

bool xMorvaExportMacStyledText::ExportStyledText(xMorvaDocument& document, xMorvaEngine& engine,
                                                 VStream& text, VStream& styles,
                                                 bool selectionOnly) {
  const uint32_t countAt = styles.GetPosition();
  styles.PutWord(0);
  uint16_t count = 0;
  uint32_t written = 0;

  xMorvaProperties run;
  uint32_t from = 0;
  uint32_t to = engine.GetStreamSize();
  if (selectionOnly) {
    from = engine.GetSelStartOffset();
    to = engine.GetSelEndOffset();
    engine.ApplyRecordsInRange(0, from, run);
  }
  bool changed = true;
  // A run's characters gather here and become the string of the text
  // flavour once, when the run ends.
  std::u16string pending;
  VBitmapPort port;

  auto flushText = [&]() {
    if (pending.empty()) return;
    VStrInHandle run;
    run.SetUniChars(pending.data(), 0, int32_t(std::min<size_t>(pending.size(), INT32_MAX)));
    pending.clear();
    const VMemHandle bytes = run.NewHandleOfText(kCharSetMac, false);
    if (bytes == 0) return;
    const uint32_t size = gMemoryMgr->GetHandleSize(bytes);
    if (size != 0) {
      text.PutData(gMemoryMgr->LockHandle(bytes), size);
      gMemoryMgr->UnlockHandle(bytes);
      written += size;
    }
    gMemoryMgr->DisposeHandle(bytes);
  };
  // What a run needs of its font, looked up once for each font and size
  // the text uses: the system's font number walks the installed families,
  // and the ascent makes the port find and select the font.
  struct RunFont {
    int16_t number;
    int16_t size;
    int16_t ascent;
  };
  std::map<std::pair<int32_t, int32_t>, RunFont> runFonts;
  auto runFont = [&](int32_t font, int32_t size) -> const RunFont& {
    const auto found = runFonts.find({font, size});
    if (found != runFonts.end()) return found->second;
    VStr<255> name;
    bool known = false;
    if (!document.FontNameForIndex(font, name, known) || name.GetLength() == 0)
      name.SetAnsiCText(document.GetDefaultFontName().c_str());
    port.SetFontName(name);
    port.SetFontSize(size, false);
    const RunFont measured{VSystemServices::GetFontNumber(name), int16_t(port.GetFontSize()),
                           port.GetFontAscent()};
    return runFonts.emplace(std::make_pair(font, size), measured).first->second;
  };
  auto writeRun = [&]() {
    ++count;
    styles.SetPosition(countAt);
    styles.PutWord(int16_t(count));
    styles.SetPosition(styles.GetSize());
    const int32_t size = run.GetProperty(kPropSize);
    const RunFont& font = runFont(run.GetProperty(kPropFont), size);
    const int32_t vertical = run.GetProperty(kPropVerticalPosition);
    const uint8_t face = (run.GetProperty(kPropBold) ? kStyleFaceBold : 0) |
                         (run.GetProperty(kPropItalic) ? kStyleFaceItalic : 0) |
                         (run.GetProperty(kPropUnderline) ? kStyleFaceUnderline : 0) |
                         (run.GetProperty(kPropShadow) ? kStyleFaceShadow : 0) |
                         (vertical == 1   ? kStyleFaceSuperscript
                          : vertical == 2 ? kStyleFaceSubscript
                                          : 0);
    const uint32_t colour = uint32_t(run.GetProperty(kPropTextColour));
    styles.PutLong(int32_t(written));
    styles.PutWord(font.size);
    styles.PutWord(font.ascent);
    styles.PutWord(font.number);
    styles.PutByte(face);
    styles.PutByte(0);
    styles.PutWord(int16_t(size));
    styles.PutWord(int16_t((colour & 0xFF) << 8));
    styles.PutWord(int16_t(((colour >> 8) & 0xFF) << 8));
    styles.PutWord(int16_t(((colour >> 16) & 0xFF) << 8));
    changed = false;
  };
  auto character = [&](char16_t unit) {
    if (changed) {
      flushText();
      writeRun();
    }
    pending.push_back(unit);
  };

  const uint8_t* stream = engine.LockStream();
  const uint32_t bytesInUse = engine.GetStreamSize();
  if (to > bytesInUse) to = bytesInUse;
  // The unit of the item before, 0 when it was no unit.
  uint16_t previous = 0;
  for (uint32_t at = from; stream != nullptr && at < to;) {
    const StreamItem item = ReadStreamItem(stream + at, bytesInUse - at);
    const uint16_t before = previous;
    previous = item.kind == StreamItem::kUnit ? item.unit : 0;
    if (item.kind == StreamItem::kUnit) {
      // A surrogate pair is one character, which the Macintosh set lacks:
      // one "?", not one for each half. (A unit from 0xDC00 on after it is
      // a unit, never the 0 that starts a record.)
      const bool pairEnd = IsLowSurrogateUnit(item.unit) && IsHighSurrogateUnit(before);
      const bool pairStart = IsHighSurrogateUnit(item.unit) && at + 4 <= to &&
                             IsLowSurrogateUnit(StreamUnit(stream + at + 2));
      if (!pairEnd) character(pairStart ? u'?' : item.unit);
    } else if (item.kind == StreamItem::kRecord) {
      switch (item.unit) {
        case kPropBold:
        case kPropItalic:
        case kPropShadow:
        case kPropUnderline:
        case kPropVerticalPosition:
        case kPropFont:
        case kPropSize:
        case kPropTextColour:
          run.SetProperty(item.unit, int32_t(item.value));
          changed = true;
          break;
        default: break;
      }
    } else if (item.unit == xMorvaElementCode::Tab) {
      character(kStylUnitTab);
    } else if (item.unit == xMorvaElementCode::SoftHyphen) {
      character(kStylUnitSoftHyphen);
      at += item.size;
      continue;
    }
    at += item.skipSize;
  }
  if (stream != nullptr) engine.UnlockStream();
  flushText();
  const int16_t a = text.GetStatus();
  const int16_t b = styles.GetStatus();
  return (a == 0 || a == kStreamEndOfData) && (b == 0 || b == kStreamEndOfData);
}
