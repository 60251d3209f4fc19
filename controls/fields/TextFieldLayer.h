// The text fields' start and stop: the rich-edit control library, loaded
// once at start, and the offscreen drawing world the fields keep cached.
#pragma once

void LoadRichEditLibrary();
void UnloadRichEditLibrary();
// Disposes of the cached offscreen drawing world, if any, and forgets it.
void DisposeTextFieldOffscreen();
