# The stand-in host's own resources.

# Names of host variables that the module writes by list position: item 1
# takes a Boolean, item 4 a value; the name ends at the first ":".
resource 'STR#' 3 {
  u16 4
  pstr "vMorvaFlag:Boolean"
  pstr "-"
  pstr "-"
  pstr "vMorvaValue:Value"
}
