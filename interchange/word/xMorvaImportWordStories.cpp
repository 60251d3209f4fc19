// The Word import's stories behind the main text: the headers and footers
// of the first section read out of the whole text into the document's
// header and footer parts, written as the body is.
#include <algorithm>
#include <bit>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaEngine.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "interchange/word/xMorvaImportWord.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

// The stories of the first section in a Word 97 header story list: behind
// the six separator stories, even header, odd header, even footer, odd
// footer, first-page header, first-page footer. A list holds at most the
// separators and one section's stories and their end.
constexpr size_t kFirstSectionStory = 6;
constexpr size_t kMaxHeaderPositions = 14;
enum : size_t { kEvenHeader, kOddHeader, kEvenFooter, kOddFooter, kFirstHeader, kFirstFooter };

}  // namespace

void xMorvaImportWord::ReadHeaderStories(const std::u16string& whole,
                                         const std::vector<uint8_t>& table,
                                         const std::vector<uint8_t>& data) {
  for (xMorvaWordStory& story : fStories) story = xMorvaWordStory();
  if (fFib.lcbPlcfHdd < 4) return;
  if (uint64_t(fFib.fcPlcfHdd) + fFib.lcbPlcfHdd > table.size()) return;
  const size_t count = std::min<size_t>(fFib.lcbPlcfHdd / 4, kMaxHeaderPositions);
  ByteSpanReader in(table.data() + fFib.fcPlcfHdd, count * 4, ByteSpanReader::Order::kLittle);
  std::vector<uint32_t> cps(count);
  // Positions past the header text or going back are cut to it, so a
  // story never reaches outside the header text nor runs backwards.
  const uint32_t ccpHdd = fFib.ccp[2];
  uint32_t previous = 0;
  for (uint32_t& cp : cps) {
    cp = std::max(std::min(in.U32(), ccpHdd), previous);
    previous = cp;
  }
  // Word 97 lists every story, empty or not. A Word 6/95 list holds only
  // the stories there are: the separator stories the DOP's flags name (its
  // second byte's six lowest bits: the footnotes' separator, continuation
  // separator and continuation notice, then the endnotes' three), then the
  // section's headers and footers that its flags name.
  size_t index[6];
  if (fFib.word97) {
    for (size_t s = 0; s < 6; ++s) index[s] = kFirstSectionStory + s;
  } else {
    const uint8_t separators =
        fFib.lcbDop >= 2 && uint64_t(fFib.fcDop) + 2 <= table.size() ? table[fFib.fcDop + 1] & 0x3F : 0;
    size_t next = size_t(std::popcount(separators));
    for (size_t s = 0; s < 6; ++s)
      index[s] = (fSection.headerFlags & (1u << s)) != 0 ? next++ : kMaxHeaderPositions;
  }
  const uint64_t start = uint64_t(fFib.ccp[0]) + fFib.ccp[1];
  for (size_t s = 0; s < 6; ++s) {
    const size_t i = index[s];
    if (i + 1 >= cps.size()) continue;
    if (start + cps[i + 1] > whole.size()) continue;
    xMorvaWordStory& story = fStories[s];
    story.first = uint32_t(start + cps[i]);
    story.limit = uint32_t(start + cps[i + 1]);
    std::u16string text = whole.substr(story.first, story.limit - story.first);
    ConvertFields(text, 0, uint32_t(text.size()), table, fFib.fcPlcfFldHdr, fFib.lcbPlcfFldHdr,
                  -int64_t(cps[i]), story.specials);
    ConvertRuns(text, 0, uint32_t(text.size()), story.first, data, story.specials);
    // A story's last paragraph end is the story's own, not the part's.
    StoryText(text, story.positions);
    story.text = std::move(text);
    // A story is there when its range holds anything: one of empty
    // paragraphs too, as a blank footer or a facing page's blank header.
    // The list's last range closes the header text: paragraph ends alone
    // there are its guard, not a story.
    const bool closing = i + 2 >= cps.size();
    story.present = story.limit > story.first &&
                    (!closing || std::any_of(story.text.begin(), story.text.end(),
                                             [](char16_t c) { return c != u'\r'; }));
    PlaceSpecials(story.specials, story.positions);
  }
}

int32_t xMorvaImportWord::InsertStories(xMorvaDocument& document) {
  // The parts by page index: first page, left (even) pages, the others.
  static constexpr int16_t kParts[6] = {kPartLeftHeader, kPartHeader,      kPartLeftFooter,
                                        kPartFooter,     kPartFirstHeader, kPartFirstFooter};
  const bool evenHeader = fStories[kEvenHeader].present;
  const bool evenFooter = fStories[kEvenFooter].present;
  for (size_t s = 0; s < 6; ++s) {
    size_t from = s;
    // Left pages show the odd header or footer when only the other of the
    // pair is set for them.
    if (s == kEvenFooter && !evenFooter && evenHeader) from = kOddFooter;
    if (s == kEvenHeader && !evenHeader && evenFooter) from = kOddHeader;
    const xMorvaWordStory& story = fStories[from];
    if (!story.present) continue;
    auto* part = static_cast<xMorvaEngine*>(document.GetPart(kParts[s]));
    if (part == nullptr) return kWordNoMemory;
    // The runs are placed through the character positions of the whole
    // text: those before the story land at its start, those after at its
    // end. The body's paragraph spacing is not the story's.
    const int32_t code =
        BuildBody(document, *part, story.text, story.positions, story.first, story.specials, {}, {});
    part->SetSelection(0, 0);
    if (code != 0) return code;
  }
  xMorvaDocParams& params = document.Params();
  // The first page is different when the section says so (sprmSFTitlePage),
  // whether or not its header and footer hold text: an empty first-page
  // header is how a document keeps the others' header off its first page.
  const bool differentFirst = fSection.titlePage;
  const bool differentLeftRight = evenHeader || evenFooter;
  params.SetDifferentFirstPage(differentFirst);
  params.SetDifferentLeftRight(differentLeftRight);
  FitHeadersAndFooters(document, differentFirst);
  return 0;
}

void xMorvaImportWord::FitHeadersAndFooters(xMorvaDocument& document, bool differentFirst) {
  // A header's band that holds its lines already stays as the file gives
  // it, so our own file reads back as it was written; a footer's lines
  // reach up from its distance.
  xMorvaDocParams& params = document.Params();
  const int32_t headerDistance = TwipsToPixels(fSection.headerDistance);
  const int32_t footerDistance = TwipsToPixels(fSection.footerDistance);
  // The first-page header and footer have the first page's bands; the odd
  // and even ones share the other pages' bands, which take the taller of
  // the two.
  FitHeaderFooterBands(params, params.GetBands(false), headerDistance, HeaderLinesHeight(document, false),
                       footerDistance, FooterLinesHeight(document, false));
  if (differentFirst) {
    FitHeaderFooterBands(params, params.GetBands(true), headerDistance, HeaderLinesHeight(document, true),
                         footerDistance, FooterLinesHeight(document, true));
  } else {
    params.GetBands(true) = params.GetBands(false);
  }
}
