// Fuzz target of editing: the input is a sequence of edits of a document
// over real engines (typing on both paths, paragraph ends, deletions,
// properties, tab stops, tabs, soft hyphens, breaks, page numbers, case
// changes, find and replace, header and footer parts, copying and pasting
// 'xMo7', undo and redo). After every edit each part's lines and the
// body's pages equal a whole composition made apart, every line ends where
// an item ends (or in a computed element's text) with the positions a walk
// over the stream counts there, a body item's page is the same by its
// position and by its offset, and the body's page
// numbers show their pages as laying out each of their lines anew does;
// each part saves as 'wENG' and loads again with the same text,
// undamaged, and its stream needs no repair; at the end, undoing
// everything gives the first bytes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

// With EDIT_SEQUENCE_TRACE set, each edit and each part's stream are
// printed, to read a finding by.
const bool kTrace = std::getenv("EDIT_SEQUENCE_TRACE") != nullptr;

#define Check(condition)                                                     \
  do {                                                                       \
    if (!(condition)) {                                                      \
      if (kTrace) std::fprintf(stderr, "failed: %s (line %d)\n", #condition, __LINE__); \
      __builtin_trap();                                                      \
    }                                                                        \
  } while (0)

// Labels of the computed elements' source texts.
class Labels : public xMorvaAreaServices {
 public:
  void ShowAlert(int16_t, int16_t) override {}
  void GetListString(VString& text, int16_t, int16_t item) override {
    static const char* const kItems[] = {"", "<", ">", "page", "date", "pages"};
    text.AppendCText(item >= 1 && item <= 5 ? kItems[item] : "item", kCharSetAnsi);
  }
  VMemHandle CopyPackageResource(uint32_t) override { return 0; }
};

Bytes StreamOf(xMorvaEngine& engine) {
  const uint8_t* data = engine.LockStream();
  Bytes bytes = data != nullptr ? Bytes(data, data + engine.GetStreamSize()) : Bytes();
  engine.UnlockStream();
  return bytes;
}

void Trace(const char* what, const Bytes& bytes) {
  if (!kTrace) return;
  std::string text;
  for (uint32_t at = 0; at < bytes.size();) {
    const StreamItem item = ReadStreamItem(bytes.data() + at, uint32_t(bytes.size()) - at);
    if (item.kind == StreamItem::kUnit)
      text += item.unit == kUnitParagraphEnd ? '/' : item.unit < 128 ? char(item.unit) : '?';
    else if (item.kind == StreamItem::kRecord)
      text += "[" + std::to_string(item.unit) + "=" + std::to_string(int32_t(item.value)) + "]";
    else
      text += "{" + std::to_string(item.unit) + "}";
    at += item.size;
  }
  std::fprintf(stderr, "%s: %s\n", what, text.c_str());
}

// The text a reader sees: units, elements by their code.
std::u16string TextOf(const Bytes& bytes) {
  std::u16string text;
  for (uint32_t at = 0; at < bytes.size();) {
    const StreamItem item = ReadStreamItem(bytes.data() + at, uint32_t(bytes.size()) - at);
    if (item.kind != StreamItem::kRecord) text.push_back(item.unit);
    at += item.size;
  }
  return text;
}

// The same items; tabs' laid-out widths within rounding (typing narrows a
// tab by a unit's width instead of composing it again) and page numbers'
// texts free (layout writes them). A tab in a paragraph that holds a page
// number shows the width the number of its page leaves it, which
// pagination writes and a composition alone does not: its composed width
// is held to the rule, its shown width and leader count are free.
bool SameLayoutAt(const Bytes& a, const Bytes& b, uint32_t& where);
bool SameLayout(const Bytes& a, const Bytes& b) {
  uint32_t where = 0;
  if (SameLayoutAt(a, b, where)) return true;
  if (kTrace && a.size() == b.size() && where + 26 <= a.size()) {
    float wa[2] = {};
    float wb[2] = {};
    std::memcpy(wa, a.data() + where + kElementHeadSize, 8);
    std::memcpy(wb, b.data() + where + kElementHeadSize, 8);
    std::fprintf(stderr, "differs at item %u: code %u, shown/composed widths %.3f/%.3f and %.3f/%.3f\n", where,
                 StreamUnit(a.data() + where + 2), wa[0], wa[1], wb[0], wb[1]);
  }
  return false;
}
bool SameLayoutAt(const Bytes& a, const Bytes& b, uint32_t& where) {
  if (a.size() != b.size()) return false;
  // Whether the paragraph from `from` holds a page number.
  auto numbered = [&a](uint32_t from) {
    for (uint32_t at = from; at < a.size();) {
      const StreamItem item = ReadStreamItem(a.data() + at, uint32_t(a.size()) - at);
      if (item.kind == StreamItem::kUnit && item.unit == 13) return false;
      if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::PageNumber) return true;
      at += item.size;
    }
    return false;
  };
  bool numberedParagraph = numbered(0);
  for (uint32_t at = 0; at < a.size();) {
    where = at;
    const StreamItem item = ReadStreamItem(a.data() + at, uint32_t(a.size()) - at);
    if (item.kind == StreamItem::kUnit && item.unit == 13) numberedParagraph = numbered(at + item.size);
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Tab &&
        item.size >= kElementHeadSize + 14) {
      float wa[2];
      float wb[2];
      std::memcpy(wa, a.data() + at + kElementHeadSize, 8);
      std::memcpy(wb, b.data() + at + kElementHeadSize, 8);
      if ((!numberedParagraph && std::abs(wa[0] - wb[0]) > 0.01f) || std::abs(wa[1] - wb[1]) > 0.01f)
        return false;
      if (std::memcmp(a.data() + at, b.data() + at, kElementHeadSize) != 0) return false;
      // The kind and the leader, then the leader count the shown width
      // gives (free with it), then the rest.
      const uint32_t cache = at + kElementHeadSize;
      if (std::memcmp(a.data() + cache + 8, b.data() + cache + 8, 4) != 0) return false;
      if (!numberedParagraph && std::memcmp(a.data() + cache + 12, b.data() + cache + 12, 2) != 0) return false;
      if (std::memcmp(a.data() + cache + 14, b.data() + cache + 14, at + item.size - cache - 14) != 0)
        return false;
    } else if (!(item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::PageNumber) &&
               std::memcmp(a.data() + at, b.data() + at, item.size) != 0) {
      return false;
    }
    at += item.size;
  }
  return true;
}

class Session {
 public:
  Session() {
    document = std::make_unique<xMorvaDocument>(nullptr);
    layout = dynamic_cast<xMorvaDocumentLayout*>(document->GetLayout());
    Check(layout != nullptr);
  }

  xMorvaEngine& Engine(int16_t part) { return *static_cast<xMorvaEngine*>(document->GetPart(part)); }
  xMorvaEngine& Current() { return Engine(document->GetCurrentPartNumber()); }

  // Every page number of the body shows the number of the page its line
  // is on (or the page count), with the tabs around it as laying out each
  // numbered line anew for its page gives them.
  void CheckBodyPageNumbers(xMorvaFont& font) {
    xMorvaLines& lines = *layout->GetLines(kPartBody);
    const xMorvaPages& pages = layout->GetPages();
    const Bytes shown = StreamOf(Engine(kPartBody));
    uint32_t lineStart = 0;
    for (int32_t index = 0; index < lines.GetLineCount(); ++index) {
      const xMorvaLineRecord& line = lines.GetLine(index);
      if ((line.flags & kLineHasPageNumbers) != 0) {
        xMorvaLineRecord laidOut;
        lines.LayOutPageNumbers(font, lineStart, line, pages.FindPageForLine(index), laidOut);
      }
      lineStart += line.bytes;
    }
    const Bytes fresh = StreamOf(Engine(kPartBody));
    if (kTrace && fresh != shown) {
      Trace("numbers of a fresh layout", fresh);
      const auto differs = std::mismatch(fresh.begin(), fresh.end(), shown.begin(), shown.end());
      std::fprintf(stderr, "first difference at byte %td\n", differs.first - fresh.begin());
    }
    Check(fresh == shown);
  }

  // Every line ends where an item ends, or inside the visible text of a
  // computed element that is no break or soft hyphen (the element counting on the line
  // where its text ends), and the positions of the lines before a line
  // are those a walk over the stream counts up to it. A unit's or an
  // element's page is then the same by its position and by its offset.
  void CheckLineEnds(int16_t part) {
    const xMorvaLines& lines = *layout->GetLines(part);
    const Bytes bytes = StreamOf(Engine(part));
    const auto size = uint32_t(bytes.size());
    uint32_t at = 0;
    int32_t walked = 0;
    uint32_t lineEnd = 0;
    int32_t positions = 0;
    for (int32_t index = 0; index < lines.GetLineCount(); ++index) {
      lineEnd += lines.GetLine(index).bytes;
      positions += lines.GetLine(index).positions;
      while (at < lineEnd && at < size) {
        const StreamItem item = ReadStreamItem(bytes.data() + at, size - at);
        if (at + item.size > lineEnd) {
          Check(item.kind == StreamItem::kElement && item.unit >= kFirstComputedCode && !IsBreakCode(item.unit) &&
                item.unit != xMorvaElementCode::SoftHyphen && lineEnd >= at + item.skipSize);
          break;
        }
        if (item.kind != StreamItem::kRecord) ++walked;
        at += item.size;
      }
      if (kTrace && walked != positions)
        std::fprintf(stderr, "part %d line %d ends at %u: %d positions by the records, %d by the stream\n", part,
                     index, lineEnd, positions, walked);
      Check(walked == positions);
    }
    if (part != kPartBody) return;
    const xMorvaPages& pages = layout->GetPages();
    int32_t position = 0;
    for (uint32_t offset = 0; offset < size;) {
      const StreamItem item = ReadStreamItem(bytes.data() + offset, size - offset);
      // Not a computed element whose text a line may break: it counts on
      // the line where its text ends.
      const bool whole = item.kind == StreamItem::kUnit ||
                         (item.kind == StreamItem::kElement &&
                          (item.unit < kFirstComputedCode || IsBreakCode(item.unit) ||
                           item.unit == xMorvaElementCode::PageNumber));
      if (whole) {
        uint32_t bytesBefore = 0;
        int32_t y = 0, linesBefore = 0, positionsBefore = 0, column = 0;
        Check(pages.FindPageForOffset(offset, bytesBefore, y, linesBefore, positionsBefore, column) + 1 ==
              pages.FindPageForPosition(position));
      }
      if (item.kind != StreamItem::kRecord) ++position;
      offset += item.size;
    }
  }

  // A text's bytes put back as they were (the same size): what a check
  // composed apart wrote into its elements is not the layout's.
  void PutBack(int16_t part, const Bytes& bytes) {
    xMorvaEngine& engine = Engine(part);
    Check(engine.GetStreamSize() == bytes.size());
    if (bytes.empty()) return;
    uint8_t* data = engine.LockStream();
    Check(data != nullptr);
    std::memcpy(data, bytes.data(), bytes.size());
    engine.UnlockStream();
  }

  // Every part's lines and the body's pages equal a whole composition.
  void CheckLayout() {
    Check(layout->Update() == 0);
    xMorvaFont font(document->GetMeasuringPort(), document.get());
    font.SetShowMarks(document->GetParams().GetViewFlag(15) != 0);
    font.SetViewMode(document->GetParams().GetViewMode());
    CheckBodyPageNumbers(font);
    for (int16_t part = 0; part < kPartCount; ++part) {
      const xMorvaLines& lines = *layout->GetLines(part);
      if (part == document->GetCurrentPartNumber()) Trace("laid out", StreamOf(Engine(part)));
      Check(lines.CheckSums());
      CheckLineEnds(part);
      xMorvaLines whole(document.get(), layout->GetEngine(part), part, 4);
      const Bytes laidOut = StreamOf(Engine(part));
      Check(whole.ComposeAll(font) == 0);
      if (kTrace) {
        for (int32_t i = 0; i < std::max(whole.GetLineCount(), lines.GetLineCount()); ++i) {
          const xMorvaLineRecord* a = i < lines.GetLineCount() ? &lines.GetLine(i) : nullptr;
          const xMorvaLineRecord* b = i < whole.GetLineCount() ? &whole.GetLine(i) : nullptr;
          std::fprintf(stderr, "part %d line %d: kept %u %d %x %.2f, whole %u %d %x %.2f\n", part, i,
                       a ? a->bytes : 0, a ? a->positions : 0, a ? a->flags : 0, a ? a->width : 0.0f,
                       b ? b->bytes : 0, b ? b->positions : 0, b ? b->flags : 0, b ? b->width : 0.0f);
        }
      }
      Check(SameLayout(laidOut, StreamOf(Engine(part))));
      PutBack(part, laidOut);
      Check(whole.GetLineCount() == lines.GetLineCount());
      for (int32_t i = 0; i < whole.GetLineCount(); ++i) {
        const xMorvaLineRecord& a = lines.GetLine(i);
        const xMorvaLineRecord& b = whole.GetLine(i);
        Check(a.bytes == b.bytes && a.positions == b.positions && a.flags == b.flags &&
              a.height == b.height && a.ascent == b.ascent && a.spaces == b.spaces &&
              a.tabs == b.tabs && a.available == b.available);
        Check(std::abs(a.width - b.width) <= 0.01f);
      }
      Check(whole.GetTotalHeight() == lines.GetTotalHeight());
      if (part != kPartBody) continue;
      xMorvaPages pages(document.get(), &whole);
      Check(pages.ComputePageBreaks(0) == 0);
      const xMorvaPages& kept = layout->GetPages();
      Check(pages.GetPageCount() == kept.GetPageCount());
      for (int32_t p = 0; p < pages.GetPageCount(); ++p) Check(pages.GetPage(p) == kept.GetPage(p));
    }
  }

  // Each part saves and loads with its text, undamaged, and its stream is
  // one the load's repair leaves as it is.
  void CheckStorage() {
    const std::vector<int16_t> ids = document->StyleSheetIds();
    const std::vector<int32_t> sheets(ids.begin(), ids.end());
    const int32_t fonts = document->GetFontCount();
    for (int16_t part = 0; part < kPartCount; ++part) {
      xMorvaEngine& engine = Engine(part);
      const Bytes bytes = StreamOf(engine);
      if (part == document->GetCurrentPartNumber()) Trace("stream", bytes);
      bool written = false;
      const Bytes saved =
          WrittenBytes([&](VStream& stream) { return engine.WriteResource(stream); }, false, &written);
      Check(written);
      xMorvaEngine loaded(nullptr, xMorvaEngine::kPartGranule);
      bool damaged = true;
      Check(loaded.LoadResourceBytes(saved.data(), uint32_t(saved.size()), sheets, fonts, damaged));
      Check(!damaged);
      Check(TextOf(StreamOf(loaded)) == TextOf(bytes));

      xMorvaEngine copy(nullptr, xMorvaEngine::kPartGranule);
      if (!bytes.empty()) Check(copy.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())) == 0);
      copy.SetLength(int32_t(copy.RecountPositions()));
      Check(copy.GetLength() == engine.GetLength());
      copy.RepairStream(fonts, sheets, damaged);
      Check(!damaged);
      // Only page numbers' texts may change (the repair shows placeholders).
      Check(SameLayout(StreamOf(copy), bytes));
    }
  }

  std::unique_ptr<xMorvaDocument> document;
  xMorvaDocumentLayout* layout = nullptr;
};

// A range of the current part from two choices.
void Select(Session& session, FuzzInput& input, bool range) {
  xMorvaTextInterface* part = session.document->GetCurrentPart();
  const int32_t length = part->GetLength();
  const int32_t start = int32_t(input.TakeByte() * (length + 1) / 256);
  const int32_t end = range ? std::min(length, start + input.TakeByte() % 64) : start;
  part->SetSelection(start, end);
}

void Edit(Session& session, FuzzInput& input) {
  xMorvaDocument& document = *session.document;
  xMorvaTextInterface* part = document.GetCurrentPart();
  xMorvaUndo& undo = *document.GetUndo();
  const uint8_t op = input.TakeByte();
  if (kTrace) std::fprintf(stderr, "edit %d (%d) in part %d\n", op % 20, op, document.GetCurrentPartNumber());
  switch (op % 20) {
    case 0:
    case 1:
    case 2: {
      // Keystrokes at one place: the fast path where the line takes them.
      static const char16_t kKeys[] = u"abcdefghijklmnopqrstuvwxyz     -WMi.,";
      if ((op & 0x80) != 0) Select(session, input, (op & 0x40) != 0);
      for (int n = (op >> 5) % 4 + 1; n > 0; --n) {
        document.TypeCharacter(kKeys[input.TakeByte() % (sizeof kKeys / sizeof kKeys[0] - 1)]);
        if (kTrace) std::fprintf(stderr, "typed %s\n", document.LastTypingWasFast() ? "fast" : "slow");
        if (n > 1) session.CheckLayout();
      }
      break;
    }
    case 3:
      Select(session, input, (op & 0x80) != 0);
      document.BeginChange();
      part->InsertParagraphEndWithUndo();
      document.EndChange();
      break;
    case 4:
      Select(session, input, true);
      document.BeginChange();
      part->DeleteSelectionWithUndo();
      document.EndChange();
      break;
    case 5: {
      static const uint16_t kIds[] = {kPropSize,       kPropBold,           kPropAlignment, kPropInterline,
                                      kPropLeftIndent, kPropFirstLineIndent, kPropTopBorder, kPropItalic,
                                      kPropRightIndent, kPropBorderSpacing, kPropLeftBorder, kPropUnderline};
      // A value each property takes on, and one it goes back to.
      static const int32_t kOn[] = {24, 1, 2, 20, 40, 25, 1, 1, 30, 4, 1, 1};
      static const int32_t kOff[] = {9, 0, 0, 10, 0, -10, 0, 0, 0, 0, 0, 0};
      const uint8_t which = input.TakeByte() % (sizeof kIds / sizeof kIds[0]);
      Select(session, input, (op & 0x80) != 0);
      document.BeginChange();
      part->SetPropertyWithUndo(kIds[which], (op & 0x40) != 0 ? kOn[which] : kOff[which]);
      document.EndChange();
      break;
    }
    case 6: {
      xMorvaTabs tabs;
      for (int n = (op >> 5) % 4; n > 0; --n) {
        const uint8_t b = input.TakeByte();
        tabs.AddStop(MakeTabStop(int16_t(48 + 24 * (b % 20)), (b & 0x80) != 0 ? '.' : 0, uint8_t(1 + (b >> 5) % 4)));
      }
      Select(session, input, (op & 0x80) != 0);
      document.BeginChange();
      part->SetTabsWithUndo(tabs);
      document.EndChange();
      break;
    }
    case 7:
      Select(session, input, false);
      document.BeginChange();
      session.Current().InsertTabWithUndo();
      document.EndChange();
      break;
    case 8:
      // The special elements' commands: soft hyphen, page and column break.
      Select(session, input, (op & 0x80) != 0);
      document.DoCommand((op >> 5) % 3 == 0 ? 404 : (op >> 5) % 3 == 1 ? 406 : 410);
      break;
    case 9:
      Select(session, input, false);
      document.BeginChange();
      session.Current().InsertPageNumberField((op & 0x80) != 0 ? 1u : 0u, true);
      document.EndChange();
      break;
    case 10:
      Select(session, input, true);
      document.BeginChange();
      part->ChangeCaseWithUndo(int16_t((op >> 5) % 4));
      document.EndChange();
      break;
    case 11: {
      static const char16_t* const kFound[] = {u"text", u"lines", u"a", u"wide-ish", u"e"};
      static const char16_t* const kReplacements[] = {u"", u"x", u"longer words here", u"T\rU"};
      xMorvaFindReplaceParameters parameters;
      parameters.findText.SetUniCText(kFound[input.TakeByte() % 5]);
      parameters.replaceText.SetUniCText(kReplacements[input.TakeByte() % 4]);
      parameters.wholeWord = uint8_t((op >> 7) & 1);
      if ((op & 0x40) != 0) {
        document.ReplaceAll(parameters);
      } else if (document.FindNext(parameters)) {
        document.ReplaceNext(parameters);
      }
      break;
    }
    case 12:
      if ((op & 0x80) != 0)
        document.SelectBody();
      else
        document.SetCurrentPart(int16_t(1 + (op >> 4) % 6));
      break;
    case 13: {
      // Copy a range as 'xMo7' and paste it elsewhere.
      Select(session, input, true);
      const VMemHandle copied = session.Current().WriteStream(document);
      Select(session, input, (op & 0x80) != 0);
      if (copied != 0) {
        document.PasteStreamHandle(copied, true);
        gMemoryMgr->DisposeHandle(copied);
      }
      break;
    }
    case 14:
    case 15:
      undo.Undo();
      break;
    case 16:
      undo.Redo();
      break;
    default:
      Select(session, input, (op & 0x80) != 0);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static xMorvaDocumentEngineServices engines;
  static VInstalledService<xMorvaEngineServices> installedEngines(&engines);
  static xMorvaTextTransferEngine transfer;
  static VInstalledService<xMorvaTextTransferServices> installedTransfer(&transfer);
  static Labels labels;
  static VInstalledService<xMorvaAreaServices> installedLabels(&labels);
  static bool words = [] {
    uint8_t table[8192] = {};
    for (char16_t c = 0; c < 128; ++c) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) table[c >> 3] |= 1 << (c & 7);
    }
    SetWordCharacters(table);
    return true;
  }();
  (void)words;
  if (size > 400) return 0;  // a few dozen edits: each is checked whole

  FuzzInput input(data, size);
  Session session;
  xMorvaDocument& document = *session.document;
  // A first text of a few paragraphs, on small pages so that edits move
  // page breaks.
  static const char16_t* const kWords[] = {u"a",     u"text",   u"of",     u"several", u"words",
                                           u"which", u"breaks", u"across", u"lines",   u"and",
                                           u"pages", u"now",    u"wide-ish", u"x"};
  std::u16string text;
  const uint8_t shape = input.TakeByte();
  for (int p = 0; p < 1 + shape % 6; ++p) {
    for (int w = 3 + (shape >> 3) % 4 * 9 + p; w > 0; --w) {
      text += kWords[(w * 7 + p * 3 + shape) % 14];
      text += w > 1 ? u" " : u"";
    }
    text += u"\r";
  }
  document.GetUndo()->Suspend();
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(uint8_t(unit));
    bytes.push_back(uint8_t(unit >> 8));
  }
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
  Check(document.GetCurrentPart()->InsertHandle(handle, int32_t(text.size())) == 0);
  gMemoryMgr->DisposeHandle(handle);
  document.GetUndo()->Resume();
  document.GetCurrentPart()->SetSelection(0, 0);
  document.Params().SetPageSize(document.GetParams().GetPageWidth(),
                                document.GetParams().GetBands(false).topMargin +
                                    document.GetParams().GetBands(false).bottomMargin + 120);
  session.CheckLayout();
  std::vector<Bytes> first;
  for (int16_t part = 0; part < kPartCount; ++part) first.push_back(StreamOf(session.Engine(part)));

  while (input.RestSize() > 0) {
    Edit(session, input);
    session.CheckLayout();
    session.CheckStorage();
  }

  document.SelectBody();
  xMorvaUndo& undo = *document.GetUndo();
  for (int step = 0; step < 2000 && undo.CanUndo(); ++step) undo.Undo();
  session.CheckLayout();
  for (int16_t part = 0; part < kPartCount; ++part) Check(SameLayout(StreamOf(session.Engine(part)), first[size_t(part)]));
  return 0;
}
