# The marks drawn menus show before a title: a check for a command that is
# on, a bar for one that is mixed. Transparent around the mark, so the row's
# background (plain or highlighted) shows through.

resource 'cicn' 9400 "WinCheck" {
  palette ". none" "k 000000"
  pixels
    "............."
    "............."
    "............."
    "..........k.."
    ".........kk.."
    "....k...kkk.."
    "....kk.kkk..."
    "....kkkkk...."
    ".....kkk....."
    "......k......"
    "............."
    "............."
    "............."
}

resource 'cicn' 9401 "WinMixed" {
  palette ". none" "k 000000"
  pixels
    "............."
    "............."
    "............."
    "............."
    "............."
    "....kkkkk...."
    "....kkkkk...."
    "....kkkkk...."
    "............."
    "............."
    "............."
    "............."
    "............."
}
