// The rich-edit control's text, formats, selection, undo level and RTF.
#include "platform/richedit/RichEditText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/win32/WinLocale.h"

namespace {

LONG Clamp(LONG value, LONG low, LONG high) { return std::max(low, std::min(value, high)); }

const DWORD kEffectBits[] = {CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE, CFE_OUTLINE, CFE_SHADOW};

// The attributes of `format` the mask names, applied over `base`.
RichFormat Applied(RichFormat base, const CHARFORMAT2A& format) {
  for (DWORD bit : kEffectBits) {
    if (format.dwMask & bit) base.effects = (base.effects & ~bit) | (format.dwEffects & bit);
  }
  if (format.dwMask & CFM_UNDERLINETYPE) {
    base.underlineType = format.bUnderlineType;
    base.effects = (base.effects & ~CFE_UNDERLINE) | (format.bUnderlineType != 0 ? CFE_UNDERLINE : 0);
  }
  if (format.dwMask & CFM_SIZE) base.height = Clamp(format.yHeight, 20, RichEditText::kMaxHeight);
  if (format.dwMask & CFM_COLOR) base.color = format.crTextColor & 0xFFFFFF;
  if (format.dwMask & CFM_BACKCOLOR && format.cbSize >= sizeof(CHARFORMAT2A)) base.back = format.crBackColor;
  if (format.dwMask & CFM_FACE) base.face.assign(format.szFaceName, strnlen(format.szFaceName, 31));
  return base;
}

}  // namespace

uint32_t RichEditText::Intern(const RichFormat& format) {
  for (uint32_t i = 0; i < fFormats.size(); ++i) {
    if (fFormats[i] == format) return i;
  }
  fFormats.push_back(format);
  return uint32_t(fFormats.size() - 1);
}

void RichEditText::Remember() {
  fUndo = fNow;
  fRedo.reset();
}

void RichEditText::GetSelection(LONG& start, LONG& end) const {
  start = fNow.selStart;
  end = fNow.selEnd;
}

const RichFormat& RichEditText::FormatAt(LONG position) const {
  if (position < 0 || position >= Length()) return fNow.insertion;
  return fFormats[fNow.formatOf[size_t(position)]];
}

void RichEditText::SetSelection(LONG start, LONG end) {
  const LONG length = Length();
  if (start < 0) {
    start = end = length;
  } else {
    if (end < 0 || end > length) end = length;
    start = std::min(start, length);
    if (end < start) std::swap(start, end);
  }
  fNow.selStart = start;
  fNow.selEnd = end;
  fNow.insertion = start > 0 ? FormatAt(start - 1) : (length > 0 ? FormatAt(0) : fNow.insertion);
}

void RichEditText::ReplaceSelection(const std::string& ansi, bool canUndo) {
  if (canUndo) Remember();
  State& s = fNow;
  const size_t start = size_t(s.selStart);
  const size_t count = size_t(s.selEnd - s.selStart);
  const uint32_t format = Intern(s.insertion);
  const uint8_t align = AlignmentAt(s.selStart);
  s.text.replace(start, count, ansi);
  s.formatOf.erase(s.formatOf.begin() + long(start), s.formatOf.begin() + long(start + count));
  s.formatOf.insert(s.formatOf.begin() + long(start), ansi.size(), format);
  s.alignOf.erase(s.alignOf.begin() + long(start), s.alignOf.begin() + long(start + count));
  s.alignOf.insert(s.alignOf.begin() + long(start), ansi.size(), align);
  s.selStart = s.selEnd = LONG(start + ansi.size());
}

void RichEditText::GetCharFormat(CHARFORMAT2A& out) const {
  const UINT size = out.cbSize == sizeof(CHARFORMATA) ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
  std::memset(&out, 0, size);
  out.cbSize = size;
  const RichFormat& first = fNow.selStart < fNow.selEnd ? FormatAt(fNow.selStart) : fNow.insertion;
  DWORD mask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_OUTLINE | CFM_SHADOW | CFM_UNDERLINETYPE | CFM_SIZE |
               CFM_COLOR | CFM_FACE | (size == sizeof(CHARFORMAT2A) ? CFM_BACKCOLOR : 0);
  uint32_t previous = fNow.selStart < fNow.selEnd ? fNow.formatOf[size_t(fNow.selStart)] : 0;
  for (LONG i = fNow.selStart + 1; i < fNow.selEnd; ++i) {
    const uint32_t index = fNow.formatOf[size_t(i)];
    if (index == previous) continue;
    previous = index;
    const RichFormat& f = fFormats[index];
    for (DWORD bit : kEffectBits) {
      if ((f.effects ^ first.effects) & bit) mask &= ~bit;
    }
    if (f.underlineType != first.underlineType) mask &= ~CFM_UNDERLINETYPE;
    if (f.height != first.height) mask &= ~CFM_SIZE;
    if (f.color != first.color) mask &= ~CFM_COLOR;
    if (f.back != first.back) mask &= ~CFM_BACKCOLOR;
    if (f.face != first.face) mask &= ~CFM_FACE;
  }
  out.dwMask = mask;
  out.dwEffects = first.effects;
  out.yHeight = first.height;
  out.crTextColor = first.color;
  std::snprintf(out.szFaceName, sizeof out.szFaceName, "%s", first.face.c_str());
  if (size == sizeof(CHARFORMAT2A)) {
    out.crBackColor = first.back;
    out.bUnderlineType = first.underlineType;
  }
}

void RichEditText::SetCharFormat(const CHARFORMAT2A& format) {
  if (fNow.selStart == fNow.selEnd) {
    fNow.insertion = Applied(fNow.insertion, format);
    return;
  }
  Remember();
  // Each format in the range is applied once, whatever its run lengths.
  std::map<uint32_t, uint32_t> changed;
  for (LONG i = fNow.selStart; i < fNow.selEnd; ++i) {
    uint32_t& index = fNow.formatOf[size_t(i)];
    auto it = changed.find(index);
    if (it == changed.end()) it = changed.emplace(index, Intern(Applied(fFormats[index], format))).first;
    index = it->second;
  }
}

void RichEditText::ParagraphBounds(LONG start, LONG end, LONG& from, LONG& to) const {
  const std::string& t = fNow.text;
  from = start;
  while (from > 0 && t[size_t(from - 1)] != '\r') --from;
  to = std::max(end, start);
  if (to > start && t[size_t(to - 1)] == '\r') --to;
  while (to < Length() && t[size_t(to)] != '\r') ++to;
  if (to < Length()) ++to;  // the paragraph end belongs to its paragraph
}

void RichEditText::SetAlignment(uint16_t alignment) {
  if (alignment < PFA_LEFT || alignment > PFA_JUSTIFY) return;
  Remember();
  LONG from = 0, to = 0;
  ParagraphBounds(fNow.selStart, fNow.selEnd, from, to);
  std::fill(fNow.alignOf.begin() + from, fNow.alignOf.begin() + to, uint8_t(alignment));
  // The empty paragraph after the last end is touched when the range
  // reaches the text's end.
  if (fNow.selEnd == Length() && (Length() == 0 || fNow.text.back() == '\r')) fNow.tailAlign = uint8_t(alignment);
}

uint16_t RichEditText::AlignmentAt(LONG position) const {
  LONG from = 0, to = 0;
  ParagraphBounds(position, position, from, to);
  return from < Length() ? fNow.alignOf[size_t(from)] : fNow.tailAlign;
}

void RichEditText::Undo() {
  if (!fUndo) return;
  fRedo = std::move(fNow);
  fNow = std::move(*fUndo);
  fUndo.reset();
}

void RichEditText::Redo() {
  if (!fRedo) return;
  fUndo = std::move(fNow);
  fNow = std::move(*fRedo);
  fRedo.reset();
}

LONG RichEditText::Find(LONG from, LONG to, const std::u16string& what, bool matchCase) const {
  const LONG length = Length();
  if (to < 0 || to > length) to = length;
  from = std::max<LONG>(from, 0);
  const LONG n = LONG(what.size());
  if (n == 0 || from + n > to) return -1;
  auto fold = [matchCase](char16_t c) -> char16_t {
    if (matchCase) return c;
    if (c >= 'a' && c <= 'z') return char16_t(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);
    return c;
  };
  for (LONG at = from; at + n <= to; ++at) {
    LONG i = 0;
    while (i < n && fold(WinAnsiToUnicode(uint8_t(fNow.text[size_t(at + i)]))) == fold(what[size_t(i)])) ++i;
    if (i == n) return at;
  }
  return -1;
}

// ---- RTF out

namespace {

const char* AlignmentWord(uint8_t alignment) {
  switch (alignment) {
    case PFA_CENTER: return "\\qc";
    case PFA_RIGHT: return "\\qr";
    case PFA_JUSTIFY: return "\\qj";
    default: return "\\ql";
  }
}

void AppendEscaped(std::string& out, char c) {
  const auto byte = uint8_t(c);
  if (c == '\\' || c == '{' || c == '}') {
    out += '\\';
    out += c;
  } else if (c == '\t') {
    out += "\\tab ";
  } else if (byte < 0x20 || byte >= 0x80) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\'%02x", byte);
    out += hex;
  } else {
    out += c;
  }
}

}  // namespace

std::string RichEditText::WriteRtf() const {
  std::vector<std::string> faces;
  std::vector<COLORREF> colors;
  auto faceIndex = [&faces](const std::string& face) {
    auto it = std::find(faces.begin(), faces.end(), face);
    if (it == faces.end()) it = faces.insert(faces.end(), face);
    return size_t(it - faces.begin());
  };
  auto colorIndex = [&colors](COLORREF color) {
    auto it = std::find(colors.begin(), colors.end(), color);
    if (it == colors.end()) it = colors.insert(colors.end(), color);
    return size_t(it - colors.begin()) + 1;  // entry 0 is the automatic colour
  };
  std::string body;
  const RichFormat* previous = nullptr;
  const LONG length = Length();
  for (LONG i = 0; i <= length; ++i) {
    const bool paragraphStart = i == 0 || fNow.text[size_t(i - 1)] == '\r';
    if (paragraphStart && (i < length || i == 0 || fNow.text.back() == '\r')) {
      body += "\\pard";
      body += AlignmentWord(i < length ? fNow.alignOf[size_t(i)] : fNow.tailAlign);
      body += ' ';
    }
    if (i == length) break;
    const RichFormat& f = fFormats[fNow.formatOf[size_t(i)]];
    if (previous == nullptr || !(f == *previous)) {
      char words[96];
      std::snprintf(words, sizeof words, "\\plain\\f%zu\\fs%ld\\cf%zu", faceIndex(f.face), long(f.height / 10),
                    colorIndex(f.color));
      body += words;
      if (f.effects & CFE_BOLD) body += "\\b";
      if (f.effects & CFE_ITALIC) body += "\\i";
      if (f.effects & CFE_UNDERLINE) body += "\\ul";
      if (f.effects & CFE_OUTLINE) body += "\\outl";
      if (f.effects & CFE_SHADOW) body += "\\shad";
      body += ' ';
      previous = &f;
    }
    if (fNow.text[size_t(i)] == '\r') {
      body += "\\par\n";
    } else {
      AppendEscaped(body, fNow.text[size_t(i)]);
    }
  }
  std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl";
  for (size_t i = 0; i < faces.size(); ++i) {
    out += "{\\f" + std::to_string(i) + " ";
    for (char c : faces[i]) AppendEscaped(out, c == ';' ? ' ' : c);
    out += ";}";
  }
  out += "}{\\colortbl;";
  for (COLORREF c : colors) {
    out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
           std::to_string((c >> 16) & 0xFF) + ";";
  }
  out += "}\n" + body + "}";
  return out;
}

// ---- RTF in

namespace {

// A reader of the control's RTF and of simple RTF from elsewhere: groups,
// control words with bounded parameters, hex escapes, the font and colour
// tables; other destinations starting with \* and unknown groups' words
// are passed over.
class RtfReader {
 public:
  RtfReader(const uint8_t* bytes, size_t size) : fAt(bytes), fEnd(bytes + size) {}

  struct Run {
    std::string text;
    RichFormat format;
    uint8_t align;
  };
  std::vector<Run> runs;
  uint8_t tailAlign = PFA_LEFT;

  bool Read() {
    if (fEnd - fAt < 5 || std::memcmp(fAt, "{\\rtf", 5) != 0) return false;
    std::vector<Group> stack;
    Group group;
    while (fAt < fEnd) {
      const char c = char(*fAt++);
      if (c == '{') {
        if (int(stack.size()) >= RichEditText::kMaxRtfDepth) return false;
        stack.push_back(group);
      } else if (c == '}') {
        if (stack.empty()) return false;
        EndEntry(group);
        group = stack.back();
        stack.pop_back();
        if (stack.empty()) return Trailing();
      } else if (c == '\\') {
        if (!ControlWord(group)) return false;
      } else if (c == '\r' || c == '\n') {
        continue;
      } else {
        Character(group, c);
      }
    }
    return false;  // the outer group never closed
  }

 private:
  enum Destination : uint8_t { kText, kFonts, kColors, kSkip };
  struct Group {
    Destination destination = kText;
    RichFormat format;
    uint8_t align = PFA_LEFT;
    // The font table entry or colour being read.
    int32_t fontNumber = -1;
    std::string entry;
    int32_t red = 0, green = 0, blue = 0;
  };

  bool Trailing() {
    while (fAt < fEnd && (*fAt == '\r' || *fAt == '\n' || *fAt == 0 || *fAt == ' ')) ++fAt;
    return fAt == fEnd;
  }

  void EndEntry(Group& group) {
    if (group.destination == kFonts && group.fontNumber >= 0 && !group.entry.empty()) {
      std::string name = group.entry;
      if (name.size() > 31) name.resize(31);
      fFonts[group.fontNumber] = name;
      group.entry.clear();
    }
  }

  void Character(Group& group, char c) {
    switch (group.destination) {
      case kSkip: return;
      case kFonts:
        if (c == ';') {
          EndEntry(group);
        } else if (group.entry.size() < 64) {
          group.entry += c;
        }
        return;
      case kColors:
        if (c == ';') {
          if (fColors.size() < kMaxColors) {
            fColors.push_back(COLORREF(group.red | (group.green << 8) | (group.blue << 16)));
          }
          group.red = group.green = group.blue = 0;
        }
        return;
      case kText:
        if (c == 0) return;  // the control keeps no character 0
        if (runs.empty() || !(runs.back().format == group.format) || runs.back().align != group.align) {
          runs.push_back({std::string(), group.format, group.align});
        }
        runs.back().text += c;
        if (c == '\r') tailAlign = group.align;
        return;
    }
  }

  // After the backslash: a control symbol, a hex escape or a word with an
  // optional parameter (at most nine digits, clamped) and its delimiter.
  bool ControlWord(Group& group) {
    if (fAt >= fEnd) return false;
    const char c = char(*fAt);
    if (!std::isalpha(uint8_t(c))) {
      ++fAt;
      if (c == '\\' || c == '{' || c == '}') {
        Character(group, c);
      } else if (c == '\'') {
        if (fEnd - fAt < 2 || !std::isxdigit(fAt[0]) || !std::isxdigit(fAt[1])) return false;
        const char hex[3] = {char(fAt[0]), char(fAt[1]), 0};
        fAt += 2;
        Character(group, char(std::strtol(hex, nullptr, 16)));
      } else if (c == '*') {
        group.destination = kSkip;
      }
      return true;
    }
    std::string word;
    while (fAt < fEnd && std::isalpha(*fAt) && word.size() < 32) word += char(*fAt++);
    while (fAt < fEnd && std::isalpha(*fAt)) ++fAt;  // an overlong word is cut
    bool negative = false;
    bool hasValue = false;
    int64_t value = 0;
    if (fAt < fEnd && *fAt == '-') negative = true, ++fAt;
    int digits = 0;
    while (fAt < fEnd && std::isdigit(*fAt)) {
      if (digits++ < 9) value = value * 10 + (*fAt - '0');
      hasValue = true;
      ++fAt;
    }
    if (negative) value = -value;
    if (fAt < fEnd && *fAt == ' ') ++fAt;
    Word(group, word, hasValue, int32_t(value));
    return true;
  }

  void Word(Group& group, const std::string& word, bool hasValue, int32_t value) {
    if (group.destination == kSkip) return;
    const bool on = !hasValue || value != 0;
    auto effect = [&group, on](DWORD bit) { group.format.effects = on ? group.format.effects | bit : group.format.effects & ~bit; };
    if (word == "fonttbl") {
      group.destination = kFonts;
    } else if (word == "colortbl") {
      group.destination = kColors;
    } else if (group.destination == kFonts) {
      if (word == "f") group.fontNumber = hasValue && value >= 0 ? value : -1;
    } else if (group.destination == kColors) {
      const int32_t component = std::max(0, std::min(value, 255));
      if (word == "red") group.red = component;
      if (word == "green") group.green = component;
      if (word == "blue") group.blue = component;
    } else if (word == "par") {
      Character(group, '\r');
    } else if (word == "tab") {
      Character(group, '\t');
    } else if (word == "pard") {
      group.align = PFA_LEFT;
    } else if (word == "ql") {
      group.align = PFA_LEFT;
    } else if (word == "qc") {
      group.align = PFA_CENTER;
    } else if (word == "qr") {
      group.align = PFA_RIGHT;
    } else if (word == "qj") {
      group.align = PFA_JUSTIFY;
    } else if (word == "plain") {
      const std::string face = group.format.face;
      group.format = RichFormat();
      group.format.face = face;
    } else if (word == "b") {
      effect(CFE_BOLD);
    } else if (word == "i") {
      effect(CFE_ITALIC);
    } else if (word == "ul") {
      effect(CFE_UNDERLINE);
      group.format.underlineType = on ? 1 : 0;
    } else if (word == "ulnone") {
      group.format.effects &= ~CFE_UNDERLINE;
      group.format.underlineType = 0;
    } else if (word == "outl") {
      effect(CFE_OUTLINE);
    } else if (word == "shad") {
      effect(CFE_SHADOW);
    } else if (word == "fs" && hasValue) {
      group.format.height = LONG(std::max<int64_t>(20, std::min<int64_t>(int64_t(value) * 10, RichEditText::kMaxHeight)));
    } else if (word == "f" && hasValue) {
      auto it = fFonts.find(value);
      if (it != fFonts.end()) group.format.face = it->second;
    } else if (word == "cf" && hasValue) {
      // Entry 0 of the table is the automatic colour (black here).
      group.format.color = value >= 0 && size_t(value) < fColors.size() ? fColors[size_t(value)] : 0;
    } else if (word == "info" || word == "stylesheet" || word == "pict" || word == "header" || word == "footer") {
      group.destination = kSkip;
    }
  }

  static constexpr size_t kMaxColors = 512;
  const uint8_t* fAt;
  const uint8_t* fEnd;
  std::map<int32_t, std::string> fFonts;
  std::vector<COLORREF> fColors;
};

}  // namespace

bool RichEditText::ReadRtf(const uint8_t* bytes, size_t size) {
  RtfReader reader(bytes, size);
  if (!reader.Read()) return false;
  Remember();
  State next;
  for (const RtfReader::Run& run : reader.runs) {
    next.text += run.text;
    next.formatOf.insert(next.formatOf.end(), run.text.size(), Intern(run.format));
    next.alignOf.insert(next.alignOf.end(), run.text.size(), run.align);
  }
  next.tailAlign = reader.tailAlign;
  next.insertion = next.text.empty() ? fNow.insertion : fFormats[next.formatOf.back()];
  fNow = std::move(next);
  return true;
}
