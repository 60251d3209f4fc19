# The document model's words: property names, the texts of the property and
# tab descriptions, unit, colour, border, alignment, bullet and tab names,
# addressed from the resource base (12000).

# Property names, item id + 1.
resource 'STR#' 12001 {
  u16 46
  pstr "bold" pstr "italic" pstr "shadow" pstr "strike-out" pstr "underline"
  pstr "superscript or subscript" pstr "capitals" pstr "Font" pstr "Size" pstr "Text colour"
  pstr "Back colour" pstr "Strike-out colour" pstr "Underline colour" pstr "Shadow colour"
  pstr "Link" pstr "Style sheet" pstr "Attribute"
  pstr "" pstr "" pstr "" pstr "" pstr "" pstr "" pstr "" pstr "" pstr "" pstr "" pstr ""
  pstr "" pstr "" pstr "" pstr ""
  pstr "Alignment" pstr "Line spacing" pstr "Bullet" pstr "Left indent" pstr "First line indent"
  pstr "Right indent" pstr "Paragraph colour" pstr "Border colour" pstr "Border style"
  pstr "left border" pstr "right border" pstr "top border" pstr "bottom border"
  pstr "Border spacing"
}

# Underline kinds, item kind + 1.
resource 'STR#' 12009 {
  u16 8
  pstr "not underlined" pstr "underlined" pstr "words underlined" pstr "double underlined"
  pstr "dotted underline" pstr "underline 5" pstr "underline 6" pstr "underline 7"
}

# The document's words: 1 and 2 sample texts, 3 negation, 4 border
# negation, 5 label separator, 6 separator, 7 to 10 letter case and
# vertical position, 13 and 14 break labels, 15 and 16 tab stop words, 17
# after the number of replacements made, 18
# to 20 description titles, 21 the name of a new document, 23 and 24 the
# own window command (leave, enter), 25 and 26 the date's and the time's
# none entries, 27 the host's page-number expression
# (older documents' marks holding it become page numbers), 28 the text of
# an area too small, 29
# and 31 around a style sheet's shortcut, 33 and 34 the title of the
# references command (values shown, references shown).
resource 'STR#' 12010 {
  u16 34
  pstr "AaBbCc 123" pstr "The quick brown fox jumps over the lazy dog."
  pstr "not " pstr "no " pstr ": " pstr ", " pstr "small capitals" pstr "capitals"
  pstr "superscript" pstr "subscript" pstr "" pstr "" pstr "Page break" pstr "Column break"
  pstr " " pstr " leader " pstr " replacements made" pstr "Character:" pstr "Paragraph:" pstr "Tabs"
  pstr "Untitled"
  pstr "" pstr "Back to the Form" pstr "Open in Window" pstr "No date" pstr "No time" pstr "Page number"
  pstr "Too small to show the document" pstr " (Ctrl+" pstr "" pstr ")"
  pstr "" pstr "Show Values" pstr "Show References"
}

# Style sheet names: 1 the default sheet, 2 a new sheet before its number.
resource 'STR#' 12012 {
  u16 2
  pstr "Normal" pstr "Style "
}

# Alignments, item value + 1.
resource 'STR#' 12013 {
  u16 4
  pstr "aligned left" pstr "centred" pstr "aligned right" pstr "justified"
}

# Display units, item unit + 1.
resource 'STR#' 12014 {
  u16 3
  pstr " cm" pstr " in" pstr " pt"
}

# The palette's colours, by the palette's order (colour values hold red in
# their low byte: 0x0000FF is red, 0xFF9933 blue).
resource 'STR#' 12017 {
  u16 18
  pstr "none" pstr "white" pstr "light grey" pstr "grey" pstr "dark grey" pstr "black"
  pstr "red" pstr "orange" pstr "yellow" pstr "green" pstr "blue" pstr "violet"
  pstr "pink" pstr "pale orange" pstr "pale yellow" pstr "pale green" pstr "pale blue"
  pstr "lilac"
}

# Border styles, item style + 1.
resource 'STR#' 12018 {
  u16 11
  pstr "thin" pstr "medium" pstr "thick" pstr "dotted thin" pstr "dotted medium"
  pstr "dotted thick" pstr "double" pstr "double thick" pstr "triple" pstr "thick and thin"
  pstr "thin and thick"
}

# The progress gauge's messages, item = message index: 1 laying out the
# whole text, 4 and 6 reading HTML and RTF, 7 writing RTF, 11 writing Word.
resource 'STR#' 12019 {
  u16 11
  pstr "Laying out the text" pstr "" pstr "" pstr "Reading the HTML file" pstr ""
  pstr "Reading the RTF file" pstr "Writing the RTF file" pstr "" pstr "" pstr ""
  pstr "Writing the Word file"
}

# Tab stop kinds, item = kind.
resource 'STR#' 12020 {
  u16 4
  pstr "left" pstr "centred" pstr "right" pstr "decimal"
}

# The usual bullets, then "other": a symbol chosen in the special
# character grid.
resource 'STR#' 12021 {
  u16 8
  pstr "none" pstr "square" pstr "hollow square" pstr "disc" pstr "hollow disc"
  pstr "diamond" pstr "arrow" pstr "other"
}

# The default font of a new document.
resource 'STR ' 12000 {
  pstr "Arial"
}

# The paper a new document takes when the printer gives none: its width and
# height, then its left, top, right and bottom margins, in hundredths of a
# millimetre (A4 with margins of 2 cm).
resource 'XPPR' 12000 {
  u32 21000 u32 29700 u32 2000 u32 2000 u32 2000 u32 2000
}
