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
