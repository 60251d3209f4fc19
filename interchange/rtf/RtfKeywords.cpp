// The RTF reader's keyword table, searched by binary search over a sorted
// copy made once.
#include "interchange/rtf/RtfKeywords.h"

#include <algorithm>
#include <array>

namespace {

constexpr RtfKeywordKind C = kRtfKindCharacter;
constexpr RtfKeywordKind D = kRtfKindDestination;
constexpr RtfKeywordKind P = kRtfKindProperty;
constexpr RtfKeywordKind S = kRtfKindSpecial;

constexpr RtfKeyword RtfKeywordTable[] = {
    {"b", 1, false, P, kRtfPropBold},
    {"ul", 1, false, P, kRtfPropUnderline},
    {"ulnone", 0, false, P, kRtfPropUnderline},
    {"ulw", 2, false, P, kRtfPropUnderline},
    {"uldb", 3, false, P, kRtfPropUnderline},
    {"uld", 4, false, P, kRtfPropUnderline},
    {"strike", 1, false, P, kRtfPropStrike},
    {"shad", 1, false, P, kRtfPropShadow},
    {"i", 1, false, P, kRtfPropItalic},
    {"nosupersub", 0, true, P, kRtfPropPosition},
    // Raised or lowered by a number of half-points: any number but 0 is
    // the position's kind.
    {"up", 1, false, P, kRtfPropRaise},
    {"dn", 1, false, P, kRtfPropLower},
    {"super", 1, true, P, kRtfPropPosition},
    {"sub", 2, true, P, kRtfPropPosition},
    {"caps", 1, false, P, kRtfPropCaps},
    {"scaps", 2, false, P, kRtfPropCaps},
    {"plain", 0, false, P, kRtfPropPlain},
    {"par", 13, false, C, 13},
    {"pard", 0, false, P, kRtfPropParagraphReset},
    {"cf", 1, false, P, kRtfPropTextColour},
    {"chcbpat", 1, false, P, kRtfPropBackColour},
    {"highlight", 1, false, P, kRtfPropHighlight},
    {"red", 0, false, P, kRtfPropRed},
    {"green", 0, false, P, kRtfPropGreen},
    {"blue", 0, false, P, kRtfPropBlue},
    {"li", 0, false, P, kRtfPropLeftIndent},
    {"ri", 0, false, P, kRtfPropRightIndent},
    {"fi", 0, false, P, kRtfPropFirstIndent},
    {"tx", 0, false, P, kRtfPropTabPosition},
    {"tqr", 3, true, P, kRtfPropTabKind},
    {"tqc", 2, true, P, kRtfPropTabKind},
    {"tqdec", 4, true, P, kRtfPropTabKind},
    {"tlhyph", 45, true, P, kRtfPropTabLeader},
    {"tldot", 46, true, P, kRtfPropTabLeader},
    {"tlul", 95, true, P, kRtfPropTabLeader},
    // A thick line is the nearest leader we have to it, a line.
    {"tlth", 95, true, P, kRtfPropTabLeader},
    {"sl", 0, false, P, kRtfPropSpacing},
    {"slmult", 0, false, P, kRtfPropLineMultiple},
    {"sb", 0, false, P, kRtfPropSpaceBefore},
    {"sa", 0, false, P, kRtfPropSpaceAfter},
    // The paragraph starts a page (LibreOffice writes every manual page
    // break so).
    {"pagebb", 1, false, P, kRtfPropPageBreakBefore},
    {"s", 0, false, P, kRtfPropParagraphStyle},
    {"cs", 0, false, P, kRtfPropCharacterStyle},
    {"sbasedon", -1, false, P, kRtfPropBasedOn},
    {"deff", 0, false, P, kRtfPropDefaultFont},
    {"page", 0, false, S, kRtfSpecialPage},
    {"column", 0, false, S, kRtfSpecialColumn},
    {"-", 0, false, S, kRtfSpecialSoftHyphen},
    {"~", 0, false, S, kRtfSpecialNoBreakSpace},
    // A non-breaking hyphen.
    {"_", 0, false, C, 0x2011},
    {"sect", 0, false, S, kRtfSpecialSection},
    {"chpgn", 0, false, S, kRtfSpecialPageNumber},
    {"sbknone", 0, true, P, kRtfPropSectionBreak},
    {"sbkcol", 1, true, P, kRtfPropSectionBreak},
    {"sbkeven", 2, true, P, kRtfPropSectionBreak},
    {"sbkodd", 3, true, P, kRtfPropSectionBreak},
    {"sbkpage", 4, true, P, kRtfPropSectionBreak},
    {"pgnx", 0, false, P, kRtfPropIgnored},
    {"pgny", 0, false, P, kRtfPropIgnored},
    {"pgndec", 0, true, P, kRtfPropPageNumberStyle},
    {"pgnlcltr", 1, true, P, kRtfPropPageNumberStyle},
    {"pgnucltr", 2, true, P, kRtfPropPageNumberStyle},
    {"pgnlcrm", 3, true, P, kRtfPropPageNumberStyle},
    {"pgnucrm", 4, true, P, kRtfPropPageNumberStyle},
    {"qc", 1, true, P, kRtfPropAlignment},
    {"ql", 0, true, P, kRtfPropAlignment},
    {"qr", 2, true, P, kRtfPropAlignment},
    {"qj", 3, true, P, kRtfPropAlignment},
    {"paperw", 12240, false, P, kRtfPropPaperWidth},
    // The section's page and margins (LibreOffice and AbiWord give the
    // real ones there and their defaults at the document's level).
    {"pgwsxn", 12240, false, P, kRtfPropPaperWidth},
    {"pghsxn", 15840, false, P, kRtfPropPaperHeight},
    {"marglsxn", 1800, false, P, kRtfPropMarginLeft},
    {"margrsxn", 1800, false, P, kRtfPropMarginRight},
    {"margtsxn", 1440, false, P, kRtfPropMarginTop},
    {"margbsxn", 1440, false, P, kRtfPropMarginBottom},
    {"sectd", 0, true, P, kRtfPropSectionReset},
    {"paperh", 15480, false, P, kRtfPropPaperHeight},
    {"margl", 1800, false, P, kRtfPropMarginLeft},
    {"margr", 1800, false, P, kRtfPropMarginRight},
    {"margt", 1440, false, P, kRtfPropMarginTop},
    {"margb", 1440, false, P, kRtfPropMarginBottom},
    {"headery", 720, false, P, kRtfPropHeaderY},
    {"footery", 720, false, P, kRtfPropFooterY},
    {"gutter", 0, false, P, kRtfPropGutter},
    {"deftab", 720, false, P, kRtfPropDefaultTab},
    {"cols", 1, false, P, kRtfPropColumns},
    {"colsx", 720, false, P, kRtfPropColumnSpacing},
    {"linebetcol", 1, false, P, kRtfPropLineBetween},
    // The first page number is the word's number.
    {"pgnstart", 1, false, P, kRtfPropFirstPage},
    {"deflang", 1033, false, P, kRtfPropLanguage},
    {"facingp", 1, true, P, kRtfPropFacing},
    {"margmirror", 1, true, P, kRtfPropMirrored},
    {"titlepg", 1, true, P, kRtfPropTitlePage},
    {"landscape", 1, true, P, kRtfPropLandscape},
    // The section's orientation, which our own files give.
    {"lndscpsxn", 1, true, P, kRtfPropLandscape},
    {"widowctrl", 1, false, P, kRtfPropWidowControl},
    {"viewkind", 1, false, P, kRtfPropViewKind},
    {"\n", 13, false, C, 13},
    {"line", 0, false, C, 13},
    {"row", 0, false, C, 13},
    {"tab", 0, false, C, 9},
    {"cell", 0, false, C, 9},
    {"rquote", 0, false, C, 0x2019},
    {"lquote", 0, false, C, 0x2018},
    {"ldblquote", 0, false, C, 34},
    {"rdblquote", 0, false, C, 34},
    {"endash", 0, false, C, 0x2013},
    {"emdash", 0, false, C, 0x2014},
    // The other special characters writers give as words (pandoc writes
    // its list bullets as \bullet).
    {"bullet", 0, false, C, 0x2022},
    {"enspace", 0, false, C, 0x2002},
    {"emspace", 0, false, C, 0x2003},
    {"qmspace", 0, false, C, 0x2005},
    {"zwbo", 0, false, C, 0x200B},
    {"zwnj", 0, false, C, 0x200C},
    {"zwj", 0, false, C, 0x200D},
    {"ltrmark", 0, false, C, 0x200E},
    {"rtlmark", 0, false, C, 0x200F},
    {"zwnbo", 0, false, C, 0x2060},
    {"bin", 0, false, S, kRtfSpecialBinary},
    {"*", 0, false, S, kRtfSpecialSkipUnknown},
    {"'", 0, false, S, kRtfSpecialHex},
    {"fonttbl", 0, false, D, kRtfDestFontTable},
    {"colortbl", 0, false, D, kRtfDestColourTable},
    {"footer", 0, false, D, kRtfDestFooter},
    {"header", 0, false, D, kRtfDestHeader},
    {"footerr", 0, false, D, kRtfDestFooter},
    {"footerl", 0, false, D, kRtfDestLeftFooter},
    {"footerf", 0, false, D, kRtfDestFirstFooter},
    {"headerr", 0, false, D, kRtfDestHeader},
    {"headerl", 0, false, D, kRtfDestLeftHeader},
    {"headerf", 0, false, D, kRtfDestFirstHeader},
    {"author", 0, false, D, kRtfDestSkip},
    {"buptim", 0, false, D, kRtfDestSkip},
    {"comment", 0, false, D, kRtfDestSkip},
    {"creatim", 0, false, D, kRtfDestSkip},
    {"doccomm", 0, false, D, kRtfDestSkip},
    {"footnote", 0, false, D, kRtfDestSkip},
    {"ftncn", 0, false, D, kRtfDestSkip},
    {"ftnsep", 0, false, D, kRtfDestSkip},
    {"ftnsepc", 0, false, D, kRtfDestSkip},
    {"info", 0, false, D, kRtfDestSkip},
    {"keywords", 0, false, D, kRtfDestSkip},
    {"operator", 0, false, D, kRtfDestSkip},
    {"pict", 0, false, D, kRtfDestSkip},
    {"printim", 0, false, D, kRtfDestSkip},
    {"private1", 0, false, D, kRtfDestSkip},
    {"revtim", 0, false, D, kRtfDestSkip},
    {"rxe", 0, false, D, kRtfDestSkip},
    {"stylesheet", 0, false, D, kRtfDestStyleSheet},
    {"field", 0, false, S, kRtfSpecialField},
    {"fldlock", 0, false, S, kRtfSpecialFieldLock},
    {"fldrslt", 0, false, D, kRtfDestFieldResult},
    {"fldinst", 0, false, D, kRtfDestFieldInstruction},
    {"listtext", 0, false, D, kRtfDestListText},
    {"pntext", 0, false, D, kRtfDestListText},
    {"subject", 0, false, D, kRtfDestSkip},
    {"tc", 0, false, D, kRtfDestSkip},
    {"title", 0, false, D, kRtfDestSkip},
    {"txe", 0, false, D, kRtfDestSkip},
    {"xe", 0, false, D, kRtfDestSkip},
    {"f", 0, false, P, kRtfPropFont},
    {"fs", 0, false, P, kRtfPropHalfPoints},
    {"ansi", 0, true, P, kRtfPropCharSet},
    {"pc", 0, true, P, kRtfPropCharSet},
    {"pca", 0, true, P, kRtfPropCharSet},
    {"mac", 1, true, P, kRtfPropCharSet},
    {"cchs", 0, false, P, kRtfPropCharSet},
    {"{", '{', false, C, '{'},
    {"}", '}', false, C, '}'},
    {"\\", '\\', false, C, '\\'},
};

constexpr size_t kCount = sizeof RtfKeywordTable / sizeof RtfKeywordTable[0];

// The rows by word; among equal words the first row of the table wins.
struct Sorted {
  std::array<const RtfKeyword*, kCount> rows{};
  Sorted() {
    for (size_t i = 0; i < kCount; ++i) rows[i] = &RtfKeywordTable[i];
    std::stable_sort(rows.begin(), rows.end(),
                     [](const RtfKeyword* a, const RtfKeyword* b) { return a->word < b->word; });
  }
};

}  // namespace

const RtfKeyword* FindRtfKeyword(std::string_view word) {
  static const Sorted sorted;
  auto found = std::lower_bound(sorted.rows.begin(), sorted.rows.end(), word,
                                [](const RtfKeyword* row, std::string_view w) { return row->word < w; });
  if (found == sorted.rows.end() || (*found)->word != word) return nullptr;
  return *found;
}
