// The control words the RTF reader knows: one row each, saying whether the
// word types a character, changes the destination, sets a property or does
// something of its own, with the value it takes when it carries no number.
#pragma once

#include <cstdint>
#include <string_view>

enum RtfKeywordKind : uint8_t {
  kRtfKindCharacter = 0,    // index: the character code
  kRtfKindDestination = 1,  // index: an RtfDestinationAction
  kRtfKindProperty = 2,     // index: a row of RtfPropertyTable
  kRtfKindSpecial = 3,      // index: an RtfSpecialAction
};

enum RtfDestinationAction : int32_t {
  kRtfDestFontTable,
  kRtfDestColourTable,
  // The six header and footer parts, in this order.
  kRtfDestHeader,
  kRtfDestFooter,
  kRtfDestLeftHeader,
  kRtfDestLeftFooter,
  kRtfDestFirstHeader,
  kRtfDestFirstFooter,
  kRtfDestSkip,
  // The style sheet: read for the formatting each style gives.
  kRtfDestStyleSheet,
  // A field's result: its text is the text the field shows.
  kRtfDestFieldResult,
  // A list item's label as plain text.
  kRtfDestListText,
  // A field's instruction: the fields the document keeps live (page
  // numbers, dates and times) are read from it.
  kRtfDestFieldInstruction,
};

// The rows of the property table: the setting each property keyword stores
// into its block (character, paragraph or document settings).
enum RtfPropertyTable : int32_t {
  // Character settings.
  kRtfPropBold,
  kRtfPropUnderline,
  kRtfPropStrike,
  kRtfPropShadow,
  kRtfPropItalic,
  kRtfPropPosition,
  kRtfPropRaise,
  kRtfPropLower,
  kRtfPropCaps,
  kRtfPropPlain,
  kRtfPropTextColour,
  kRtfPropBackColour,
  // \highlight: a background colour, where white is none.
  kRtfPropHighlight,
  kRtfPropRed,
  kRtfPropGreen,
  kRtfPropBlue,
  kRtfPropFont,
  kRtfPropHalfPoints,
  kRtfPropCharSet,
  // Paragraph settings.
  kRtfPropParagraphReset,
  kRtfPropLeftIndent,
  kRtfPropRightIndent,
  kRtfPropFirstIndent,
  kRtfPropTabPosition,
  kRtfPropTabKind,
  kRtfPropTabLeader,
  kRtfPropAlignment,
  kRtfPropSpacing,
  kRtfPropLineMultiple,
  kRtfPropSpaceBefore,
  kRtfPropSpaceAfter,
  kRtfPropPageBreakBefore,
  // Styles: the text takes the formatting the named style gives.
  kRtfPropParagraphStyle,
  kRtfPropCharacterStyle,
  kRtfPropBasedOn,
  // Document settings.
  kRtfPropDefaultFont,
  kRtfPropPaperWidth,
  kRtfPropPaperHeight,
  kRtfPropMarginLeft,
  kRtfPropMarginRight,
  kRtfPropMarginTop,
  kRtfPropMarginBottom,
  kRtfPropHeaderY,
  kRtfPropFooterY,
  kRtfPropGutter,
  kRtfPropFacing,
  kRtfPropColumns,
  kRtfPropColumnSpacing,
  kRtfPropLineBetween,
  kRtfPropDefaultTab,
  kRtfPropFirstPage,
  kRtfPropLanguage,
  kRtfPropMirrored,
  kRtfPropTitlePage,
  kRtfPropLandscape,
  kRtfPropWidowControl,
  kRtfPropViewKind,
  kRtfPropSectionReset,
  // How the next section starts: 0 on, 1 in a new column, 2 on an even
  // page, 3 on an odd page, 4 on a new page.
  kRtfPropSectionBreak,
  // The style page numbers show in: 0 1 2 3, 1 a b c, 2 A B C, 3 i ii iii,
  // 4 I II III (the page-number element's style).
  kRtfPropPageNumberStyle,
  // Page-number positions: read, with no effect.
  kRtfPropIgnored,
};

enum RtfSpecialAction : int32_t {
  kRtfSpecialPage,
  kRtfSpecialColumn,
  kRtfSpecialSoftHyphen,
  kRtfSpecialNoBreakSpace,
  kRtfSpecialBinary,
  kRtfSpecialSkipUnknown,
  kRtfSpecialHex,
  // The end of a section: a paragraph end, and the break the next
  // section starts with.
  kRtfSpecialSection,
  // The current page number.
  kRtfSpecialPageNumber,
  // A field begins; a field's result is not updated (\fldlock).
  kRtfSpecialField,
  kRtfSpecialFieldLock,
};

struct RtfKeyword {
  std::string_view word;
  int32_t defaultValue;
  bool useDefault;  // the word's number, when it has one, is ignored
  RtfKeywordKind kind;
  int32_t index;
};

// The row of the word (exact, case-sensitive), or null. A backslash followed
// by a line end is looked up as "\n".
const RtfKeyword* FindRtfKeyword(std::string_view word);
