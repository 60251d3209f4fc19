// DrawTextExA: text laid out in a rectangle, line by line (breaks at CR, LF
// and, with DT_WORDBREAK, between words), measured with DT_CALCRECT or drawn
// in the DC's font and colours, with mnemonic prefixes as the system shows them.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/gdi/GdiFont.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiText.h"
#include "platform/gdi/fonts/GdiFontInstance.h"

namespace {

constexpr UINT kNoPrefix = 0x0800;  // DT_NOPREFIX

struct Line {
  size_t begin;
  size_t end;
  int64_t width;
};

bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

int64_t WidthOf(const std::vector<int32_t>& advances, size_t begin, size_t end) {
  int64_t width = 0;
  for (size_t i = begin; i < end; ++i) width += advances[i];
  return width;
}

// Splits [begin, end) of one paragraph into lines no wider than `limit` where
// a space allows; a word wider than the limit stands alone, or with
// DT_EDITCONTROL is cut where it reaches the edge.
void WrapParagraph(const std::u16string& units, const std::vector<int32_t>& advances, size_t begin,
                   size_t end, int64_t limit, bool cutWords, std::vector<Line>* lines) {
  size_t pos = begin;
  if (pos == end) {
    lines->push_back({begin, end, 0});
    return;
  }
  while (pos < end) {
    int64_t width = 0;
    size_t reach = pos;  // the first unit that no longer fits
    while (reach < end && width + advances[reach] <= limit) width += advances[reach++];
    if (reach == end) {
      lines->push_back({pos, end, width});
      return;
    }
    size_t space = reach;
    while (space > pos && units[space] != u' ') --space;
    size_t lineEnd;
    size_t next;
    if (units[space] == u' ' && space > pos) {
      lineEnd = space;
      next = space;
    } else if (cutWords) {
      lineEnd = std::max(reach, pos + 1);
      next = lineEnd;
    } else {
      lineEnd = reach;
      while (lineEnd < end && units[lineEnd] != u' ') ++lineEnd;
      next = lineEnd;
    }
    // Spaces at the end of a line belong to no line.
    size_t trimmed = lineEnd;
    while (trimmed > pos && units[trimmed - 1] == u' ') --trimmed;
    lines->push_back({pos, trimmed, WidthOf(advances, pos, trimmed)});
    while (next < end && units[next] == u' ') ++next;
    pos = next;
  }
}

}  // namespace

int DrawTextExA(HDC dc, LPCSTR text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  if (!GdiDcFromHandle(dc)) return 0;
  if (!rect || count < -1 || (count != 0 && !text) ||
      (params && params->cbSize != sizeof(DRAWTEXTPARAMS))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = count == -1 ? std::strlen(text) : static_cast<size_t>(count);
  if (length > INT32_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool ok = false;
  GdiTextRun run = GdiTextRun::Measure(dc, text, false, static_cast<int64_t>(length), &ok);
  if (!ok) return 0;
  if (params) params->uiLengthDrawn = static_cast<UINT>(length);

  // Mnemonic prefixes: "&" marks the next character (drawn underlined) and
  // is not shown; "&&" shows one "&".
  std::u16string units;
  std::vector<int32_t> advances;
  std::vector<size_t> marked;
  for (size_t i = 0; i < run.units.size(); ++i) {
    if (!(format & kNoPrefix) && run.units[i] == u'&') {
      if (i + 1 < run.units.size() && run.units[i + 1] == u'&') {
        ++i;
      } else {
        if (i + 1 < run.units.size()) marked.push_back(units.size());
        continue;
      }
    }
    units.push_back(run.units[i]);
    advances.push_back(run.advances[i]);
  }

  auto clamp = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  RECT box = *rect;
  if (params) {
    box.left = clamp(int64_t{box.left} + params->iLeftMargin);
    box.right = clamp(int64_t{box.right} - params->iRightMargin);
  }
  const int64_t limit = int64_t{box.right} - box.left;

  std::vector<Line> lines;
  if (format & DT_SINGLELINE) {
    lines.push_back({0, units.size(), WidthOf(advances, 0, units.size())});
  } else if (!units.empty()) {
    size_t begin = 0;
    while (begin <= units.size()) {
      size_t end = begin;
      while (end < units.size() && !IsBreak(units[end])) ++end;
      if (format & DT_WORDBREAK) {
        WrapParagraph(units, advances, begin, end, limit, (format & DT_EDITCONTROL) != 0, &lines);
      } else {
        lines.push_back({begin, end, WidthOf(advances, begin, end)});
      }
      if (end == units.size()) break;
      // CR LF is one break.
      begin = end + ((units[end] == u'\r' && end + 1 < units.size() && units[end + 1] == u'\n') ? 2 : 1);
      if (begin == units.size()) break;
    }
  }

  const TEXTMETRICA& tm = run.font->Metrics();
  const int64_t lineHeight = tm.tmHeight;
  int64_t widest = 0;
  for (const Line& line : lines) widest = std::max(widest, line.width);
  const int64_t height = lineHeight * static_cast<int64_t>(lines.size());

  if (format & DT_CALCRECT) {
    rect->right = clamp(int64_t{box.left} + widest + (params ? params->iRightMargin : 0));
    rect->bottom = clamp(int64_t{rect->top} + height);
    return clamp(height);
  }

  int64_t top = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top = box.top + (int64_t{box.bottom} - box.top - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = int64_t{box.bottom} - lineHeight;
    }
  }
  const UINT clipping = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    int64_t y = top + lineHeight * static_cast<int64_t>(i);
    // An edit control does not show a line that the bottom edge would cut.
    if ((format & DT_EDITCONTROL) && i > 0 && y + lineHeight > box.bottom) break;
    int64_t x = box.left;
    if (format & DT_CENTER) {
      x = box.left + (limit - line.width) / 2;
    } else if (format & DT_RIGHT) {
      x = int64_t{box.right} - line.width;
    }
    const int64_t n = static_cast<int64_t>(line.end - line.begin);
    GdiDrawTextRun(dc, clamp(x), clamp(y), TA_LEFT | TA_TOP, clipping, &box,
                   units.data() + line.begin, true, n, advances.data() + line.begin);
    // The marked characters of the line: a line of the font's underline below each.
    for (size_t mark : marked) {
      if (mark < line.begin || mark >= line.end || IsBreak(units[mark])) continue;
      GdiDC* context = GdiDcFromHandle(dc);
      // A recording DC has no call for the mark; its text is recorded whole.
      if (!context || context->recorder) break;
      int64_t markX = x + WidthOf(advances, line.begin, mark);
      int64_t underline = y + tm.tmAscent + run.font->UnderlineTop();
      POINT a = GdiToDevice(*context, POINT{clamp(markX), clamp(underline)});
      POINT b = GdiToDevice(*context, POINT{clamp(markX + advances[mark]),
                                            clamp(underline + run.font->UnderlineThickness())});
      POINT c0 = GdiToDevice(*context, POINT{box.left, box.top});
      POINT c1 = GdiToDevice(*context, POINT{box.right, box.bottom});
      RECT markBox{a.x, a.y, b.x, b.y};
      RECT clipBox{c0.x, c0.y, c1.x, c1.y};
      GdiFillDeviceRect(*context, markBox, context->state.textColor, clipping ? &clipBox : nullptr);
    }
  }
  if (format & DT_SINGLELINE) return clamp(top - box.top + lineHeight);
  return clamp(height);
}
