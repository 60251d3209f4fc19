# The rulers' marker pictures, the tab selector's icons and its menu.
# Icons: '.' is transparent; the grayed forms stand for values that
# differ over the selection.

resource 'cicn' 12060 "LeftMargin" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "....k...."
    "...kwk..."
    "..kwwwk.."
    ".kwwwwwk."
    "kwwwwwwwk"
    "kkkkkkkkk"
    "kwwwwwwwk"
    "kwwwwwwwk"
    "kwwwwwwwk"
    "kwwwwwwwk"
    "kkkkkkkkk"
}

resource 'cicn' 12061 "FirstIndent" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "kkkkkkkkk"
    "kwwwwwwwk"
    ".kwwwwwk."
    "..kwwwk.."
    "...kwk..."
    "....k...."
    "........."
}

resource 'cicn' 12062 "RightMargin" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "....k...."
    "...kwk..."
    "..kwwwk.."
    ".kwwwwwk."
    "kwwwwwwwk"
    "kkkkkkkkk"
    "........."
}

resource 'cicn' 12063 "LeftMarginGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "....g...."
    "...glg..."
    "..glllg.."
    ".glllllg."
    "glllllllg"
    "ggggggggg"
    "glllllllg"
    "glllllllg"
    "glllllllg"
    "glllllllg"
    "ggggggggg"
}

resource 'cicn' 12064 "FirstIndentGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "ggggggggg"
    "glllllllg"
    ".glllllg."
    "..glllg.."
    "...glg..."
    "....g...."
    "........."
}

resource 'cicn' 12065 "RightMarginGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "....g...."
    "...glg..."
    "..glllg.."
    ".glllllg."
    "glllllllg"
    "ggggggggg"
    "........."
}

resource 'cicn' 12066 "LeftTabulation" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k....."
    ".....kkkkk."
    ".....kkkkk."
}

resource 'cicn' 12067 "CenteredTabulation" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k....."
    "..kkkkkkk.."
    "..kkkkkkk.."
}

resource 'cicn' 12068 "RightTabulation" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k....."
    ".kkkkk....."
    ".kkkkk....."
}

resource 'cicn' 12069 "DecimalTabulation" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....k....."
    ".....k....."
    ".....k....."
    ".....k.kk.."
    ".....k.kk.."
    "..kkkkkkk.."
    "..kkkkkkk.."
}

resource 'cicn' 12070 "BarTabulation" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "....kkk...."
    "....kkk...."
    "....kkk...."
    "....kkk...."
    "....kkk...."
    "....kkk...."
    "....kkk...."
}

resource 'cicn' 12071 "LeftTabulationGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g....."
    ".....ggggg."
    ".....ggggg."
}

resource 'cicn' 12072 "CenteredTabulationGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g....."
    "..ggggggg.."
    "..ggggggg.."
}

resource 'cicn' 12073 "RightTabulationGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g....."
    ".ggggg....."
    ".ggggg....."
}

resource 'cicn' 12074 "DecimalTabulationGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    ".....g....."
    ".....g....."
    ".....g....."
    ".....g.gg.."
    ".....g.gg.."
    "..ggggggg.."
    "..ggggggg.."
}

resource 'cicn' 12075 "BarTabulationGrayed" {
  palette ". none" "k 000000" "w FFFFFF" "g 808080" "l E0E0E0"
  pixels
    "....ggg...."
    "....ggg...."
    "....ggg...."
    "....ggg...."
    "....ggg...."
    "....ggg...."
    "....ggg...."
}

# The tab kinds' pop-up menu (resource base + 29): each item runs the
# command that chooses its kind, 1031 left to 1035 bar.
# The menu's own command is the first of them, so that the menu is
# enabled exactly while the kinds may be chosen.
resource 'XMNU' 12029 {
  hex "0454616273000000000000000000000000000000000000000000000000000000"
  u32 1031
  u16 5
  hex "044C656674000000000000000000000000000000000000000000000000000000" u16 12066 0 u32 1031 u32 0x54455854 u8 0 0 u16 0
  hex "0843656E74657265640000000000000000000000000000000000000000000000" u16 12067 0 u32 1032 u32 0x54455854 u8 0 0 u16 0
  hex "0552696768740000000000000000000000000000000000000000000000000000" u16 12068 0 u32 1033 u32 0x54455854 u8 0 0 u16 0
  hex "07446563696D616C000000000000000000000000000000000000000000000000" u16 12069 0 u32 1034 u32 0x54455854 u8 0 0 u16 0
  hex "0342617200000000000000000000000000000000000000000000000000000000" u16 12070 0 u32 1035 u32 0x54455854 u8 0 0 u16 0
}
