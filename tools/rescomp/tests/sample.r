# A script that uses every construct, compiled by the tool at build time;
# the tests read the file back and compare it with the bytes written here.
resource 'TEST' 128 "Sample" attrs 8 {
  u8 1 255 -1 0x7F           # bytes
  u16 0x1234 -2              # big-endian
  u32 0x01020304
  u32 -1
  hex "00 0a FF
       10"
  pstr "Café"                # é is 0x8E in Mac Roman
  bytes "a\"b\\\x80"
}

resource 'STR#' -5 {
}

resource 'TEST' 129 {
  u16 1 2
  3                          # values may continue on the next line
}
