// The debug view of a text flow: the element dump and the line table.
#include "engine/xMorvaDebugView.h"

#include <string>

#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaLines.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"

namespace {

// The property names: item id + 1 of this list of the package.
constexpr int16_t kPropertyNames = 1;
constexpr int32_t kRowHeight = 20;
constexpr int32_t kDumpLeft = 5;
constexpr int32_t kDumpTop = 25;
constexpr double kDumpSize = 10;

void DrawAt(VPort& port, int32_t x, int32_t y, const std::string& text) {
  VStr<255> line;
  line.AppendCText(text.c_str(), kCharSetAnsi);
  port.MoveTo(x, y, true);
  port.DrawString(line);
}

// Text drawn bit after bit along rows.
class DumpWriter {
 public:
  explicit DumpWriter(VPort& port) : fPort(port) { fPort.MoveTo(kDumpLeft, fY, true); }
  void Write(const std::string& text) {
    VStr<255> bit;
    bit.AppendCText(text.c_str(), kCharSetAnsi);
    fPort.DrawString(bit);
  }
  void Write(const VString& text) { fPort.DrawString(text); }
  void Unit(char16_t unit) {
    VStr<1> bit;
    bit.AppendUniChar(unit);
    fPort.DrawString(bit);
  }
  void NewRow() {
    fY += kRowHeight;
    fPort.MoveTo(kDumpLeft, fY, true);
  }

 private:
  VPort& fPort;
  int32_t fY = kDumpTop;
};

const char* LeaderText(uint8_t leader) {
  switch (leader) {
    case 0: return ", no leading";
    case 45: return ", hatched leading";
    case 46: return ", dotted leading";
    case 95: return ", continuous leading";
    default: return "";
  }
}

const char* KindText(uint8_t kind) {
  switch (kind) {
    case 0: return ", none";
    case 1: return ", left";
    case 2: return ", centered";
    case 3: return ", right";
    case 4: return ", decimal";
    default: return "";
  }
}

const char* ElementWord(uint16_t code) {
  switch (code) {
    case xMorvaElementCode::Tab: return "tab ";
    case xMorvaElementCode::Pict: return "pict ";
    case xMorvaElementCode::PageNumber: return "PageNumber ";
    case xMorvaElementCode::ExprQv: return "ExprQv ";
    case xMorvaElementCode::SoftHyphen: return "SoftHyphen";
    case xMorvaElementCode::ColBreak: return "ColBreak ";
    case xMorvaElementCode::PageBreak: return "PageBreak ";
    case xMorvaElementCode::DateTime: return "DateTime ";
    default: return "Unknow property ";
  }
}

}  // namespace

void DrawDebugView(VPort& port, xMorvaEngine& engine, const xMorvaLines& lines) {
  if (VSystemServices::IsShiftDown())
    DrawLineTableDump(port, lines);
  else
    DrawElementDump(port, engine);
}

void DrawLineTableDump(VPort& port, const xMorvaLines& lines) {
  const int32_t count = lines.GetLineCount();
  // The paragraph end of each line: the offset after the last line of its
  // paragraph, found by walking back from each paragraph's end.
  uint64_t offset = 0;
  int32_t paragraphFirst = 0;
  std::vector<uint64_t> ends(size_t(count), 0);
  for (int32_t i = 0; i < count; ++i) {
    const xMorvaLineRecord& line = lines.GetLine(i);
    offset += line.bytes;
    if ((line.flags & (kLineLastOfParagraph | kLineLastOfText)) != 0 || i == count - 1) {
      for (int32_t j = paragraphFirst; j <= i; ++j) ends[size_t(j)] = offset;
      paragraphFirst = i + 1;
    }
  }
  for (int32_t i = 0; i < count; ++i) {
    const xMorvaLineRecord& line = lines.GetLine(i);
    const int32_t y = kRowHeight + i * kRowHeight;
    DrawAt(port, 10, y, "line : " + std::to_string(i));
    DrawAt(port, 60, y, "nbchars : " + std::to_string(line.positions));
    DrawAt(port, 200, y, "EndOfBlock : " + std::to_string(ends[size_t(i)]));
    DrawAt(port, 300, y, "Size : " + std::to_string(line.bytes));
    DrawAt(port, 350, y, "Height : " + std::to_string(line.height));
    DrawAt(port, 400, y, "Ascent : " + std::to_string(line.ascent));
  }
}

void DrawElementDump(VPort& port, xMorvaEngine& engine) {
  VStr<63> courier;
  courier.AppendCText("Courier", kCharSetAnsi);
  port.SetFontName(courier);
  port.SetFontSize(kDumpSize, false);
  DumpWriter out(port);
  xMorvaEngineHost* host = xMorvaEngineHostService::Get();
  const uint32_t paragraphStart = engine.GetParagraphStartOffset();
  const uint32_t paragraphEnd = engine.GetParagraphEndOffset();
  const uint32_t selStart = engine.GetSelStartOffset();
  const uint32_t selEnd = engine.GetSelEndOffset();
  auto marks = [&](uint32_t at) {
    if (at == paragraphStart) out.Write("< ");
    if (at == selStart) out.Write("[ ");
    if (at == selEnd) out.Write("] ");
    if (at == paragraphEnd) out.Write("> ");
  };
  const uint8_t* stream = engine.LockStream();
  const uint32_t size = stream != nullptr ? engine.GetStreamSize() : 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    marks(at);
    if (item.kind == StreamItem::kUnit) {
      if (item.unit == kUnitParagraphEnd) {
        out.Write("<CR>");
        out.NewRow();
      } else {
        out.Unit(item.unit);
      }
    } else if (item.kind == StreamItem::kRecord && item.unit == kPropTabs) {
      out.Write("tabulation, pos:" + std::to_string(TabStopPosition(item.value)) +
                LeaderText(TabStopLeader(item.value)) + KindText(TabStopKind(item.value)) + " ");
    } else if (item.kind == StreamItem::kRecord) {
      VStr<255> name;
      if (host != nullptr && item.unit < kFirstElementCode) host->GetPackageString(kPropertyNames, int16_t(item.unit + 1), name);
      if (name.GetLength() == 0) name.AppendCText(("property " + std::to_string(item.unit)).c_str(), kCharSetAnsi);
      out.Write(name);
      out.Write(':' + std::to_string(int32_t(item.value)) + ' ');
    } else {
      out.Write(ElementWord(item.unit));
    }
    // Elements are skipped whole: the dump shows the stream, not the text.
    at += item.size;
  }
  marks(size);
  if (stream != nullptr) engine.UnlockStream();
}
