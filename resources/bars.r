# The editing area's bars. 'XDOK' 12001 names the menu bar ('XMBA'
# 12004; a dock finds its bars by id, so no two share one), the status bar
# ('XBAR' 12003) and the toolbars ('XBAR' 12005, the format bar, and 12002,
# the standard bar). The area finds its bars 0 to 3 by the ids from the
# resource base + 2 on (commands 46 and 114 show and hide them by those
# numbers): 0 the standard bar, 2 the menu bar, 3 the format bar. Every
# bar starts hidden, so an area shows only its text until its bars are
# shown (command 46, message 33, the toolbar dialog); a bar's shown state,
# side and place are written back into the area's own copy of these
# resources.
#
# 'XBAR': u8 side (0 floating, 1 left, 2 top, 3 right, 4 bottom), u8 flags
# (0x80 shown, 0x40 spare, 0x20 grip, 0x10 full width), s32 left, s32 top,
# a 32-byte title, u16 n, n x {kind, s16 template id}. 'XMBA' puts two
# 32-byte strings before its count, and its 0x10 flag is the close button.
resource 'XDOK' 12001 {
  u16 12004 12003 2 12005 12002
}

resource 'XMBA' 12004 {
  u8 2 0x30 u32 0 0
  hex "084D656E75204261720000000000000000000000000000000000000000000000"
  hex "054D656E75730000000000000000000000000000000000000000000000000000"
  hex "085176204D6F7276610000000000000000000000000000000000000000000000"
  u16 4
  u32 0x584D4255 u16 12001
  u32 0x584D4255 u16 12002
  u32 0x584D4255 u16 12003
  u32 0x584D4255 u16 12005
}
# The format bar: the style sheet, font and size lists (commands 1000,
# 1002 and 1001), then bold, italic and plain.
resource 'XBAR' 12005 {
  u8 2 0x20 u32 0 50
  hex "06466F726D617400000000000000000000000000000000000000000000000000"
  u16 8
  u32 0x58445250 u16 12005
  u32 0x58445250 u16 12006
  u32 0x58445250 u16 12007
  u32 0x58535043 u16 0
  u32 0x58475250 u16 0
  u32 0x58425554 u16 12010
  u32 0x58425554 u16 12011
  u32 0x58425554 u16 12012
}

# The standard bar: new, open and save, cut, copy and paste, undo and redo
# (icons), the alignment buttons (a group whose command 710 holds the id of
# the alignment chosen, 711 to 714) and the text colour menu (the colour
# items 602 to 613).
resource 'XBAR' 12002 {
  u8 2 0x20 u32 0 24
  hex "085374616E646172640000000000000000000000000000000000000000000000"
  u16 17
  u32 0x58425554 u16 12020
  u32 0x58425554 u16 12021
  u32 0x58425554 u16 12022
  u32 0x58535043 u16 0
  u32 0x58425554 u16 12023
  u32 0x58425554 u16 12024
  u32 0x58425554 u16 12025
  u32 0x58535043 u16 0
  u32 0x58425554 u16 12026
  u32 0x58425554 u16 12027
  u32 0x58535043 u16 0
  u32 0x58475250 u16 710
  u32 0x58425554 u16 12013
  u32 0x58425554 u16 12014
  u32 0x58425554 u16 12015
  u32 0x58425554 u16 12016
  u32 0x584D4255 u16 12004
}

# The status bar: the page text and the caret's line and column at the
# left, the Caps Lock and Num Lock indicators at the right.
resource 'XBAR' 12003 {
  u8 4 0x00 u32 0 0
  hex "0653746174757300000000000000000000000000000000000000000000000000"
  u16 5
  u32 0x58545854 u16 12030
  u32 0x58545854 u16 12033
  u32 0x58544142 u16 0
  u32 0x584B4C49 u16 12031
  u32 0x584B4C49 u16 12032
}
# Button templates: command, place, size, title, a 'cicn' id (0: none);
# 0x40 a switch. A button is as wide as its title with the look's margins,
# or as its icon, when the template is narrower.
resource 'XBUT' 12010 {
  u32 502 0 0 22 22 hex "0142000000000000000000000000000000000000000000000000000000000000"
  u16 0 0 u8 0x40
}
resource 'XBUT' 12011 {
  u32 503 0 0 22 22 hex "0149000000000000000000000000000000000000000000000000000000000000"
  u16 0 0 u8 0x40
}
resource 'XBUT' 12012 {
  u32 501 0 0 40 22 hex "05506C61696E0000000000000000000000000000000000000000000000000000"
  u16 0 0 u8 0x00
}
resource 'XBUT' 12020 {
  u32 101 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12100 0 u8 0x00
}
resource 'XBUT' 12021 {
  u32 102 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12101 0 u8 0x00
}
resource 'XBUT' 12022 {
  u32 103 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12102 0 u8 0x00
}
resource 'XBUT' 12023 {
  u32 3 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12103 0 u8 0x00
}
resource 'XBUT' 12024 {
  u32 4 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12104 0 u8 0x00
}
resource 'XBUT' 12025 {
  u32 5 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12105 0 u8 0x00
}
resource 'XBUT' 12026 {
  u32 1 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12106 0 u8 0x00
}
resource 'XBUT' 12027 {
  u32 2 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12107 0 u8 0x00
}

# The menu bar's close button (command 20).
resource 'XBUT' 9054 {
  u32 20 0 0 16 16 hex "0178000000000000000000000000000000000000000000000000000000000000"
  u16 0 0 u8 0x00
}

# The status text (command 1003) with columns 64 pixels apart, wide enough
# to show the page and the count whole up to 9,999 pages ("Page 9999",
# "9999/9999") and no wider, so that the line and column still fit beside
# it; the lock indicators: command -900 follows Caps Lock, -899 Num Lock.
resource 'XTXT' 12030 {
  u32 1003 0 0 125 16 u16 0 64
}
resource 'XTXT' 12033 {
  u32 1004 0 0 130 16 u16 0 80
}
resource 'XKLI' 12031 {
  u32 -900 0 0 0 0 u16 0 pstr "CAPS"
}
resource 'XKLI' 12032 {
  u32 -899 0 0 0 0 u16 0 pstr "NUM"
}

# The menu bar's buttons (commands 1030 to 1032 and 1036) and their menus. An
# item's flags byte 0x80 makes it a check item: the Style menu's items show
# the selection's styles as the format bar's buttons do, and choosing Bold
# or Italic turns the command's value over before it is sent, as the
# buttons and Ctrl+B do.
resource 'XMBU' 12001 {
  u32 1030 0 0 0 0 hex "0446696C65000000000000000000000000000000000000000000000000000000"
  u16 0 0 u32 0x54455854 u16 12040
}
resource 'XMBU' 12002 {
  u32 1031 0 0 0 0 hex "0445646974000000000000000000000000000000000000000000000000000000"
  u16 0 0 u32 0x54455854 u16 12041
}
resource 'XMBU' 12003 {
  u32 1032 0 0 0 0 hex "055374796C650000000000000000000000000000000000000000000000000000"
  u16 0 0 u32 0x54455854 u16 12042
}
resource 'XMNU' 12040 {
  hex "0446696C65000000000000000000000000000000000000000000000000000000"
  u32 1030
  u16 4
  hex "034E657700000000000000000000000000000000000000000000000000000000" u16 0 0 u32 101 u32 0x54455854 u8 0 0 u16 0
  hex "074F70656E2E2E2E000000000000000000000000000000000000000000000000" u16 0 0 u32 102 u32 0x54455854 u8 0 0 u16 0
  hex "0453617665000000000000000000000000000000000000000000000000000000" u16 0 0 u32 103 u32 0x54455854 u8 0 0 u16 0
  hex "0A536176652041732E2E2E000000000000000000000000000000000000000000" u16 0 0 u32 104 u32 0x54455854 u8 0 0 u16 0
}
resource 'XMNU' 12041 {
  hex "0445646974000000000000000000000000000000000000000000000000000000"
  u32 1031
  u16 7
  hex "04556E646F000000000000000000000000000000000000000000000000000000" u16 0 0 u32 1 u32 0x54455854 u8 0 0 u16 0
  hex "045265646F000000000000000000000000000000000000000000000000000000" u16 0 0 u32 2 u32 0x54455854 u8 0 0 u16 0
  hex "0343757400000000000000000000000000000000000000000000000000000000" u16 0 0 u32 3 u32 0x54455854 u8 0 0 u16 0
  hex "04436F7079000000000000000000000000000000000000000000000000000000" u16 0 0 u32 4 u32 0x54455854 u8 0 0 u16 0
  hex "0550617374650000000000000000000000000000000000000000000000000000" u16 0 0 u32 5 u32 0x54455854 u8 0 0 u16 0
  hex "05436C6561720000000000000000000000000000000000000000000000000000" u16 0 0 u32 6 u32 0x54455854 u8 0 0 u16 0
  hex "0A53656C65637420416C6C000000000000000000000000000000000000000000" u16 0 0 u32 7 u32 0x54455854 u8 0 0 u16 0
}
resource 'XMNU' 12042 {
  hex "055374796C650000000000000000000000000000000000000000000000000000"
  u32 1032
  u16 3
  hex "05506C61696E0000000000000000000000000000000000000000000000000000" u16 0 0 u32 501 u32 0x54455854 u8 0x80 0 u16 0
  hex "04426F6C64000000000000000000000000000000000000000000000000000000" u16 0 0 u32 502 u32 0x54455854 u8 0x80 0 u16 0
  hex "064974616C696300000000000000000000000000000000000000000000000000" u16 0 0 u32 503 u32 0x54455854 u8 0x80 0 u16 0
}

# The Insert menu: today's date (412) and the time now (411) as text at
# the caret.
resource 'XMBU' 12005 {
  u32 1036 0 0 0 0 hex "06496E7365727400000000000000000000000000000000000000000000000000"
  u16 0 0 u32 0x54455854 u16 12044
}
resource 'XMNU' 12044 {
  hex "06496E7365727400000000000000000000000000000000000000000000000000"
  u32 1036
  u16 2
  hex "0444617465000000000000000000000000000000000000000000000000000000" u16 0 0 u32 412 u32 0x54455854 u8 0 0 u16 0
  hex "0454696D65000000000000000000000000000000000000000000000000000000" u16 0 0 u32 411 u32 0x54455854 u8 0 0 u16 0
}

# A floating toolbar's context menu: dock it again (32), hide it (31).
resource 'XMNU' 9000 {
  hex "0C466C6F6174696E672042617200000000000000000000000000000000000000"
  u32 30
  u16 2
  hex "04446F636B000000000000000000000000000000000000000000000000000000" u16 0 0 u32 32 u32 0x54455854 u8 0 0 u16 0
  hex "0448696465000000000000000000000000000000000000000000000000000000" u16 0 0 u32 31 u32 0x54455854 u8 0 0 u16 0
}
# A docked toolbar's context menu: hide it (31), the toolbar dialog (33).
resource 'XMNU' 9001 {
  hex "0A446F636B656420426172000000000000000000000000000000000000000000"
  u32 30
  u16 2
  hex "0448696465000000000000000000000000000000000000000000000000000000" u16 0 0 u32 31 u32 0x54455854 u8 0 0 u16 0
  hex "0B546F6F6C626172732E2E2E0000000000000000000000000000000000000000" u16 0 0 u32 33 u32 0x54455854 u8 0 0 u16 0
}

# The lists of the format bar: the document's style sheets (their names
# given by the area), the system's fonts, and the sizes, which the user may
# also type (whole numbers only).

resource 'XDRP' 12005 {
  u32 1000 0 0 96 20 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 0 0 0 u32 0x00000000 u8 8 0x00
  u16 0
}

resource 'XDRP' 12006 {
  u32 1002 0 0 120 20 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 0 0 0 u32 0x464F4E54 u8 8 0x00
  u16 0
}

resource 'XDRP' 12007 {
  u32 1001 0 0 44 20 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 0 0 65534 u32 0x4C4F4E47 u8 8 0x80
  u16 8
  u16 0 hex "01390000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02313000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02313200000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02313400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02313800000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02323400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02333600000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
  u16 0 hex "02343800000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
}

# The alignment buttons: icons, no title.

resource 'XBUT' 12013 {
  u32 711 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12050 0 u8 0x00
}

resource 'XBUT' 12014 {
  u32 712 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12051 0 u8 0x00
}

resource 'XBUT' 12015 {
  u32 713 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12052 0 u8 0x00
}

resource 'XBUT' 12016 {
  u32 714 0 0 22 22 hex "0000000000000000000000000000000000000000000000000000000000000000"
  u16 12053 0 u8 0x00
}

resource 'cicn' 12050 "AlignLeft" {
  palette ". none" "k 000000"
  pixels
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkk...."
    "............"
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkk...."
    "............"
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkk...."
}

resource 'cicn' 12051 "AlignCenter" {
  palette ". none" "k 000000"
  pixels
    "kkkkkkkkkkkk"
    "............"
    "..kkkkkkkk.."
    "............"
    "kkkkkkkkkkkk"
    "............"
    "..kkkkkkkk.."
    "............"
    "kkkkkkkkkkkk"
    "............"
    "..kkkkkkkk.."
}

resource 'cicn' 12052 "AlignRight" {
  palette ". none" "k 000000"
  pixels
    "kkkkkkkkkkkk"
    "............"
    "....kkkkkkkk"
    "............"
    "kkkkkkkkkkkk"
    "............"
    "....kkkkkkkk"
    "............"
    "kkkkkkkkkkkk"
    "............"
    "....kkkkkkkk"
}

resource 'cicn' 12053 "AlignJustify" {
  palette ". none" "k 000000"
  pixels
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkkkkkk"
    "............"
    "kkkkkkkk...."
}

# The text colour menu button (its command 1033 only shows it pressed)
# and its menu, whose items are the text colour commands.

resource 'XMBU' 12004 {
  u32 1033 0 0 0 0 hex "06436F6C6F757200000000000000000000000000000000000000000000000000"
  u16 0 0 u32 0x54455854 u16 12043
}

resource 'XMNU' 12043 {
  hex "06436F6C6F757200000000000000000000000000000000000000000000000000"
  u32 1033
  u16 12
  hex "05426C61636B0000000000000000000000000000000000000000000000000000" u16 0 0 u32 602 u32 0x54455854 u8 0 0 u16 0
  hex "0352656400000000000000000000000000000000000000000000000000000000" u16 0 0 u32 603 u32 0x54455854 u8 0 0 u16 0
  hex "064F72616E676500000000000000000000000000000000000000000000000000" u16 0 0 u32 604 u32 0x54455854 u8 0 0 u16 0
  hex "0659656C6C6F7700000000000000000000000000000000000000000000000000" u16 0 0 u32 605 u32 0x54455854 u8 0 0 u16 0
  hex "05477265656E0000000000000000000000000000000000000000000000000000" u16 0 0 u32 606 u32 0x54455854 u8 0 0 u16 0
  hex "04426C7565000000000000000000000000000000000000000000000000000000" u16 0 0 u32 607 u32 0x54455854 u8 0 0 u16 0
  hex "0656696F6C657400000000000000000000000000000000000000000000000000" u16 0 0 u32 608 u32 0x54455854 u8 0 0 u16 0
  hex "0557686974650000000000000000000000000000000000000000000000000000" u16 0 0 u32 609 u32 0x54455854 u8 0 0 u16 0
  hex "0A4C696768742047726579000000000000000000000000000000000000000000" u16 0 0 u32 610 u32 0x54455854 u8 0 0 u16 0
  hex "0447726579000000000000000000000000000000000000000000000000000000" u16 0 0 u32 611 u32 0x54455854 u8 0 0 u16 0
  hex "094461726B204772657900000000000000000000000000000000000000000000" u16 0 0 u32 612 u32 0x54455854 u8 0 0 u16 0
  hex "084F746865722E2E2E0000000000000000000000000000000000000000000000" u16 0 0 u32 613 u32 0x54455854 u8 0 0 u16 0
}

# The icons of the standard bar's buttons.

resource 'cicn' 12100 "DocNew" {
  palette ". none" "k 000000" "w FFFFFF"
  pixels
    "..kkkkkkkk......"
    "..kwwwwwwkk....."
    "..kwwwwwwkwk...."
    "..kwwwwwwkkkk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kwwwwwwwwwk..."
    "..kkkkkkkkkkk..."
}

resource 'cicn' 12101 "DocOpen" {
  palette ". none" "k 000000" "y F0D060" "o C09830"
  pixels
    "................"
    "..kkkk.........."
    ".kyyyyk........."
    ".kyyyyykkkkkk..."
    ".kyyyyyyyyyyk..."
    ".kyyyyyyyyyyk..."
    ".kyykkkkkkkkkkk."
    ".kykoooooooooook"
    ".kykooooooooook."
    ".kkoooooooooook."
    ".kkooooooooook.."
    ".kkkkkkkkkkkkk.."
    "................"
}

resource 'cicn' 12102 "DocSave" {
  palette ". none" "k 000000" "b 3358B0" "w FFFFFF" "g A0A0A0"
  pixels
    "kkkkkkkkkkkkkk.."
    "kbbwwwwwwwwbbk.."
    "kbbwwwwwwwwbbk.."
    "kbbwwwwwwwwbbk.."
    "kbbwwwwwwwwbbk.."
    "kbbbbbbbbbbbbk.."
    "kbbbbbbbbbbbbk.."
    "kbbbggggggbbbk.."
    "kbbbggkgggbbbk.."
    "kbbbggkgggbbbk.."
    "kbbbggggggbbbk.."
    "kkkkkkkkkkkkkk.."
}

resource 'cicn' 12103 "EditCut" {
  palette ". none" "k 000000"
  pixels
    "...k.....k......"
    "...k.....k......"
    "...kk...kk......"
    "....k...k......."
    "....kk.kk......."
    ".....kkk........"
    "......k........."
    ".....kkk........"
    "...kkk.kkk......"
    "..k..k.k..k....."
    "..k..k.k..k....."
    "..k..k.k..k....."
    "...kk...kk......"
}

resource 'cicn' 12104 "EditCopy" {
  palette ". none" "k 000000" "w FFFFFF"
  pixels
    "kkkkkkk........."
    "kwwwwwk........."
    "kwkkkwk........."
    "kwwwwkkkkkkk...."
    "kwkkkkwwwwwk...."
    "kwwwwkwkkkwk...."
    "kwkkkkwwwwwk...."
    "kwwwwkwkkkwk...."
    "kkkkkkwwwwwk...."
    ".....kwkkkwk...."
    ".....kwwwwwk...."
    ".....kkkkkkk...."
}

resource 'cicn' 12105 "EditPaste" {
  palette ". none" "k 000000" "w FFFFFF" "o B08040" "g A0A0A0"
  pixels
    "....kkkk........"
    ".kkkkggkkkk....."
    ".kooggggook....."
    ".koookkoook....."
    ".kooo..kkkkkkk.."
    ".kooo..kwwwwwk.."
    ".kooo..kwkkkwk.."
    ".kooo..kwwwwwk.."
    ".kooo..kwkkkwk.."
    ".kooo..kwwwwwk.."
    ".kkkkkkkwkkkwk.."
    ".......kwwwwwk.."
    ".......kkkkkkk.."
}

resource 'cicn' 12106 "EditUndo" {
  palette ". none" "k 000000"
  pixels
    "................"
    "...k............"
    "..kk............"
    ".kkkkkkkkk......"
    "kkkkkkkkkkk....."
    ".kk.......kk...."
    "..k........k...."
    "...........k...."
    "...........k...."
    "..........kk...."
    "........kkk....."
    "................"
}

resource 'cicn' 12107 "EditRedo" {
  palette ". none" "k 000000"
  pixels
    "................"
    "............k..."
    "............kk.."
    "......kkkkkkkkk."
    ".....kkkkkkkkkkk"
    "....kk.......kk."
    "....k........k.."
    "....k..........."
    "....k..........."
    "....kk.........."
    ".....kkk........"
    "................"
}
