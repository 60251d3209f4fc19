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

# How a picture is drawn in its box, item n the drawing mode n.
resource 'STR#' 12123 {
  u16 6
  pstr "Own size" pstr "Centred" pstr "Tiled" pstr "Scaled to fit" pstr "Stretched"
  pstr "Scaled to fit, centred"
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

# The paste picture dialog's illustrations, 64 x 48 pixels: where the
# picture goes.
# A picture in a line of the text.
resource 'PICT' 12004 {
  u16 118 0 0 48 64
  hex "0011 02FF"
  hex "0C00 FFFE 0000 0048 0000 0048 0000 0000 0000 0030 0040 0000 0000"
  hex "001A 0000 0000 0000"
  hex "0031 0008 0008 000A 0038"
  hex "0031 000E 0008 0010 0038"
  hex "0031 001A 0008 001C 0038"
  hex "0031 0020 0008 0022 0038"
  hex "0031 0026 0008 0028 0038"
  hex "001A 3333 6666 CCCC"
  hex "0031 0012 0018 0018 0028"
  hex "00FF"
}

# A picture on the page, over the text.
resource 'PICT' 12005 {
  u16 128 0 0 48 64
  hex "0011 02FF"
  hex "0C00 FFFE 0000 0048 0000 0048 0000 0000 0000 0030 0040 0000 0000"
  hex "001A 0000 0000 0000"
  hex "0031 0008 0008 000A 0038"
  hex "0031 000E 0008 0010 0038"
  hex "0031 0014 0008 0016 0038"
  hex "0031 001A 0008 001C 0038"
  hex "0031 0020 0008 0022 0038"
  hex "0031 0026 0008 0028 0038"
  hex "001A 3333 6666 CCCC"
  hex "0031 000C 001C 0024 0034"
  hex "00FF"
}

# A picture on the page, behind the text.
resource 'PICT' 12006 {
  u16 128 0 0 48 64
  hex "0011 02FF"
  hex "0C00 FFFE 0000 0048 0000 0048 0000 0000 0000 0030 0040 0000 0000"
  hex "001A AAAA BBBB EEEE"
  hex "0031 000C 001C 0024 0034"
  hex "001A 0000 0000 0000"
  hex "0031 0008 0008 000A 0038"
  hex "0031 000E 0008 0010 0038"
  hex "0031 0014 0008 0016 0038"
  hex "0031 001A 0008 001C 0038"
  hex "0031 0020 0008 0022 0038"
  hex "0031 0026 0008 0028 0038"
  hex "00FF"
}
