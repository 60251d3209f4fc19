# The images of the look painters, found by name: check boxes and radio
# buttons in their nine states and the scroll arrows of the Windows look,
# the Macintosh look's scroll arrows, and the third look's check boxes and
# radio buttons. Each palette character stands for a colour ("none" is
# transparent: what lies under the icon shows through).

resource 'cicn' 9300 "WinCheckNormal" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwwwfw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9301 "WinCheckChecked" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdwwwwwwwwwfw"
    "sdwwwwwwwkwfw"
    "sdwwwwwwkkwfw"
    "sdwkwwwkkkwfw"
    "sdwkkwkkkwwfw"
    "sdwkkkkkwwwfw"
    "sdwwkkkwwwwfw"
    "sdwwwkwwwwwfw"
    "sdwwwwwwwwwfw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9302 "WinCheckMixed" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdfffffffgffw"
    "sdffffffggffw"
    "sdfgfffgggffw"
    "sdfggfgggfffw"
    "sdfgggggffffw"
    "sdffgggfffffw"
    "sdfffgffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9303 "WinCheckPushedNormal" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9304 "WinCheckPushedChecked" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdfffffffkffw"
    "sdffffffkkffw"
    "sdfkfffkkkffw"
    "sdfkkfkkkfffw"
    "sdfkkkkkffffw"
    "sdffkkkfffffw"
    "sdfffkffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9305 "WinCheckPushedMixed" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdfffffffgffw"
    "sdffffffggffw"
    "sdfgfffgggffw"
    "sdfggfgggfffw"
    "sdfgggggffffw"
    "sdffgggfffffw"
    "sdfffgffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9306 "WinCheckDisabledNormal" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9307 "WinCheckDisabledChecked" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdfffffffgffw"
    "sdffffffggffw"
    "sdfgfffgggffw"
    "sdfggfgggfffw"
    "sdfgggggffffw"
    "sdffgggfffffw"
    "sdfffgffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9308 "WinCheckDisabledMixed" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "ssssssssssssw"
    "sddddddddddfw"
    "sdffffffffffw"
    "sdfffffffgffw"
    "sdffffffggffw"
    "sdfgfffgggffw"
    "sdfggfgggfffw"
    "sdfgggggffffw"
    "sdffgggfffffw"
    "sdfffgffffffw"
    "sdffffffffffw"
    "sfffffffffffw"
    "wwwwwwwwwwwww"
}

resource 'cicn' 9309 "WinRadioNormal" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddwwwwddw."
    ".sdwwwwwwfw."
    "sdwwwwwwwwfw"
    "sdwwwwwwwwfw"
    "sdwwwwwwwwfw"
    "sdwwwwwwwwfw"
    ".sdwwwwwwfw."
    ".sffwwwwffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9310 "WinRadioChecked" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddwwwwddw."
    ".sdwwwwwwfw."
    "sdwwwkkwwwfw"
    "sdwwkkkkwwfw"
    "sdwwkkkkwwfw"
    "sdwwwkkwwwfw"
    ".sdwwwwwwfw."
    ".sffwwwwffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9311 "WinRadioMixed" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffggffffw"
    "sdffggggfffw"
    "sdffggggfffw"
    "sdfffggffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9312 "WinRadioPushedNormal" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffffffffw"
    "sdfffffffffw"
    "sdfffffffffw"
    "sdfffffffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9313 "WinRadioPushedChecked" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffkkffffw"
    "sdffkkkkfffw"
    "sdffkkkkfffw"
    "sdfffkkffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9314 "WinRadioPushedMixed" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffggffffw"
    "sdffggggfffw"
    "sdffggggfffw"
    "sdfffggffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9315 "WinRadioDisabledNormal" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffffffffw"
    "sdfffffffffw"
    "sdfffffffffw"
    "sdfffffffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9316 "WinRadioDisabledChecked" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffggffffw"
    "sdffggggfffw"
    "sdffggggfffw"
    "sdfffggffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9317 "WinRadioDisabledMixed" {
  palette ". none" "s 808080" "d 404040" "w FFFFFF" "f D4D0C8" "k 000000" "g 808080"
  pixels
    "....ssss...."
    "..ssddddss.."
    ".sddffffddw."
    ".sdfffffffw."
    "sdfffggffffw"
    "sdffggggfffw"
    "sdffggggfffw"
    "sdfffggffffw"
    ".sdfffffffw."
    ".sffffffffw."
    "..wwffffww.."
    "....wwww...."
}

resource 'cicn' 9318 "ArrowLeft" {
  palette ". none" "k 000000"
  pixels
    "...k"
    "..kk"
    ".kkk"
    "kkkk"
    ".kkk"
    "..kk"
    "...k"
}

resource 'cicn' 9319 "ArrowRight" {
  palette ". none" "k 000000"
  pixels
    "k..."
    "kk.."
    "kkk."
    "kkkk"
    "kkk."
    "kk.."
    "k..."
}

resource 'cicn' 9320 "ArrowTop" {
  palette ". none" "k 000000"
  pixels
    "...k..."
    "..kkk.."
    ".kkkkk."
    "kkkkkkk"
}

resource 'cicn' 9321 "ArrowBottom" {
  palette ". none" "k 000000"
  pixels
    "kkkkkkk"
    ".kkkkk."
    "..kkk.."
    "...k..."
}

resource 'cicn' 9322 "ArrowLeftMac" {
  palette ". none" "k 000000" "w FFFFFF"
  pixels
    ".............."
    "......k......."
    ".....kk......."
    "....kwk......."
    "...kwwkkkkk..."
    "..kwwwwwwwk..."
    ".kwwwwwwwwk..."
    ".kwwwwwwwwk..."
    "..kwwwwwwwk..."
    "...kwwkkkkk..."
    "....kwk......."
    ".....kk......."
    "......k......."
    ".............."
}

resource 'cicn' 9323 "ArrowRightMac" {
  palette ". none" "k 000000" "w FFFFFF"
  pixels
    ".............."
    ".......k......"
    ".......kk....."
    ".......kwk...."
    "...kkkkkwwk..."
    "...kwwwwwwwk.."
    "...kwwwwwwwwk."
    "...kwwwwwwwwk."
    "...kwwwwwwwk.."
    "...kkkkkwwk..."
    ".......kwk...."
    ".......kk....."
    ".......k......"
    ".............."
}

resource 'cicn' 9324 "ArrowTopMac" {
  palette ". none" "k 000000" "w FFFFFF"
  pixels
    ".............."
    "......kk......"
    ".....kwwk....."
    "....kwwwwk...."
    "...kwwwwwwk..."
    "..kwwwwwwwwk.."
    ".kkkkwwwwkkkk."
    "....kwwwwk...."
    "....kwwwwk...."
    "....kwwwwk...."
    "....kkkkkk...."
    ".............."
    ".............."
    ".............."
}

resource 'cicn' 9325 "ArrowBottomMac" {
  palette ". none" "k 000000" "w FFFFFF"
  pixels
    ".............."
    ".............."
    ".............."
    "....kkkkkk...."
    "....kwwwwk...."
    "....kwwwwk...."
    "....kwwwwk...."
    ".kkkkwwwwkkkk."
    "..kwwwwwwwwk.."
    "...kwwwwwwk..."
    "....kwwwwk...."
    ".....kwwk....."
    "......kk......"
    ".............."
}

resource 'cicn' 9326 "CopCheckNormal" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "eeeeeeeeeeeee"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "eeeeeeeeeeeee"
}

resource 'cicn' 9327 "CopCheckChecked" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "eeeeeeeeeeeee"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwmwwe"
    "ewwwwwwwmmwwe"
    "ewwmwwwmmmwwe"
    "ewwmmwmmmwwwe"
    "ewwmmmmmwwwwe"
    "ewwwmmmwwwwwe"
    "ewwwwmwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "eeeeeeeeeeeee"
}

resource 'cicn' 9328 "CopCheckMixed" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "eeeeeeeeeeeee"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwmmmmmmmwwe"
    "ewwmmmmmmmwwe"
    "ewwmmmmmmmwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "eeeeeeeeeeeee"
}

resource 'cicn' 9329 "CopCheckPushedNormal" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "eeeeeeeeeeeee"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "eeeeeeeeeeeee"
}

resource 'cicn' 9330 "CopCheckPushedChecked" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "eeeeeeeeeeeee"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllmlle"
    "elllllllmmlle"
    "ellmlllmmmlle"
    "ellmmlmmmllle"
    "ellmmmmmlllle"
    "elllmmmllllle"
    "ellllmlllllle"
    "ellllllllllle"
    "ellllllllllle"
    "eeeeeeeeeeeee"
}

resource 'cicn' 9331 "CopCheckPushedMixed" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "eeeeeeeeeeeee"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellmmmmmmmlle"
    "ellmmmmmmmlle"
    "ellmmmmmmmlle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "eeeeeeeeeeeee"
}

resource 'cicn' 9332 "CopCheckDisabledNormal" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "ggggggggggggg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "ggggggggggggg"
}

resource 'cicn' 9333 "CopCheckDisabledChecked" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "ggggggggggggg"
    "glllllllllllg"
    "glllllllllllg"
    "gllllllllpllg"
    "glllllllppllg"
    "gllplllpppllg"
    "gllpplppplllg"
    "gllpppppllllg"
    "glllppplllllg"
    "gllllpllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "ggggggggggggg"
}

resource 'cicn' 9334 "CopCheckDisabledMixed" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "ggggggggggggg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "gllpppppppllg"
    "gllpppppppllg"
    "gllpppppppllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "ggggggggggggg"
}

resource 'cicn' 9335 "CopRadioNormal" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....eeeee...."
    "..eewwwwwee.."
    ".eewwwwwwwee."
    ".ewwwwwwwwwe."
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    ".ewwwwwwwwwe."
    ".eewwwwwwwee."
    "..eewwwwwee.."
    "....eeeee...."
}

resource 'cicn' 9336 "CopRadioChecked" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....eeeee...."
    "..eewwwwwee.."
    ".eewwwwwwwee."
    ".ewwwwwwwwwe."
    "ewwwwmmmwwwwe"
    "ewwwmmmmmwwwe"
    "ewwwmmmmmwwwe"
    "ewwwmmmmmwwwe"
    "ewwwwmmmwwwwe"
    ".ewwwwwwwwwe."
    ".eewwwwwwwee."
    "..eewwwwwee.."
    "....eeeee...."
}

resource 'cicn' 9337 "CopRadioMixed" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....eeeee...."
    "..eewwwwwee.."
    ".eewwwwwwwee."
    ".ewwwwwwwwwe."
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    "ewwwmmmmmwwwe"
    "ewwwwwwwwwwwe"
    "ewwwwwwwwwwwe"
    ".ewwwwwwwwwe."
    ".eewwwwwwwee."
    "..eewwwwwee.."
    "....eeeee...."
}

resource 'cicn' 9338 "CopRadioPushedNormal" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....eeeee...."
    "..eelllllee.."
    ".eelllllllee."
    ".ellllllllle."
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    "ellllllllllle"
    ".ellllllllle."
    ".eelllllllee."
    "..eelllllee.."
    "....eeeee...."
}

resource 'cicn' 9339 "CopRadioPushedChecked" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....eeeee...."
    "..eelllllee.."
    ".eelllllllee."
    ".ellllllllle."
    "ellllmmmlllle"
    "elllmmmmmllle"
    "elllmmmmmllle"
    "elllmmmmmllle"
    "ellllmmmlllle"
    ".ellllllllle."
    ".eelllllllee."
    "..eelllllee.."
    "....eeeee...."
}

resource 'cicn' 9340 "CopRadioPushedMixed" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....eeeee...."
    "..eelllllee.."
    ".eelllllllee."
    ".ellllllllle."
    "ellllllllllle"
    "ellllllllllle"
    "elllmmmmmllle"
    "ellllllllllle"
    "ellllllllllle"
    ".ellllllllle."
    ".eelllllllee."
    "..eelllllee.."
    "....eeeee...."
}

resource 'cicn' 9341 "CopRadioDisabledNormal" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....ggggg...."
    "..gglllllgg.."
    ".gglllllllgg."
    ".glllllllllg."
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    "glllllllllllg"
    ".glllllllllg."
    ".gglllllllgg."
    "..gglllllgg.."
    "....ggggg...."
}

resource 'cicn' 9342 "CopRadioDisabledChecked" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....ggggg...."
    "..gglllllgg.."
    ".gglllllllgg."
    ".glllllllllg."
    "gllllpppllllg"
    "glllppppplllg"
    "glllppppplllg"
    "glllppppplllg"
    "gllllpppllllg"
    ".glllllllllg."
    ".gglllllllgg."
    "..gglllllgg.."
    "....ggggg...."
}

resource 'cicn' 9343 "CopRadioDisabledMixed" {
  palette ". none" "e 555555" "w FFFFFF" "l DDDDDD" "m 333399" "g 888888" "p AAAAAA"
  pixels
    "....ggggg...."
    "..gglllllgg.."
    ".gglllllllgg."
    ".glllllllllg."
    "glllllllllllg"
    "glllllllllllg"
    "glllppppplllg"
    "glllllllllllg"
    "glllllllllllg"
    ".glllllllllg."
    ".gglllllllgg."
    "..gglllllgg.."
    "....ggggg...."
}
