# The array dialog: its words (addressed from the resource base, 12000) and
# its templates.

# The dialog's tab control.
resource 'STR#' 12113 {
  u16 3
  pstr "General" pstr "Columns" pstr "Lines"
}

# The column items: this text followed by the column's number.
resource 'STR#' 12114 {
  u16 1
  pstr "Column "
}

# Column alignments, items 1 to 4.
resource 'STR#' 12115 {
  u16 4
  pstr "Left" pstr "Centre" pstr "Right" pstr "Decimal"
}

# Numbering styles: item = the list number style + 1.
resource 'STR#' 12116 {
  u16 7
  pstr "1, 2, 3" pstr "a, b, c" pstr "A, B, C" pstr "i, ii, iii" pstr "I, II, III"
  pstr "Monday, Tuesday" pstr "January, February"
}

# The four kinds of line.
resource 'STR#' 12117 {
  u16 4
  pstr "First line" pstr "Even lines" pstr "Odd lines" pstr "Last line"
}

# The templates ('ARAY'), listed by ascending id under their names. Each:
# separator flag, a spare byte and word, the alignment of every column, then
# eight lists of {property id, value}, each behind its 16-bit count: every
# line, even lines, every column, even columns, first line, last line, first
# column, last column.

# Plain: left columns, no colours.
resource 'ARAY' 12001 "Plain" {
  u8 0 0 u16 0 1
  u16 0
  u16 0
  u16 0
  u16 0
  u16 1 u32 0 1
  u16 0
  u16 0
  u16 0
}

# Ruled: separators between the columns, a border under the first line and
# above the last one, centred columns.
resource 'ARAY' 12002 "Ruled" {
  u8 1 0 u16 0 2
  u16 1 u32 39 0x000000
  u16 0
  u16 0
  u16 0
  u16 2 u32 0 1 u32 44 1
  u16 1 u32 43 1
  u16 0
  u16 0
}

# Banded: pale blue even lines, a blue first line in white bold, the first
# column in italics and the last one right-aligned on a grey background.
resource 'ARAY' 12003 "Banded" {
  u8 0 0 u16 0 1
  u16 1 u32 33 10
  u16 1 u32 38 0xA6D9FF
  u16 1 u32 45 2
  u16 1 u32 3 0
  u16 3 u32 38 0x0000FF u32 9 0xFFFFFF u32 0 1
  u16 2 u32 38 0xCCCCCC u32 0 1
  u16 1 u32 1 1
  u16 1 u32 10 0xCCCCCC
}

# Figures: decimal columns closed by separators, boxed lines.
resource 'ARAY' 12004 "Figures" {
  u8 1 0 u16 0 4
  u16 4 u32 41 1 u32 42 1 u32 43 1 u32 44 1
  u16 0
  u16 0
  u16 0
  u16 1 u32 0 1
  u16 1 u32 1 1
  u16 0
  u16 0
}
