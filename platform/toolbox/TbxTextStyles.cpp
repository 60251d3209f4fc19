// TextEdit's style runs and its style scrap.
#include "platform/toolbox/TbxTextStyles.h"

#include <algorithm>
#include <cstring>

namespace Tbx {

TextEditRuns::TextEditRuns(const TextEditStyle& style) { fRuns.push_back({0, style}); }

size_t TextEditRuns::RunIndexAt(int32_t offset) const {
  size_t i = 0;
  while (i + 1 < fRuns.size() && fRuns[i + 1].start <= offset) ++i;
  return i;
}

const TextEditStyle& TextEditRuns::StyleAt(int32_t offset) const { return fRuns[RunIndexAt(offset)].style; }

void TextEditRuns::Reset(const TextEditStyle& style) { fRuns.assign(1, TextEditRun{0, style}); }

void TextEditRuns::Split(int32_t at) {
  if (at <= 0 || at >= fLength) return;
  const size_t i = RunIndexAt(at);
  if (fRuns[i].start == at) return;
  fRuns.insert(fRuns.begin() + std::ptrdiff_t(i) + 1, TextEditRun{at, fRuns[i].style});
}

void TextEditRuns::Merge() {
  std::vector<TextEditRun> merged;
  merged.reserve(fRuns.size());
  for (const TextEditRun& run : fRuns) {
    // Runs past the text carry no characters (an empty text keeps one).
    if (!merged.empty() && run.start >= fLength) break;
    if (!merged.empty() && run.start <= merged.back().start) {
      merged.back().style = run.style;  // an emptied run gives way
    } else if (merged.empty() || !(merged.back().style == run.style)) {
      merged.push_back(run);
    }
    if (merged.size() >= 2 && merged[merged.size() - 2].style == merged.back().style) merged.pop_back();
  }
  merged.front().start = 0;
  fRuns = std::move(merged);
}

void TextEditRuns::Replace(int32_t start, int32_t end, int32_t count, const TextEditStyle& style) {
  start = std::clamp(start, 0, fLength);
  end = std::clamp(end, start, fLength);
  count = std::max(count, 0);
  const int32_t delta = count - (end - start);
  const TextEditStyle first = StyleAt(start);
  std::vector<TextEditRun> runs;
  for (const TextEditRun& run : fRuns)
    if (run.start < start) runs.push_back(run);
  if (count > 0) runs.push_back({start, style});
  if (end < fLength) {
    const size_t i = RunIndexAt(end);
    runs.push_back({end + delta, fRuns[i].style});
    for (size_t j = i + 1; j < fRuns.size(); ++j) runs.push_back({fRuns[j].start + delta, fRuns[j].style});
  }
  // An emptied text keeps the style of what was deleted first.
  if (runs.empty()) runs.push_back({0, first});
  fRuns = std::move(runs);
  fLength += delta;
  Merge();
}

void TextEditRuns::Apply(int32_t start, int32_t end, int16_t mode, const TextEditStyle& style) {
  start = std::clamp(start, 0, fLength);
  end = std::clamp(end, start, fLength);
  if (start == end && fLength > 0) return;
  uint8_t toggled = 0;
  if ((mode & kStyleToggle) != 0 && (mode & kStyleFace) != 0) {
    int16_t m = kStyleFace;
    TextEditStyle common;
    Continuous(start, end, m, common);
    toggled = (common.face & style.face) == style.face && style.face != 0 ? 1 : 0;
  }
  Split(start);
  Split(end);
  for (TextEditRun& run : fRuns) {
    const size_t i = size_t(&run - fRuns.data());
    const int32_t runEnd = i + 1 < fRuns.size() ? fRuns[i + 1].start : fLength;
    if (fLength > 0 && (run.start < start || runEnd > end || run.start >= end)) continue;
    TextEditStyle& s = run.style;
    if ((mode & kStyleFont) != 0) s.font = style.font;
    if ((mode & kStyleFace) != 0) {
      if ((mode & kStyleToggle) != 0) s.face = toggled != 0 ? uint8_t(s.face & ~style.face) : uint8_t(s.face | style.face);
      else s.face = style.face;
    }
    if ((mode & kStyleAddSize) != 0) s.size = int16_t(std::clamp(s.size + style.size, 1, 32767));
    else if ((mode & kStyleSize) != 0) s.size = style.size;
    if ((mode & kStyleColor) != 0) s.color = style.color;
  }
  Merge();
}

bool TextEditRuns::Continuous(int32_t start, int32_t end, int16_t& mode, TextEditStyle& style) const {
  start = std::clamp(start, 0, fLength);
  end = std::clamp(end, start, fLength);
  // A caret answers the style of the character before it.
  const int32_t first = start == end ? std::max(0, start - 1) : start;
  const size_t from = RunIndexAt(first);
  style = fRuns[from].style;
  int16_t varies = 0;
  for (size_t i = from + 1; i < fRuns.size() && fRuns[i].start < end; ++i) {
    const TextEditStyle& s = fRuns[i].style;
    if (s.font != style.font) varies |= kStyleFont;
    if (s.face != style.face) varies |= kStyleFace;
    style.face &= s.face;
    if (s.size != style.size) varies |= kStyleSize;
    if (!(s.color.red == style.color.red && s.color.green == style.color.green && s.color.blue == style.color.blue))
      varies |= kStyleColor;
  }
  const int16_t asked = mode;
  mode = int16_t(asked & ~varies);
  return (asked & varies) == 0;
}

std::vector<uint8_t> TextEditRuns::Scrap(int32_t start, int32_t end, int16_t lineHeight, int16_t ascent) const {
  start = std::clamp(start, 0, fLength);
  end = std::clamp(end, start, fLength);
  std::vector<TextEditRun> picked;
  for (size_t i = RunIndexAt(start); i < fRuns.size(); ++i) {
    if (fRuns[i].start >= end && !picked.empty()) break;
    picked.push_back({std::max(fRuns[i].start, start) - start, fRuns[i].style});
  }
  std::vector<uint8_t> out(kScrapHeaderSize + picked.size() * kScrapElementSize, 0);
  const auto count = int16_t(picked.size());
  std::memcpy(out.data(), &count, 2);
  for (size_t i = 0; i < picked.size(); ++i) {
    uint8_t* e = out.data() + kScrapHeaderSize + i * kScrapElementSize;
    const TextEditStyle& s = picked[i].style;
    std::memcpy(e, &picked[i].start, 4);
    std::memcpy(e + 4, &lineHeight, 2);
    std::memcpy(e + 6, &ascent, 2);
    std::memcpy(e + 8, &s.font, 2);
    e[10] = s.face;
    std::memcpy(e + 12, &s.size, 2);
    std::memcpy(e + 14, &s.color, 6);
  }
  return out;
}

bool TextEditRuns::UseScrap(int32_t start, int32_t end, const uint8_t* scrap, size_t size) {
  if (scrap == nullptr || size < kScrapHeaderSize) return false;
  int16_t count = 0;
  std::memcpy(&count, scrap, 2);
  if (count < 0 || kScrapHeaderSize + size_t(count) * kScrapElementSize > size) return false;
  start = std::clamp(start, 0, fLength);
  end = std::clamp(end, start, fLength);
  for (int16_t i = 0; i < count; ++i) {
    const uint8_t* e = scrap + kScrapHeaderSize + size_t(i) * kScrapElementSize;
    int32_t from = 0;
    std::memcpy(&from, e, 4);
    int32_t to = end - start;
    if (i + 1 < count) std::memcpy(&to, e + kScrapElementSize, 4);
    TextEditStyle s;
    std::memcpy(&s.font, e + 8, 2);
    s.face = e[10];
    std::memcpy(&s.size, e + 12, 2);
    std::memcpy(&s.color, e + 14, 6);
    const int64_t a = int64_t(start) + std::max(0, from);
    const int64_t b = int64_t(start) + std::max(0, to);
    if (a >= end) break;
    Apply(int32_t(a), int32_t(std::min<int64_t>(b, end)), kStyleAll, s);
  }
  return true;
}

}  // namespace Tbx
