// The script lines of the page setup dialog: what the user answers in it
// (the paper by name or by size, its orientation, the margins, or cancel),
// and the check of the paper a printed PDF file's pages have.
#pragma once

#include <string>
#include <vector>

#include "qvhost/ScriptWords.h"

// `page setup [paper NAME | paper W H] [upright|across] [margins L T R B]`
// or `page setup cancel`: what the page setup dialog answers from now on.
// Lengths are millimetres. A named paper is the printer's paper of that
// name; a size is a paper of the user's own (upright); without a paper the
// dialog's paper stays, and so do the margins without `margins`. Empty on
// success, else what is wrong with the line (the answer then stays as it
// was).
std::string RunPageSetupLine(const std::vector<ScriptToken>& tokens);

// Whether every page of the PDF file is `width` x `height` millimetres
// (within half a millimetre), as pdfinfo reads it; `what` says what was
// checked and what was found.
bool CheckPdfPaper(const std::string& path, double width, double height, std::string& what);
