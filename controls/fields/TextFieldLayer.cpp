// The text fields' start and stop. The rich-edit control arrives with the
// multi-line fields; the offscreen world cached for drawing is the one the
// text-edit frames share, given back at shut-down.
#include "controls/fields/TextFieldLayer.h"

#include "controls/text/VTextEditFrame.h"

void LoadRichEditLibrary() {}
void UnloadRichEditLibrary() {}
void DisposeTextFieldOffscreen() { VTextEditFrame::DisposeSharedWorld(); }
