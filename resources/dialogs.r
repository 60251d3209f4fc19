# The dialogs' words, addressed from the resource base (12000).

# The font dialog's sizes, each a decimal number.
resource 'STR#' 12124 {
  u16 16
  pstr "8" pstr "9" pstr "10" pstr "11" pstr "12" pstr "14" pstr "16" pstr "18"
  pstr "20" pstr "24" pstr "28" pstr "32" pstr "36" pstr "48" pstr "60" pstr "72"
}

# The print preview's zooms, each read as its percentage; item 5 is 100 %,
# the zoom the preview opens at.
resource 'STR#' 12025 {
  u16 9
  pstr "25 %" pstr "50 %" pstr "75 %" pstr "90 %" pstr "100 %" pstr "125 %" pstr "150 %"
  pstr "200 %" pstr "400 %"
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
