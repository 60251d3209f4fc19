# The words of the document dialogs (preferences, information, dates and
# times, page numbers, hyperlinks), addressed from the resource base (12000).

# Numbering styles of a page-number field, item style + 1.
resource 'STR#' 12007 {
  u16 7
  pstr "1, 2, 3" pstr "a, b, c" pstr "A, B, C" pstr "i, ii, iii" pstr "I, II, III"
  pstr "Monday, Tuesday" pstr "January, February"
}

# Units of lengths, item unit + 1.
resource 'STR#' 12008 {
  u16 3
  pstr "Centimetres" pstr "Inches" pstr "Points"
}

# The column counts of the page, item N for N columns.
resource 'STR#' 12023 {
  u16 10
  pstr "1 column" pstr "2 columns" pstr "3 columns" pstr "4 columns" pstr "5 columns"
  pstr "6 columns" pstr "7 columns" pstr "8 columns" pstr "9 columns" pstr "10 columns"
}

# The preferences' pages.
resource 'STR#' 12111 {
  u16 2
  pstr "Document" pstr "Spelling"
}

# The side of the first page, item 2 - kind: 1 on the right, 2 on the left.
resource 'STR#' 12121 {
  u16 2
  pstr "Right-hand page" pstr "Left-hand page"
}

# What a page-number field shows.
resource 'STR#' 12122 {
  u16 2
  pstr "Page number" pstr "Number of pages"
}

# The speller's engine and dictionary as shown while none is chosen.
resource 'TEXT' 12000 {
  bytes "No spelling engine chosen"
}
resource 'TEXT' 12001 {
  bytes "No dictionary chosen"
}

# The open dialog of the package's resource id: the documents a hyperlink
# leads to and the file command's open. The filter chosen first, all files,
# has no type of its own, so that a chosen file is read as the format its own
# type names, and a file of no such type as its content tells; the others
# name their types (name, default type, further types).
resource 'FGET' 12000 "Open any document" {
  u8 0 0
  u16 -1 -1
  pstr ":9010,1" hex "000000000000000000000000000000000000000000000000"
  u16 1 7
  pstr ":9010,9" hex "000000000000000000000000000000000000000000000000"
    u32 0 u16 0
  pstr ":9010,3" hex "000000000000000000000000000000000000000000000000"
    bytes "QMV7" u16 2 bytes "QMT7" bytes "QMV6"
  pstr ":9010,5" hex "000000000000000000000000000000000000000000000000"
    bytes "RTF " u16 0
  pstr ":9010,6" hex "000000000000000000000000000000000000000000000000"
    bytes "HTML" u16 2 bytes "HTM " bytes "SHTM"
  pstr ":9010,7" hex "000000000000000000000000000000000000000000000000"
    bytes "DOC8" u16 2 bytes "DOC6" bytes "DOC5"
  pstr ":9010,8" hex "000000000000000000000000000000000000000000000000"
    bytes "TEXT" u16 0
}

# The save dialog of the package's resource id: the save-as command and the
# save command of a document without a file of its own. The own format is
# the filter chosen first; each filter gives its file type (name, default
# type or 0, file type, paired code), and plain text is written as Windows
# text.
resource 'FPUT' 12000 "Save any document" {
  u8 0 0
  u16 -1 -1
  pstr ":9010,2" hex "000000000000000000000000000000000000000000000000"
  u16 1 6
  pstr ":9010,3" hex "000000000000000000000000000000000000000000000000"
    u32 0 bytes "QMV7" bytes "QMV7"
  pstr ":9010,4" hex "000000000000000000000000000000000000000000000000"
    u32 0 bytes "QMT7" bytes "QMT7"
  pstr ":9010,5" hex "000000000000000000000000000000000000000000000000"
    u32 0 bytes "RTF " bytes "RTF "
  pstr ":9010,6" hex "000000000000000000000000000000000000000000000000"
    u32 0 bytes "HTML" bytes "HTML"
  pstr ":9010,7" hex "000000000000000000000000000000000000000000000000"
    u32 0 bytes "DOC8" bytes "DOC8"
  pstr ":9010,8" hex "000000000000000000000000000000000000000000000000"
    u32 0 bytes "TEXT" bytes "TEXT"
}
