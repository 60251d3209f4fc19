# The package's identity, its routine names, its alerts and its preferences.

# The package: its id is the resource base (12000) and its name the
# package's name. The data carries no other base.
resource 'QBNX' 12000 "Qv Morva" {
}

# The module's routines in the host, item n naming routine n; a name
# beginning with "%" or "_" is an area routine.
resource 'STR#' 12000 {
  u16 1
  pstr "%Qv Morva"
}

# Alerts, addressed as resource base + 6.
resource 'STR#' 12006 {
  u16 17
  pstr "" pstr "" pstr "" pstr "" pstr "" pstr "" pstr ""
  pstr "" pstr "" pstr "" pstr "" pstr "" pstr ""
  pstr "Qv Morva needs Qvbase 6.7 or later; it has not been started."         # 14
  pstr ""
  pstr "The areas of Qv Morva that were open without a form have been closed."  # 16
  pstr "This version of Qvbase is newer than Qv Morva allows; it has not been started."  # 17
}

# The preferences layout: its version, and the resources copied into the
# preferences file when that version is newer than the file's (none yet).
resource 'XPRF' 12000 "Qv Morva" {
  u32 1
  u16 0
}

# The rules of the editing area's interface block (the area's resource id
# is the base plus its routine, 1): the stamp that stored blocks must carry,
# and no rules, so that the default interface types are copied.
resource 'XPRF' 12001 {
  u32 1
  u16 0
}

# List-number style 5: item ((n - 1) mod 7) + 1 names number n.
resource 'STR#' 12118 {
  u16 7
  pstr "Monday" pstr "Tuesday" pstr "Wednesday" pstr "Thursday" pstr "Friday"
  pstr "Saturday" pstr "Sunday"
}

# List-number style 6: item ((n - 1) mod 12) + 1 names number n.
resource 'STR#' 12119 {
  u16 12
  pstr "January" pstr "February" pstr "March" pstr "April" pstr "May" pstr "June"
  pstr "July" pstr "August" pstr "September" pstr "October" pstr "November" pstr "December"
}
