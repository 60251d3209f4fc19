# The framework's own resources.

# The words for false and true in the text form of boolean values.
resource 'STR#' 9003 {
  u16 2
  pstr "False"
  pstr "True"
}

# The edit menu's undo and redo titles: items 1 and 2 when there is
# something to undo or redo, items 3 and 4 when there is not.
resource 'STR#' 9002 {
  u16 4
  pstr "Undo"
  pstr "Redo"
  pstr "Can't Undo"
  pstr "Can't Redo"
}
