// The Word import's field pass: field instructions removed, results kept
// unless an element (page number, date, time) takes the field's place, and
// the pictures of the character runs turned into placeholders that become
// their elements once the story is in its text.
#include <algorithm>

#include "interchange/fields/xMorvaDateTimeForm.h"
#include "interchange/word/xMorvaImportWord.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr char16_t kFieldBegin = 0x13;
constexpr char16_t kFieldSeparator = 0x14;
constexpr char16_t kFieldEnd = 0x15;
// What the story conversion leaves out (a footnote separator's character,
// which never stays).
constexpr char16_t kLeftOut = 0x03;
constexpr char16_t kPictureCharacter = 0x01;
constexpr char16_t kDrawnObject = 0x08;
// Fields nest far less deep in any real document; deeper ones are left out
// (counted) so that a file cannot make the pass hold a stack of its size.
constexpr size_t kMaxFieldDepth = 64;
constexpr uint32_t kNone = 0xFFFFFFFFu;
// Field types (flt) that make an element.
constexpr uint8_t kFltDate = 31;
constexpr uint8_t kFltTime = 32;
constexpr uint8_t kFltPage = 33;
// A field end's flags: the field is locked (its result is not updated),
// its result is not text.
constexpr uint8_t kLocked = 0x10;
constexpr uint8_t kPrivateResult = 0x20;

struct FieldSpan {
  uint32_t begin = kNone;
  uint32_t separator = kNone;
  uint32_t end = kNone;
  uint32_t parent = kNone;
};

// The FLDs of a field PLCF: n + 1 positions, then n two-byte entries
// (the field character, then the type or the end's flags).
struct FieldTable {
  std::vector<uint32_t> positions;
  std::vector<uint8_t> entries;

  // The FLD's second byte at `cp` when its character is `ch`; -1 none.
  int Find(uint32_t cp, uint8_t ch) const {
    const auto last = positions.empty() ? positions.end() : positions.end() - 1;
    auto at = std::lower_bound(positions.begin(), last, cp);
    if (at == last || *at != cp) return -1;
    const size_t i = size_t(at - positions.begin());
    if (i * 2 + 1 >= entries.size() || (entries[i * 2] & 0x1F) != ch) return -1;
    return entries[i * 2 + 1];
  }
};

FieldTable ReadFieldTable(const std::vector<uint8_t>& table, uint32_t fc, uint32_t lcb) {
  FieldTable out;
  if (lcb < 4 || uint64_t(fc) + lcb > table.size()) return out;
  const size_t n = (lcb - 4) / 6;
  ByteSpanReader in(table.data() + fc, lcb, ByteSpanReader::Order::kLittle);
  out.positions.resize(n + 1);
  for (uint32_t& cp : out.positions) cp = in.U32();
  out.entries.resize(n * 2);
  in.Bytes(out.entries.data(), out.entries.size());
  // Positions out of order are no table to search.
  if (in.Failed() || !std::is_sorted(out.positions.begin(), out.positions.end())) return {};
  return out;
}

// The field type a field's instruction names by its first word, for a
// field the table does not describe.
uint8_t TypeOfInstruction(const std::u16string& instruction) {
  size_t at = instruction.find_first_not_of(u' ');
  if (at == std::u16string::npos) return 0;
  const size_t end = instruction.find_first_of(u" \\\"", at);
  std::u16string word = instruction.substr(at, end == std::u16string::npos ? end : end - at);
  for (char16_t& c : word)
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  if (word == u"DATE") return kFltDate;
  if (word == u"TIME") return kFltTime;
  if (word == u"PAGE") return kFltPage;
  return 0;
}

}  // namespace

void xMorvaImportWord::ConvertFields(std::u16string& text, uint32_t from, uint32_t to,
                                     const std::vector<uint8_t>& table, uint32_t fcPlc,
                                     uint32_t lcbPlc, int64_t shift,
                                     std::vector<xMorvaWordSpecial>& specials) {
  to = std::min<uint32_t>(to, uint32_t(text.size()));
  // The fields' spans, by a walk that keeps at most kMaxFieldDepth open;
  // separators and ends without an open field are left out.
  std::vector<FieldSpan> fields;
  std::vector<uint32_t> open;
  size_t overflow = 0;
  for (uint32_t cp = from; cp < to; ++cp) {
    const char16_t c = text[cp];
    if (c != kFieldBegin && c != kFieldSeparator && c != kFieldEnd) continue;
    if (c == kFieldBegin) {
      if (overflow != 0 || open.size() >= kMaxFieldDepth) {
        ++overflow;
        ++fDroppedFields;
        text[cp] = kLeftOut;
        continue;
      }
      fields.push_back({cp, kNone, kNone, open.empty() ? kNone : open.back()});
      open.push_back(uint32_t(fields.size() - 1));
      continue;
    }
    if (overflow != 0 || open.empty()) {
      if (overflow != 0 && c == kFieldEnd) --overflow;
      if (overflow == 0 && open.empty()) ++fDroppedFields;
      text[cp] = kLeftOut;
      continue;
    }
    FieldSpan& field = fields[open.back()];
    if (c == kFieldSeparator) {
      if (field.separator == kNone)
        field.separator = cp;
      else
        text[cp] = kLeftOut;
      continue;
    }
    field.end = cp;
    open.pop_back();
  }
  const FieldTable plc = ReadFieldTable(table, fcPlc, lcbPlc);
  auto fld = [&](uint32_t cp, uint8_t ch) {
    const int64_t at = int64_t(cp) - shift;
    return at < 0 || at > 0xFFFFFFFF ? -1 : plc.Find(uint32_t(at), ch);
  };
  auto leaveOut = [&](uint32_t a, uint32_t b) {
    for (uint32_t cp = a; cp < b; ++cp) text[cp] = kLeftOut;
  };
  // Each field in the order of its begin, so a field is decided before
  // those inside it: a field inside an instruction or a dropped result is
  // gone with it.
  std::vector<uint8_t> gone(fields.size(), 0), dropsResult(fields.size(), 0);
  for (size_t i = 0; i < fields.size(); ++i) {
    FieldSpan& f = fields[i];
    if (f.end == kNone) {
      // Never closed: its field characters go, what it holds stays.
      text[f.begin] = kLeftOut;
      if (f.separator != kNone) text[f.separator] = kLeftOut;
      ++fDroppedFields;
      continue;
    }
    if (f.parent != kNone) {
      const FieldSpan& p = fields[f.parent];
      const bool inInstruction = p.end != kNone && (p.separator == kNone || f.begin < p.separator);
      if (gone[f.parent] || inInstruction || dropsResult[f.parent]) {
        gone[i] = 1;
        continue;
      }
    }
    const uint32_t instructionEnd = f.separator != kNone ? f.separator : f.end;
    std::u16string instruction;
    for (uint32_t cp = f.begin + 1; cp < instructionEnd; ++cp)
      if (text[cp] != kFieldBegin && text[cp] != kFieldSeparator && text[cp] != kFieldEnd &&
          text[cp] != kLeftOut)
        instruction.push_back(text[cp]);
    const int type = fld(f.begin, 19);
    const uint8_t flt = type >= 0 ? uint8_t(type) : TypeOfInstruction(instruction);
    const int flags = fld(f.end, 21);
    const bool privateResult = flags >= 0 && (flags & kPrivateResult) != 0;
    const bool locked = flags >= 0 && (flags & kLocked) != 0;
    std::vector<xMorvaWordSpecial> made;
    if (flt == kFltPage) {
      made.push_back({f.begin, xMorvaWordSpecial::kPageNumber, 0, nullptr});
    } else if ((flt == kFltDate || flt == kFltTime) && !locked) {
      // A locked date keeps the date it showed; another becomes today's,
      // in the form its picture is nearest to, and keeps its result only
      // when no form shows what the picture does.
      const xMorvaDateTimeForm form = DateTimeFormOfField(flt == kFltDate, instruction);
      const bool noResult = f.separator == kNone || f.separator + 1 >= f.end;
      const uint16_t date = uint16_t(form.format & 0xFF00), time = uint16_t(form.format & 0x00FF);
      if (form.fits || noResult) {
        // A date and a time are two elements, the time in the place of the
        // instruction's first character.
        if (date != 0) made.push_back({f.begin, xMorvaWordSpecial::kDateTime, date, nullptr});
        if (time != 0 && (date == 0 || f.begin + 1 < instructionEnd))
          made.push_back({date != 0 ? f.begin + 1 : f.begin, xMorvaWordSpecial::kDateTime, time,
                          nullptr});
      }
    }
    dropsResult[i] = !made.empty() || privateResult;
    // The instructions always go; the result stays unless an element
    // replaces the field or it is no text.
    leaveOut(f.begin, instructionEnd);
    text[f.end] = kLeftOut;
    if (f.separator != kNone) {
      text[f.separator] = kLeftOut;
      if (dropsResult[i]) leaveOut(f.separator + 1, f.end);
    }
    for (xMorvaWordSpecial& special : made) {
      text[special.at] = kWordElementPlace;
      specials.push_back(std::move(special));
    }
  }
}

void xMorvaImportWord::ConvertRuns(std::u16string& text, uint32_t from, uint32_t to, uint32_t base,
                                   const std::vector<uint8_t>& data,
                                   std::vector<xMorvaWordSpecial>& specials) {
  for (const xMorvaWordCharacterRun& run : fCharacterRuns) {
    const xMorvaWordChp& chp = run.chp;
    if (chp.picLocation < 0) continue;
    if (run.limit <= base) continue;
    const uint32_t first = std::max(run.first >= base ? run.first - base : 0u, from);
    const uint32_t limit = std::min({run.limit - base, to, uint32_t(text.size())});
    for (uint32_t at = first; at < limit; ++at) {
      char16_t& c = text[at];
      // In Word 97 a drawn object's anchor is no PICF character: its
      // picture comes through the drawing records.
      const bool pictureCharacter =
          c == kPictureCharacter || (c == kDrawnObject && !fFib.word97);
      if (chp.picLocation >= 0 && pictureCharacter) {
        int32_t width = -1, height = -1;
        std::shared_ptr<VPictureData> picture = ReadPicture(data, uint64_t(chp.picLocation), width, height);
        if (picture == nullptr) continue;
        c = kWordElementPlace;
        specials.push_back({at, xMorvaWordSpecial::kPicture, 0, std::move(picture), width, height});
      }
    }
  }
  std::stable_sort(specials.begin(), specials.end(),
                   [](const xMorvaWordSpecial& a, const xMorvaWordSpecial& b) { return a.at < b.at; });
}

void xMorvaImportWord::PlaceSpecials(std::vector<xMorvaWordSpecial>& specials,
                                     const xMorvaWordPositions& positions) {
  for (xMorvaWordSpecial& special : specials)
    special.at = special.at < positions.Size() ? positions.At(special.at) : positions.Back();
}
