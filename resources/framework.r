# The framework's own resources.

# The words for false and true in the text form of boolean values.
resource 'STR#' 9003 {
  u16 2
  pstr "False"
  pstr "True"
}
