# The open and save dialogs of the documents: 'FGET' and 'FPUT' descriptions
# (title, filters and the filter chosen first) and the texts they name.
# Titles and filter names are 32-byte fields holding a length-prefixed text
# padded with zeros; ":9010,n" stands for item n of 'STR#' 9010.

resource 'STR#' 9010 "File dialog texts" {
  u16 10
  pstr "Open a document"
  pstr "Save the document as"
  pstr "Qv Morva documents"
  pstr "Qv Morva templates"
  pstr "Rich text"
  pstr "Web pages"
  pstr "Word documents"
  pstr "Plain text"
  pstr "All files"
  pstr "Older Qv Morva documents"
}

# Opening: option bits, a byte not read, two placement values, the title,
# the filter chosen first, the filters (name, default type, further
# types; the default type, when the file type map knows it, is the first).
resource 'FGET' 128 "Open document" {
  u8 0 0
  u16 -1 -1
  pstr ":9010,1" hex "000000000000000000000000000000000000000000000000"
  u16 1 6
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
  pstr ":9010,9" hex "000000000000000000000000000000000000000000000000"
    bytes "????" u16 0
}

# Importing style sheets: the documents and templates of this format only.
resource 'FGET' 12003 "Import style sheets" {
  u8 0 0
  u16 -1 -1
  pstr ":9010,1" hex "000000000000000000000000000000000000000000000000"
  u16 1 2
  pstr ":9010,3" hex "000000000000000000000000000000000000000000000000"
    bytes "QMV7" u16 0
  pstr ":9010,4" hex "000000000000000000000000000000000000000000000000"
    bytes "QMT7" u16 0
}

# Saving: option bits, a byte not read, two placement values, the title,
# the filter chosen first, the filters (name, default type or 0, file type,
# paired code).
resource 'FPUT' 128 "Save document" {
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
