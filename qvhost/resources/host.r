# The stand-in host's own resources.

# Names of host variables that the module writes by list position: item 1
# takes a Boolean, item 4 a value; the name ends at the first ":".
resource 'STR#' 3 {
  u16 4
  pstr "vMorvaFlag:Boolean"
  pstr "-"
  pstr "-"
  pstr "vMorvaValue:Value"
}

# A form for the tests of host-run dialogs: one of each kind of object.
resource 'QFRM' 128 "mvTestForm" {
  bytes "size 420 260\n"
  bytes "object vTitle entry 10 10 200 20 text \"Untitled\"\n"
  bytes "object vSize entry 10 40 80 20 real 12.5\n"
  bytes "object chkBold check 10 70 100 20 value 0\n"
  bytes "object radUnit radio 10 100 120 40 value 1 items \"cm|in\"\n"
  bytes "object lstFonts list 220 10 180 120\n"
  bytes "object tabPages tab 0 150 420 30 items \"Text|Page\"\n"
  bytes "object picLogo picture 220 140 64 64\n"
  bytes "object usrChar user 300 140 64 64\n"
  bytes "object fldWhere chooser 10 190 200 20 table 1 field 2\n"
  bytes "object butOK button 320 220 80 24\n"
  bytes "object butCancel button 230 220 80 24\n"
}

# The host's message boxes: a message, for "xp_Ask" an answer typed in, and
# the buttons that end the box.
resource 'QFRM' 129 "xp_Ask" {
  bytes "size 360 140\n"
  bytes "object vMessage entry 10 10 340 40 text \"\"\n"
  bytes "object vAnswer entry 10 60 340 20 text \"\"\n"
  bytes "object bOK button 270 104 80 24\n"
  bytes "object bCancel button 180 104 80 24\n"
}
resource 'QFRM' 130 "xp_Alert" {
  bytes "size 360 110\n"
  bytes "object vMessage entry 10 10 340 50 text \"\"\n"
  bytes "object bOK button 270 74 80 24\n"
}
resource 'QFRM' 131 "xp_Confirm" {
  bytes "size 360 110\n"
  bytes "object vMessage entry 10 10 340 50 text \"\"\n"
  bytes "object bOK button 270 74 80 24\n"
  bytes "object bCancel button 180 74 80 24\n"
}

# The toolbar design dialog: tab pages 1 to 7 (page 3 lists the items and
# makes new ones), sub-pages 8 to 13 describing a new item (edit field,
# combo, button, menu, message, witness) and the icon picker on page 14.
resource 'QFRM' 190 "xp_ToolBarsDesign" {
  bytes "size 520 300\n"
  bytes "object vTabSubject tab 0 0 520 30 value 1 items \"1|2|3|4|5|6|7\"\n"
  bytes "object vNewEdit button 10 40 120 24 page 3\n"
  bytes "object vNewCombo button 10 70 120 24 page 3\n"
  bytes "object vNewButton button 10 100 120 24 page 3\n"
  bytes "object vNewMenu button 10 130 120 24 page 3\n"
  bytes "object vNewMessage button 140 40 120 24 page 3\n"
  bytes "object vNewWitness button 140 70 120 24 page 3\n"
  bytes "object vNewCheck button 140 100 120 24 page 3\n"
  bytes "object vNewRadio button 140 130 120 24 page 3\n"
  bytes "object vIconPick button 10 40 120 24 page 6\n"
  bytes "object vIconPick button 10 40 120 24 page 7\n"
  bytes "object vIconPick button 10 100 120 24 page 10\n"
  bytes "object vIconPick button 10 100 120 24 page 11\n"
  bytes "object vEditTitle entry 10 40 200 20 text \"Edit field\" page 8\n"
  bytes "object vComboTitle entry 10 40 200 20 text \"Combo\" page 9\n"
  bytes "object vButtonTitle entry 10 40 200 20 text \"Button\" page 10\n"
  bytes "object vMenuTitle entry 10 40 200 20 text \"Menu\" page 11\n"
  bytes "object vMessageTitle entry 10 40 200 20 text \"Message\" page 12\n"
  bytes "object vWitnessTitle entry 10 40 200 20 text \"Witness\" page 13\n"
  bytes "object vRevert button 10 266 80 24\n"
  bytes "object vDefault button 100 266 80 24\n"
  bytes "object vOK button 430 266 80 24\n"
  bytes "object vCancel button 340 266 80 24\n"
}

# The user's toolbars: a check for each bar of the area, in the user area.
resource 'QFRM' 191 "ToolbarsUser" {
  bytes "size 300 250\n"
  bytes "object vCheckList user 10 10 280 196\n"
  bytes "object vOK button 210 216 80 24\n"
  bytes "object vCancel button 120 216 80 24\n"
}

# The formula editor: a field of the structure (page 1) or an expression
# (page 2), and the display format typed or chosen from the list. The field
# chooser "vFields" is made at run time.
resource 'QFRM' 132 "EditEngineObject" {
  bytes "size 460 300\n"
  bytes "object vTab tab 0 0 460 30 value 1\n"
  bytes "object vFormula entry 10 40 300 120 text \"\" page 2\n"
  bytes "object bEdit button 320 40 120 24 page 2\n"
  bytes "object vFormat entry 10 180 200 20 text \"\"\n"
  bytes "object vFormats list 220 180 220 80\n"
  bytes "object bOK button 360 266 80 24\n"
  bytes "object bCancel button 270 266 80 24\n"
}

# The tab labels of the formula editor.
resource 'STR#' 11003 {
  u16 2
  pstr "Field"
  pstr "Formula"
}

# The display formats, by kind: texts, numbers, dates, times, pictures.
resource 'STR#' 156 {
  u16 2
  pstr "Upper"
  pstr "Lower"
}
resource 'STR#' 74 {
  u16 3
  pstr "###,##0.00"
  pstr "0.0%"
  pstr "#####"
}
# The date styles 1 to 7 and the time styles 1 to 5 of the host's display
# routines, by number (a date on 8 December 2026, a time at 14:30): 08/12/26,
# Tue 8 December 2026, Tuesday 8 December 2026, 08/12/26, 8 December, 2026,
# 8 Dec, 2026, 08/12/2026; 14:30:00, 14:30, 14:30:00, 14:30, 2:30.
resource 'STR#' 73 {
  u16 7
  pstr "Short"
  pstr "Abbreviated"
  pstr "Long"
  pstr "Short fixed"
  pstr "Day month, year"
  pstr "Day mon, year"
  pstr "Short with century"
}
resource 'STR#' 148 {
  u16 5
  pstr "HH:MM:SS"
  pstr "HH:MM"
  pstr "Hours minutes seconds"
  pstr "Hours minutes"
  pstr "H:MM on 12 hours"
}
resource 'STR#' 450 {
  u16 2
  pstr "Truncated"
  pstr "Scaled"
}

# The word processor's dialogs. Check boxes and radio buttons that may show
# a third, mixed state are checks; drop-downs and colour pop-ups are popups
# (their items filled by the module, or named here for the colours).

# Borders: the four sides with the pictures of their lines, the lines
# between paragraphs, all sides at once, ten line styles, the line and
# background colours, and the spacing with its use check box.
resource 'QFRM' 176 "mvBorders" {
  bytes "size 560 330\n"
  bytes "object chkTop check 10 10 110 20\n"
  bytes "object chkLeft check 10 34 110 20\n"
  bytes "object chkBottom check 10 58 110 20\n"
  bytes "object chkRight check 10 82 110 20\n"
  bytes "object chkInside check 10 106 110 20\n"
  bytes "object chkAll check 10 130 110 20\n"
  bytes "object LineTop1 picture 140 10 120 4\n"
  bytes "object LineTop2 picture 140 84 120 4\n"
  bytes "object LineLeft1 picture 136 14 4 30\n"
  bytes "object LineLeft2 picture 136 54 4 30\n"
  bytes "object LineBottom1 picture 140 78 120 4\n"
  bytes "object LineBottom2 picture 140 152 120 4\n"
  bytes "object LineRight1 picture 260 14 4 30\n"
  bytes "object LineRight2 picture 260 54 4 30\n"
  bytes "object LineInside1 picture 140 46 120 4\n"
  bytes "object LineInside2 picture 140 116 120 4\n"
  bytes "object ls1 radio 290 10 60 20\n"
  bytes "object ls2 radio 290 34 60 20\n"
  bytes "object ls3 radio 290 58 60 20\n"
  bytes "object ls4 radio 290 82 60 20\n"
  bytes "object ls5 radio 290 106 60 20\n"
  bytes "object ls6 radio 360 10 60 20\n"
  bytes "object ls7 radio 360 34 60 20\n"
  bytes "object ls8 radio 360 58 60 20\n"
  bytes "object ls9 radio 360 82 60 20\n"
  bytes "object ls10 radio 360 106 60 20\n"
  bytes "object popLineColor popup 10 180 170 20 items \"Blue|Sky blue|Cyan|Green|Orange|Magenta|White|Light grey|Grey|Dark grey|Black|Other...\"\n"
  bytes "object popBackBorderColor popup 190 180 170 20 items \"Lavender|Pale blue|Pale cyan|Pale green|Pale orange|Pink|White|Light grey|Grey|Dark grey|None|Other...\"\n"
  bytes "object useBorderSpacing check 10 220 140 20\n"
  bytes "object vBorderSpacing entry 160 220 80 20 real 0\n"
  bytes "object butRevert button 10 296 80 24\n"
  bytes "object butDefault button 100 296 80 24\n"
  bytes "object butNone button 190 296 80 24\n"
  bytes "object butOK button 470 296 80 24\n"
  bytes "object butCancel button 380 296 80 24\n"
}

# Tab stops: the list of positions, the position entry with its buttons,
# the five kinds and the leaders with the custom leader's entry.
resource 'QFRM' 177 "mvTabulations" {
  bytes "size 420 300\n"
  bytes "object vPosition entry 10 10 120 20 real 0\n"
  bytes "object ListTabs list 10 36 120 200\n"
  bytes "object butSet button 140 10 80 24\n"
  bytes "object butAdd button 140 40 80 24\n"
  bytes "object butRemove button 140 70 80 24\n"
  bytes "object arbLeft radio 240 10 80 20\n"
  bytes "object arbCenter radio 240 34 80 20\n"
  bytes "object arbRight radio 240 58 80 20\n"
  bytes "object arbDecimal radio 240 82 80 20\n"
  bytes "object arbVertSep radio 240 106 80 20\n"
  bytes "object brbNone radio 330 10 80 20\n"
  bytes "object brbContinuous radio 330 34 80 20\n"
  bytes "object brbDotted radio 330 58 80 20\n"
  bytes "object brbHatched radio 330 82 80 20\n"
  bytes "object brbCustom radio 330 106 80 20\n"
  bytes "object vLeader entry 330 130 40 20 text \"\"\n"
  bytes "object butOK button 330 266 80 24\n"
  bytes "object butCancel button 240 266 80 24\n"
}

# Characters: font, size, styles, position, capitals, underline, five
# colours and the preview.
resource 'QFRM' 140 "mvChooseFont" {
  bytes "size 560 400\n"
  bytes "object vFont entry 10 10 200 20 text \"\"\n"
  bytes "object ListFont list 10 34 200 120\n"
  bytes "object vSize entry 220 10 60 20 text \"\"\n"
  bytes "object ListSize list 220 34 60 120\n"
  bytes "object chkBold check 300 10 120 20\n"
  bytes "object chkItalic check 300 32 120 20\n"
  bytes "object chkShadowed check 300 54 120 20\n"
  bytes "object chkStrikedOut check 300 76 120 20\n"
  bytes "object rbSuperScript check 430 10 120 20\n"
  bytes "object rbSubScript check 430 32 120 20\n"
  bytes "object brCapitals check 430 54 120 20\n"
  bytes "object brSmallCapitals check 430 76 120 20\n"
  bytes "object droUnderline popup 300 110 160 20\n"
  bytes "object popTextColor popup 10 170 170 20 items \"Blue|Sky blue|Cyan|Green|Orange|Magenta|White|Light grey|Grey|Dark grey|Black|Other...\"\n"
  bytes "object popBackColor popup 190 170 170 20 items \"Lavender|Pale blue|Pale cyan|Pale green|Pale orange|Pink|White|Light grey|Grey|Dark grey|None|Other...\"\n"
  bytes "object popUnderlineColor popup 370 170 170 20 items \"Blue|Sky blue|Cyan|Green|Orange|Magenta|White|Light grey|Grey|Dark grey|None|Other...\"\n"
  bytes "object popStrikeOutColor popup 10 200 170 20 items \"Blue|Sky blue|Cyan|Green|Orange|Magenta|White|Light grey|Grey|Dark grey|None|Other...\"\n"
  bytes "object popShadowColor popup 190 200 170 20 items \"Light grey|Grey|Dark grey|Other...\"\n"
  bytes "object vCharactersPreview picture 10 240 540 110\n"
  bytes "object butRevert button 10 366 80 24\n"
  bytes "object butDefault button 100 366 80 24\n"
  bytes "object butNone button 190 366 80 24\n"
  bytes "object butOK button 470 366 80 24\n"
  bytes "object butCancel button 380 366 80 24\n"
}

# The page's columns: their number, width and spacing, the line between
# them and the page preview.
resource 'QFRM' 188 "mvColumns" {
  bytes "size 420 240\n"
  bytes "object droNbColumns popup 10 10 160 20\n"
  bytes "object vColWidth entry 10 44 100 20 real 0\n"
  bytes "object vColSpacing entry 10 74 100 20 real 0\n"
  bytes "object VerticalSeparator check 10 104 180 20\n"
  bytes "object vPagePreview picture 220 10 175 175\n"
  bytes "object butOK button 330 206 80 24\n"
  bytes "object butCancel button 240 206 80 24\n"
}

# An area's design properties: the toolbar design dialog behind a button.
resource 'QFRM' 192 "mvDesignProperties" {
  bytes "size 300 90\n"
  bytes "object butInterface button 10 10 180 24\n"
  bytes "object butOK button 210 56 80 24\n"
  bytes "object butCancel button 120 56 80 24\n"
}

# The document's preferences: unit, first page number and side, headers
# and footers, widows, binding, default tab, facing pages with the page
# preview, and the speller's files; and its information: four texts, the
# notes, the two stamps shown only and the locked flag.
resource 'QFRM' 170 "mvDocumentPreferences" {
  bytes "size 560 400\n"
  bytes "object TabOnglet tab 0 0 560 24\n"
  bytes "object droUnit popup 10 34 160 20\n"
  bytes "object vFirstPage entry 10 64 80 20 real 1\n"
  bytes "object droFirstPage popup 100 64 160 20\n"
  bytes "object ckbFirstPageHeaderAndFooter check 10 94 250 20\n"
  bytes "object ckbLeftRightHeaderAndFooter check 10 118 250 20\n"
  bytes "object ckbWidowsOrphans check 10 142 250 20\n"
  bytes "object ckbOppositePages check 10 166 250 20\n"
  bytes "object vBinding entry 10 196 100 20 real 0\n"
  bytes "object vDefTab entry 120 196 100 20 real 0\n"
  bytes "object vPagePreview picture 300 34 175 175\n"
  bytes "object vSpeller entry 10 240 400 20 text \"\"\n"
  bytes "object butBrowseSpeller button 420 238 120 24\n"
  bytes "object vDictionnary entry 10 270 400 20 text \"\"\n"
  bytes "object butBrowseDictionnary button 420 268 120 24\n"
  bytes "object butOK button 470 366 80 24\n"
  bytes "object butCancel button 380 366 80 24\n"
}

resource 'QFRM' 171 "mvDocumentInformations" {
  bytes "size 520 400\n"
  bytes "object vTitle entry 10 10 400 20 text \"\"\n"
  bytes "object vSubject entry 10 36 400 20 text \"\"\n"
  bytes "object vAuthor entry 10 62 400 20 text \"\"\n"
  bytes "object vCompany entry 10 88 400 20 text \"\"\n"
  bytes "object vNotes entry 10 114 500 120 text \"\"\n"
  bytes "object vCreationDate entry 10 244 300 20 text \"\"\n"
  bytes "object vModificationDate entry 10 270 300 20 text \"\"\n"
  bytes "object vLocked check 10 300 200 20\n"
  bytes "object butOK button 430 366 80 24\n"
  bytes "object butCancel button 340 366 80 24\n"
}

# Find and replace: the texts in combo boxes (an entry over the history
# list), the criteria described under each, the buttons of the four
# criteria dialogs and the three flags.
resource 'QFRM' 178 "mvFind" {
  bytes "size 470 230\n"
  bytes "object cboFindList entry 10 10 300 20 text \"\"\n"
  bytes "object txtFind entry 10 40 300 100 text \"\"\n"
  bytes "object butFindCharacters button 320 10 140 24\n"
  bytes "object butFindParagraphs button 320 40 140 24\n"
  bytes "object butFindStyleSheet button 320 70 140 24\n"
  bytes "object butFindBorders button 320 100 140 24\n"
  bytes "object chkFullWord check 10 150 140 20\n"
  bytes "object chkCaseSensitive check 160 150 140 20\n"
  bytes "object chkWrap check 310 150 140 20\n"
  bytes "object butOK button 380 196 80 24\n"
  bytes "object butCancel button 290 196 80 24\n"
}

resource 'QFRM' 179 "mvReplace" {
  bytes "size 470 370\n"
  bytes "object cboFindList entry 10 10 300 20 text \"\"\n"
  bytes "object txtFind entry 10 40 300 100 text \"\"\n"
  bytes "object butFindCharacters button 320 10 140 24\n"
  bytes "object butFindParagraphs button 320 40 140 24\n"
  bytes "object butFindStyleSheet button 320 70 140 24\n"
  bytes "object butFindBorders button 320 100 140 24\n"
  bytes "object cboReplaceList entry 10 150 300 20 text \"\"\n"
  bytes "object txtReplace entry 10 180 300 100 text \"\"\n"
  bytes "object butReplaceCharacters button 320 150 140 24\n"
  bytes "object butReplaceParagraphs button 320 180 140 24\n"
  bytes "object butReplaceStyleSheet button 320 210 140 24\n"
  bytes "object butReplaceBorders button 320 240 140 24\n"
  bytes "object chkFullWord check 10 290 140 20\n"
  bytes "object chkCaseSensitive check 160 290 140 20\n"
  bytes "object chkWrap check 310 290 140 20\n"
  bytes "object butReplace button 290 336 80 24\n"
  bytes "object butAll button 380 336 80 24\n"
  bytes "object butCancel button 200 336 80 24\n"
}

# The questions: save before closing and change the paper (yes, no,
# cancel); convert and repair (OK, cancel, and a box to do it always).
resource 'QFRM' 236 "mvCanDelete" {
  bytes "size 320 100\n"
  bytes "object butYes button 230 66 80 24\n"
  bytes "object butNo button 140 66 80 24\n"
  bytes "object butCancel button 50 66 80 24\n"
}
resource 'QFRM' 237 "mvPaperSize" {
  bytes "size 320 100\n"
  bytes "object butYes button 230 66 80 24\n"
  bytes "object butNo button 140 66 80 24\n"
  bytes "object butCancel button 50 66 80 24\n"
}
# A plain text save that would lose characters: the question's text, then
# Unicode text (yes), save anyway (no) and cancel.
resource 'QFRM' 242 "mvTextLoses" {
  bytes "size 420 120\n"
  bytes "object txtQuestion entry 10 10 400 44\n"
  bytes "object butYes button 330 86 80 24\n"
  bytes "object butNo button 240 86 80 24\n"
  bytes "object butCancel button 150 86 80 24\n"
}
resource 'QFRM' 238 "mvConvert" {
  bytes "size 320 100\n"
  bytes "object ckbAlwaysConvert check 10 36 200 20 value 0\n"
  bytes "object butOK button 230 66 80 24\n"
  bytes "object butCancel button 140 66 80 24\n"
}
resource 'QFRM' 239 "mvRepair" {
  bytes "size 320 100\n"
  bytes "object ckbAlwaysRepair check 10 36 200 20 value 0\n"
  bytes "object butOK button 230 66 80 24\n"
  bytes "object butCancel button 140 66 80 24\n"
}

# Paragraphs: alignment, interline, bullet and the three indents, each with
# its use check box, and the sample.
resource 'QFRM' 141 "mvParagraphs" {
  bytes "size 560 400\n"
  bytes "object useAlignment check 10 10 140 20\n"
  bytes "object droAlignment popup 160 10 160 20\n"
  bytes "object useInterline check 10 40 140 20\n"
  bytes "object vInterline entry 160 40 80 20 real 0\n"
  bytes "object useBullet check 10 70 140 20\n"
  bytes "object droBullet popup 160 70 160 20\n"
  bytes "object useIndent check 10 100 140 20\n"
  bytes "object vLeftIndent entry 160 100 80 20 real 0\n"
  bytes "object vFirstIndent entry 250 100 80 20 real 0\n"
  bytes "object vRightIndent entry 340 100 80 20 real 0\n"
  bytes "object vParagraphPicture picture 10 140 540 210\n"
  bytes "object butRevert button 10 366 80 24\n"
  bytes "object butDefault button 100 366 80 24\n"
  bytes "object butNone button 190 366 80 24\n"
  bytes "object butOK button 470 366 80 24\n"
  bytes "object butCancel button 380 366 80 24\n"
}

# One interline value.
resource 'QFRM' 142 "mvInterlineSize" {
  bytes "size 260 90\n"
  bytes "object vInterline entry 10 10 100 20 real 0\n"
  bytes "object butOK button 170 56 80 24\n"
  bytes "object butCancel button 80 56 80 24\n"
}

# An HTML expression's text; a hyperlink: its kind (method, URL,
# document), each kind's target, the method's number, the title and the link
# style; the date and time lists with the preview; what a page-number field
# shows and its numbering style.
resource 'QFRM' 172 "mvHTMLexpression" {
  bytes "size 420 200\n"
  bytes "object vTitle entry 10 10 400 140 text \"\"\n"
  bytes "object butOK button 330 166 80 24\n"
  bytes "object butCancel button 240 166 80 24\n"
}

resource 'QFRM' 173 "mvHyperLink" {
  bytes "size 480 260\n"
  bytes "object rb1 radio 10 10 120 20\n"
  bytes "object rb2 radio 10 34 120 20\n"
  bytes "object rb3 radio 10 58 120 20\n"
  bytes "object vMethode entry 140 10 200 20 text \"\"\n"
  bytes "object vRef entry 350 10 80 20 real 0\n"
  bytes "object vURL entry 140 34 290 20 text \"\"\n"
  bytes "object vPath entry 140 58 200 20 text \"\"\n"
  bytes "object butLocate button 350 56 80 24\n"
  bytes "object vTitle entry 10 100 420 60 text \"\"\n"
  bytes "object vURLstyle check 10 170 200 20\n"
  bytes "object butOK button 390 226 80 24\n"
  bytes "object butCancel button 300 226 80 24\n"
}

resource 'QFRM' 174 "mvInsertDateTime" {
  bytes "size 480 260\n"
  bytes "object ListDate list 10 10 220 150\n"
  bytes "object ListHour list 250 10 220 150\n"
  bytes "object chkAutoUpdate check 10 170 200 20\n"
  bytes "object vPreview entry 10 196 460 20 text \"\"\n"
  bytes "object butOK button 390 226 80 24\n"
  bytes "object butCancel button 300 226 80 24\n"
}

resource 'QFRM' 175 "mvInsertPageNumber" {
  bytes "size 320 120\n"
  bytes "object droNumberOrTotal popup 10 10 200 20\n"
  bytes "object droFormat popup 10 40 200 20\n"
  bytes "object butOK button 230 86 80 24\n"
  bytes "object butCancel button 140 86 80 24\n"
}

# Go to page, the document's language, the table of a print merge and the
# module's version.
resource 'QFRM' 232 "mvGotoPage" {
  bytes "size 240 90\n"
  bytes "object vPage entry 10 10 100 20 real 1\n"
  bytes "object butOK button 150 56 80 24\n"
  bytes "object butCancel button 60 56 80 24\n"
}
resource 'QFRM' 233 "mvLanguage" {
  bytes "size 260 240\n"
  bytes "object ListLanguage list 10 10 240 180\n"
  bytes "object butOK button 170 206 80 24\n"
  bytes "object butCancel button 80 206 80 24\n"
}
resource 'QFRM' 234 "mvMailing" {
  bytes "size 320 240\n"
  bytes "object ListTables list 10 10 200 180\n"
  bytes "object nbrecsHolder entry 220 10 90 20 text \"\"\n"
  bytes "object nbrecs entry 220 40 90 20 value 0\n"
  bytes "object butFind button 220 80 90 24\n"
  bytes "object butSort button 220 110 90 24\n"
  bytes "object butOK button 230 206 80 24\n"
  bytes "object butCancel button 140 206 80 24\n"
}
resource 'QFRM' 235 "mvAbout" {
  bytes "size 360 120\n"
  bytes "object vVersion entry 10 10 340 20 text \"version\"\n"
  bytes "object vPrefFile entry 10 40 340 20 text \"none\"\n"
  bytes "object butOK button 270 86 80 24\n"
}

# Where a picture goes: in the text or on the page, on which pages, the
# two flags of a picture on the page and the illustration of the choice.
resource 'QFRM' 194 "mvPastePicture" {
  bytes "size 420 220\n"
  bytes "object aWhere1 check 10 10 160 20 value 0\n"
  bytes "object aWhere2 check 10 34 160 20 value 0\n"
  bytes "object bpage1 check 30 64 160 20 value 0\n"
  bytes "object bpage2 check 30 88 160 20 value 0\n"
  bytes "object bpage3 check 30 112 160 20 value 0\n"
  bytes "object bpage4 check 30 136 160 20 value 0\n"
  bytes "object cbBehind check 210 64 180 20 value 0\n"
  bytes "object cbNotInFirstPage check 210 88 180 20 value 0\n"
  bytes "object vPagePreview picture 300 120 64 48\n"
  bytes "object butOK button 330 186 80 24\n"
  bytes "object butCancel button 240 186 80 24\n"
}

# The edit dialog of a picture on a page: place, size (in the unit or in
# percent), drawing mode, pages and flags, and its host expression.
resource 'QFRM' 240 "mvEditPictureInPage" {
  bytes "size 440 300\n"
  bytes "object vLeft entry 10 10 80 20 real 0\n"
  bytes "object vTop entry 100 10 80 20 real 0\n"
  bytes "object vWidth entry 10 40 80 20 real 0\n"
  bytes "object vHeight entry 100 40 80 20 real 0\n"
  bytes "object cbProportionnal check 200 40 160 20 value 0\n"
  bytes "object cbRelative check 200 64 160 20 value 0\n"
  bytes "object cbKeepSize check 200 88 160 20 value 0\n"
  bytes "object droMode popup 10 70 140 20\n"
  bytes "object vPage entry 10 100 80 20 real 0\n"
  bytes "object bpage1 check 10 130 160 20 value 0\n"
  bytes "object bpage2 check 10 154 160 20 value 0\n"
  bytes "object bpage3 check 10 178 160 20 value 0\n"
  bytes "object bpage4 check 10 202 160 20 value 0\n"
  bytes "object cbBehind check 200 130 180 20 value 0\n"
  bytes "object cbNotInFirstPage check 200 154 180 20 value 0\n"
  bytes "object butEdit button 200 190 100 24\n"
  bytes "object butOK button 350 266 80 24\n"
  bytes "object butCancel button 260 266 80 24\n"
}

# The edit dialog of a picture in the text: size (in the unit or in
# percent), drawing mode and its host expression.
resource 'QFRM' 241 "mvEditPicture" {
  bytes "size 400 180\n"
  bytes "object vWidth entry 10 10 80 20 real 0\n"
  bytes "object vHeight entry 100 10 80 20 real 0\n"
  bytes "object cbProportionnal check 200 10 160 20 value 0\n"
  bytes "object cbRelative check 200 34 160 20 value 0\n"
  bytes "object cbKeepSize check 200 58 160 20 value 0\n"
  bytes "object droMode popup 10 40 140 20\n"
  bytes "object butEdit button 200 90 100 24\n"
  bytes "object butOK button 310 146 80 24\n"
  bytes "object butCancel button 220 146 80 24\n"
}

# The print preview: the page shown in "usrPreview", its number and the
# last one, the zoom, the page buttons and the printing of the page shown.
resource 'QFRM' 193 "mvPrintPreview" {
  bytes "size 600 520\n"
  bytes "object butPrevious button 10 10 80 24\n"
  bytes "object p1 entry 100 12 50 20 value 0\n"
  bytes "object p2 entry 160 12 50 20 value 0\n"
  bytes "object butNext button 220 10 80 24\n"
  bytes "object ddZoom popup 310 12 100 20\n"
  bytes "object butPrint button 420 10 80 24\n"
  bytes "object pageholder entry 510 12 80 20 text \"\"\n"
  bytes "object usrPreview user 10 44 460 440\n"
  bytes "object butOK button 510 486 80 24\n"
  bytes "object butCancel button 420 486 80 24\n"
}

# A character of a font: the font, the grid of 7 rows of 32 cells and the
# chosen character's code.
resource 'QFRM' 143 "mvSpecialChar" {
  bytes "size 600 220\n"
  bytes "object Text1 entry 10 10 60 20 text \"Font\"\n"
  bytes "object droFont popup 80 10 220 20\n"
  bytes "object usrChar user 10 40 578 128\n"
  bytes "object vAsciiCode entry 10 180 80 20 text \"\"\n"
  bytes "object butOK button 510 186 80 24\n"
  bytes "object butCancel button 420 186 80 24\n"
}

# Spelling: the word not known, the correction, the suggestions and the
# five ways of handling the word; "butCancel" ends the check.
resource 'QFRM' 230 "mvSpelling" {
  bytes "size 420 260\n"
  bytes "object vWrongWord entry 10 10 260 20 text \"\"\n"
  bytes "object vCorrectWord entry 10 40 260 20 text \"\"\n"
  bytes "object ListSuggestions list 10 70 260 150\n"
  bytes "object butIgnore button 290 10 120 24\n"
  bytes "object butIgnoreAll button 290 40 120 24\n"
  bytes "object butChange button 290 70 120 24\n"
  bytes "object butChangeAll button 290 100 120 24\n"
  bytes "object butAdd button 290 130 120 24\n"
  bytes "object butCancel button 290 226 120 24\n"
}

# Style sheets: the manager with its list, the selected sheet's description
# and preview; what a new sheet starts from; the re-format question; the
# choice of one sheet; and the edit dialog of one sheet.
resource 'QFRM' 160 "mvStyleSheets" {
  bytes "size 560 420\n"
  bytes "object onglet tab 10 6 540 20\n"
  bytes "object ListStyles list 10 30 200 180\n"
  bytes "object txtStyle entry 220 30 330 180 text \"\"\n"
  bytes "object vPreview picture 10 220 540 150\n"
  bytes "object butApply button 10 386 70 24\n"
  bytes "object butImport button 90 386 70 24\n"
  bytes "object butNew button 170 386 70 24\n"
  bytes "object butEdit button 250 386 70 24\n"
  bytes "object butDelete button 330 386 70 24\n"
  bytes "object butOK button 470 386 80 24\n"
  bytes "object butCancel button 410 386 50 24\n"
}

resource 'QFRM' 161 "mvNewStyle" {
  bytes "size 320 150\n"
  bytes "object rbChoice1 radio 10 10 200 20\n"
  bytes "object rbChoice2 radio 10 34 200 20\n"
  bytes "object rbChoice3 radio 10 58 200 20\n"
  bytes "object droStyleSheet popup 30 82 200 20\n"
  bytes "object butOK button 230 116 80 24\n"
  bytes "object butCancel button 140 116 80 24\n"
}

# A table before it is inserted: the general settings (page 1), the
# columns (page 2) and the kinds of line (page 3) over the live preview.
resource 'QFRM' 185 "mvNewArray" {
  bytes "size 640 560\n"
  bytes "object tabSettings tab 0 0 640 30 value 1\n"
  bytes "object droTemplate popup 10 40 200 20 page 1\n"
  bytes "object droFont popup 10 70 200 20 page 1\n"
  bytes "object droSize popup 220 70 80 20 page 1\n"
  bytes "object vNumColumn entry 10 100 80 20 value 4 page 1\n"
  bytes "object vNumLine entry 100 100 80 20 value 5 page 1\n"
  bytes "object ckSeparator check 10 130 200 20 page 1\n"
  bytes "object butAllText button 220 130 120 24 page 1\n"
  bytes "object droColumn popup 10 40 160 20 page 2\n"
  bytes "object rbValue1 radio 10 70 160 20 page 2\n"
  bytes "object rbValue2 radio 10 94 160 20 page 2\n"
  bytes "object rbValue3 radio 10 118 160 20 page 2\n"
  bytes "object vStartValue entry 180 94 60 20 value 1 page 2\n"
  bytes "object droPredefined popup 250 94 140 20 page 2\n"
  bytes "object nbrecsHolder picture 180 118 300 24 page 2\n"
  bytes "object vField entry 184 120 150 20 text \"\" page 2\n"
  bytes "object nbrecs entry 340 120 60 20 value 0 page 2\n"
  bytes "object butQvField button 490 118 60 24 page 2\n"
  bytes "object butFind button 490 146 60 24 page 2\n"
  bytes "object butSort button 560 146 60 24 page 2\n"
  bytes "object ckFixedWidth check 10 150 120 20 page 2\n"
  bytes "object vWidth entry 140 150 80 20 real 0 page 2\n"
  bytes "object droAlignment popup 230 150 120 20 page 2\n"
  bytes "object butColumnText button 360 150 120 24 page 2\n"
  bytes "object droLine popup 10 40 160 20 page 3\n"
  bytes "object popBackColor popup 10 70 170 20 page 3 items \"Lavender|Pale blue|Pale cyan|Pale green|Pale orange|Pink|White|Light grey|Grey|Dark grey|None|Other...\"\n"
  bytes "object popLineColor popup 190 70 170 20 page 3 items \"Blue|Sky blue|Cyan|Green|Orange|Magenta|White|Light grey|Grey|Dark grey|Black|Other...\"\n"
  bytes "object vInterline entry 370 70 60 20 real 0 page 3\n"
  bytes "object rbLineValue1 radio 10 100 200 20 page 3\n"
  bytes "object rbLineValue2 radio 10 124 200 20 page 3\n"
  bytes "object vLineStartValue entry 220 124 60 20 value 1 page 3\n"
  bytes "object droLinePredefined popup 290 124 140 20 page 3\n"
  bytes "object ckLeaveEmpty check 10 150 200 20 page 3\n"
  bytes "object butLineText button 220 150 120 24 page 3\n"
  bytes "object butBorder button 350 150 120 24 page 3\n"
  bytes "object vPreview picture 10 190 620 320\n"
  bytes "object butOK button 550 526 80 24\n"
  bytes "object butCancel button 460 526 80 24\n"
}

# Whether the table takes as many lines as the field's table has records.
resource 'QFRM' 186 "mvResizeArray" {
  bytes "size 320 100\n"
  bytes "object butOK button 230 66 80 24\n"
  bytes "object butCancel button 140 66 80 24\n"
}

resource 'QFRM' 162 "mvStyleModified" {
  bytes "size 320 110\n"
  bytes "object rbChoice1 radio 10 10 260 20\n"
  bytes "object rbChoice2 radio 10 34 260 20\n"
  bytes "object butOK button 230 76 80 24\n"
}

resource 'QFRM' 163 "mvChooseStyle" {
  bytes "size 260 240\n"
  bytes "object ListStyleSheet list 10 10 240 180\n"
  bytes "object butOK button 170 206 80 24\n"
  bytes "object butCancel button 80 206 80 24\n"
}

# Document statistics: nineteen counts and sizes, and the two buttons that
# empty the undo history and the picture caches.
resource 'QFRM' 231 "mvDocumentStatistics" {
  bytes "size 420 360\n"
  bytes "object vNbLines entry 10 10 120 20 value 0\n"
  bytes "object vNbPages entry 10 38 120 20 value 0\n"
  bytes "object vNbChars entry 10 66 120 20 value 0\n"
  bytes "object vNbWords entry 10 94 120 20 value 0\n"
  bytes "object vNbParagraphs entry 10 122 120 20 value 0\n"
  bytes "object vNbPictures entry 10 150 120 20 value 0\n"
  bytes "object vNbObjects entry 10 178 120 20 value 0\n"
  bytes "object vNbSoftHyphens entry 10 206 120 20 value 0\n"
  bytes "object vNbPageBreaks entry 10 234 120 20 value 0\n"
  bytes "object vNbColumnBreaks entry 10 262 120 20 value 0\n"
  bytes "object vNbDateTime entry 220 10 120 20 value 0\n"
  bytes "object vNbPageNumbers entry 220 38 120 20 value 0\n"
  bytes "object vNbHyperlinks entry 220 66 120 20 value 0\n"
  bytes "object vNbRTFexpressions entry 220 94 120 20 value 0\n"
  bytes "object vNbHTMLexpressions entry 220 122 120 20 value 0\n"
  bytes "object vPicturesInPage entry 220 150 120 20 value 0\n"
  bytes "object vSize entry 220 178 120 20 value 0\n"
  bytes "object vUndoBuffer entry 220 206 120 20 value 0\n"
  bytes "object vPictCache entry 220 234 120 20 value 0\n"
  bytes "object bClearUndoBuffer button 10 292 190 24\n"
  bytes "object bClearPictureCache button 220 292 190 24\n"
  bytes "object butOK button 330 326 80 24\n"
}

resource 'QFRM' 164 "mvEditStyle" {
  bytes "size 560 460\n"
  bytes "object onglet tab 10 6 540 20\n"
  bytes "object vStyleName entry 10 30 220 20 text \"\"\n"
  bytes "object drAppliesTo popup 240 30 150 20\n"
  bytes "object vShortcut entry 400 30 40 20 text \"\"\n"
  bytes "object ckbUseTabulations check 10 60 160 20\n"
  bytes "object ckbApplyToParagraph check 180 60 160 20\n"
  bytes "object butCharacters button 10 90 100 24\n"
  bytes "object butParagraphs button 120 90 100 24\n"
  bytes "object butBorders button 230 90 100 24\n"
  bytes "object butTabulations button 340 90 100 24\n"
  bytes "object txtStyle entry 10 124 540 100 text \"\"\n"
  bytes "object vPreview picture 10 234 540 180\n"
  bytes "object butRevert button 10 426 80 24\n"
  bytes "object butNone button 100 426 80 24\n"
  bytes "object butOK button 470 426 80 24\n"
  bytes "object butCancel button 380 426 80 24\n"
}
