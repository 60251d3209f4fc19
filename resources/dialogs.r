# The dialogs' words, addressed from the resource base (12000).

# The font dialog's sizes, each a decimal number.
resource 'STR#' 12124 {
  u16 16
  pstr "8" pstr "9" pstr "10" pstr "11" pstr "12" pstr "14" pstr "16" pstr "18"
  pstr "20" pstr "24" pstr "28" pstr "32" pstr "36" pstr "48" pstr "60" pstr "72"
}

# The tab control of the style sheet dialogs.
resource 'STR#' 12112 {
  u16 3
  pstr "Characters" pstr "Paragraphs" pstr "Tabulations"
}

# What a style sheet applies to, item 1 characters and item 2 paragraphs.
resource 'STR#' 12120 {
  u16 2
  pstr "Characters" pstr "Paragraphs"
}

# The languages offered for a document, item i naming the language whose
# code is code i of the 'LGCD' resource below.
resource 'STR#' 12015 {
  u16 5
  pstr "English" pstr "French" pstr "German" pstr "Italian" pstr "Spanish"
}

# The language codes of the list above (Windows language identifiers): a
# 16-bit count, then the codes.
resource 'LGCD' 12000 {
  u16 5
  u16 0x0409 u16 0x040C u16 0x0407 u16 0x0410 u16 0x0C0A
}

# The module's version: major, minor, stage, release, region, then the
# short and the long version strings.
resource 'vers' 1 {
  u8 1 u8 0 u8 0x80 u8 0 u16 0
  pstr "1.0"
  pstr "1.0, Qv Morva"
}
