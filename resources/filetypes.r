# The file type map: the extension under which a file of each Macintosh type
# is stored, the type a file found under an extension gets, a second code
# (a file made with a type whose second code is not 0 has its type and
# creator recorded beside it) and a flag (bit 7 of the flags byte).
# Each entry: type, second code, extension (padded with spaces), flags, 0.
# The first row of a type or an extension is the one every lookup takes.
resource 'FMAP' 128 {
  u16 12
  bytes "QMV7" bytes "QMV7" bytes "QMV " u8 0 0   # own document
  bytes "QMT7" bytes "QMT7" bytes "QMT " u8 0 0   # own template
  bytes "QMV6" bytes "QMV6" bytes "QM6 " u8 0 0   # older document
  bytes "RTF " bytes "RTF " bytes "RTF " u8 0 0
  bytes "HTML" bytes "HTML" bytes "HTML" u8 0 0
  bytes "HTM " bytes "HTML" bytes "HTM " u8 0 0
  bytes "SHTM" bytes "HTML" bytes "SHTM" u8 0 0
  bytes "DOC8" bytes "DOC8" bytes "DOC " u8 0 0   # Word 97, the one written
  bytes "DOC6" bytes "DOC6" bytes "DOC " u8 0 0   # Word 95
  bytes "DOC5" bytes "DOC5" bytes "DOC " u8 0 0   # Word 6
  bytes "TEXT" bytes "TEXT" bytes "TXT " u8 0 0
  bytes "PICT" bytes "PICT" bytes "PCT " u8 0 0
}
