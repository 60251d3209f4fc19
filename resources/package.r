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
  u16 28
  pstr "There is not enough memory left for Qv Morva."                        # 1
  pstr ""
  pstr "The spelling check is finished."                                       # 3
  pstr "The spelling engine refused its options."                              # 4
  pstr "The spelling engine could not be loaded."                              # 5
  pstr "The spelling dictionary could not be opened."                          # 6
  pstr "The file could not be opened."                                          # 7
  pstr "The document is damaged and could not be read."                         # 8
  pstr "The document is in no format Qv Morva can read."                        # 9
  pstr "The table has no records to print."                                    # 10
  pstr "Qvbase did not keep the template."                                     # 11
  pstr "The fixed columns are wider than the text."                            # 12
  pstr "This area has a template already. Replace it?"                         # 13
  pstr "Qv Morva needs Qvbase 6.7 or later; it has not been started."         # 14
  pstr ""
  pstr "The areas of Qv Morva that were open without a form have been closed."  # 16
  pstr "This version of Qvbase is newer than Qv Morva allows; it has not been started."  # 17
  pstr "Qvbase has no room left to run a method now."                                   # 18
  pstr "This document comes from an older version of Qv Morva. Store it in the new format?"  # 19
  pstr "Save the changes to this document before closing it?"                          # 20
  pstr "This Word document was fast-saved; save it again in Word with fast saves turned off."  # 21
  pstr "" pstr ""
  # What a Word file's reading left out, each followed by its count.
  pstr "Objects left out: "                                                     # 24
  pstr "Fields left out: "                                                      # 25
  pstr "Pictures left out: "                                                    # 26
  pstr "Drawn shapes left out: "                                                # 27
  # Asked before a plain text save in a code page that lacks characters of
  # the document: yes saves as Unicode text; the dialog adds "save anyway".
  pstr "This document holds characters that this plain text cannot carry. Save it as Unicode text, which keeps every character?"  # 28
}

# Command error texts, addressed as resource base + 22: item (code - 999)
# is the message of command error code; items of unused codes are empty.
resource 'STR#' 12022 {
  u16 101
  pstr ""
  pstr "A required argument is missing."  # 1001
  pstr "The document could not be printed."  # 1002
  pstr "The left indent is beyond the right limit."  # 1003
  pstr "The first line starts before the left edge."  # 1004
  pstr "The first line starts beyond the right limit."  # 1005
  pstr "The tab stop request is not valid."  # 1006
  pstr "The array is not one of 3 rows with 10 words in its first."  # 1007
  pstr ""
  pstr ""
  pstr ""
  pstr ""
  pstr "The document could not be exported."  # 1012
  pstr "The text range is not valid."  # 1013
  pstr ""
  pstr "The document data is damaged."  # 1015
  pstr "The command code is not known."  # 1016
  pstr "No document data was given."  # 1017
  pstr ""
  pstr ""
  pstr ""
  pstr ""
  pstr "This is not a Qv Morva area."  # 1022
  pstr "The table has no records to print."  # 1023
  pstr "The text is longer than 32000 characters."  # 1024
  pstr ""
  pstr ""
  pstr ""
  pstr "There is nothing of that kind to select."  # 1028
  pstr ""
  pstr ""
  pstr ""
  pstr "The document data is in no format Qv Morva reads."  # 1032
  pstr ""
  pstr "No picture is selected."  # 1034
  pstr "The picture size is out of range."  # 1035
  pstr "The picture position is out of range."  # 1036
  pstr ""
  pstr "There is no style sheet with that number."  # 1038
  pstr ""
  pstr ""
  pstr "There is not enough memory."  # 1041
  pstr ""
  pstr ""
  pstr "The event kind is not between -1 and 10."  # 1044
  pstr ""
  pstr ""
  pstr "The table or field number is out of range."  # 1047
  pstr ""
  pstr ""
  pstr ""
  pstr "There is no such file."  # 1051
  pstr ""
  pstr ""
  pstr "The date and time kind is out of range."  # 1054
  pstr "The format is out of range."  # 1055
  pstr "The value is out of range."  # 1056
  pstr "The display unit is out of range."  # 1057
  pstr ""
  pstr ""
  pstr "A subtable field cannot be referenced."  # 1060
  pstr ""
  pstr ""
  pstr ""
  pstr ""
  pstr "No picture data was given."  # 1065
  pstr "The tab list is full."  # 1066
  pstr "The tab position is out of range."  # 1067
  pstr "The tab kind is out of range."  # 1068
  pstr "A BLOB field cannot be referenced."  # 1069
  pstr ""
  pstr ""
  pstr "There is no soft hyphen next to the caret."  # 1072
  pstr "The host expression has no value."  # 1073
  pstr "Nothing was found, or the data has a bad format."  # 1074
  pstr "The property id is not valid."  # 1075
  pstr "The property value is out of range."  # 1076
  pstr "There is no font of that name."  # 1077
  pstr "There is no style sheet of that number to apply."  # 1078
  pstr "The area option number is not between 0 and 59."  # 1079
  pstr "The option value is out of range."  # 1080
  pstr "A record of the table cannot be reached."  # 1081
  pstr "The page of the picture is out of range."  # 1082
  pstr "There is no picture on the page with that number."  # 1083
  pstr "There is no tab stop with that number."  # 1084
  pstr "The special element kind is out of range."  # 1085
  pstr "The page number is out of range."  # 1086
  pstr "The column number is out of range."  # 1087
  pstr "The line number is out of range."  # 1088
  pstr "The option number is out of range."  # 1089
  pstr "The count kind is out of range."  # 1090
  pstr "That part of the page is not available."  # 1091
  pstr "The command was not executed."  # 1092
  pstr ""
  pstr "This style sheet may not be deleted."  # 1094
  pstr "The file cannot be opened."  # 1095
  pstr "The document was fast-saved by Word."  # 1096
  pstr "The document was repaired while it was read."  # 1097
  pstr ""
  pstr ""
  pstr "The document was read with a report."  # 1100
}

# The preferences layout: its version, and the resources copied into the
# preferences file when that version is newer than the file's (none yet).
resource 'XPRF' 12000 "Qv Morva" {
  u32 1
  u16 0
}

# The rules of the editing area's interface block (the area's resource id
# is the base plus its routine, 1): the stamp that stored blocks must carry,
# and no rules, so that the default interface types are copied. The stamp
# moves on when the interface changes, so that a form stored before takes
# the new one (2: the Insert menu).
resource 'XPRF' 12001 {
  u32 2
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

# The form editor's placeholder of an area: what follows the area's label
# for each binding state, before the field's name (1 the field keeps the
# document; 2 to 4 the field has the name but not a type the document can
# be kept in) or the field name looked for (5 to 7 no field has it). Of
# each triple: picture and BLOB fields usable, picture only, BLOB only.
resource 'STR#' 11000 {
  u16 7
  pstr " document in field "                            # 1
  pstr " document needs a picture or BLOB field, not "  # 2
  pstr " document needs a picture field, not "          # 3
  pstr " document needs a BLOB field, not "             # 4
  pstr " document has no picture or BLOB field named "  # 5
  pstr " document has no picture field named "          # 6
  pstr " document has no BLOB field named "             # 7
}

# The area's icon, resource base + 137: the id the host's area event 604
# is answered with, and the icon the placeholder draws left of its label.
# A page of text with its corner folded.
resource 'cicn' 12137 "MorvaArea" {
  palette ". none" "k 000000" "w FFFFFF" "b 2A5DB0" "g 9A9A9A"
  pixels
    ".kkkkkkkkkk....."
    ".kwwwwwwwwkk...."
    ".kwwwwwwwwkgk..."
    ".kwwwwwwwwkggk.."
    ".kwwwwwwwwkkkkk."
    ".kwbbbbbbbbbwwk."
    ".kwwwwwwwwwwwwk."
    ".kwbbbbbbbbbbwk."
    ".kwwwwwwwwwwwwk."
    ".kwbbbbbbbbwwwk."
    ".kwwwwwwwwwwwwk."
    ".kwbbbbbbbbbbwk."
    ".kwwwwwwwwwwwwk."
    ".kwbbbbbwwwwwwk."
    ".kwwwwwwwwwwwwk."
    ".kkkkkkkkkkkkkk."
}
