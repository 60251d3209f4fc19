// The text fields' start and stop. The rich-edit control and the fields'
// offscreen world arrive with the interface controls; until then there is
// nothing to load or dispose of.
#include "controls/fields/TextFieldLayer.h"

void LoadRichEditLibrary() {}
void UnloadRichEditLibrary() {}
void DisposeTextFieldOffscreen() {}
