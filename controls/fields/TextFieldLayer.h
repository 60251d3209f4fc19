// The text fields' start and stop: the rich-edit control library, loaded
// once at start and freed at stop, and the offscreen drawing worlds the
// fields keep cached.
#pragma once

namespace Tbx {
struct GrafPort;
}

// The TextEdit fields have nothing to start.
void StartMacTextFields();
// Loads the rich-edit control library once: OLE is started and the
// library's handle kept; a missing library leaves the fields without it.
void LoadRichEditLibrary();
// Disposes of the TextEdit field views' cached offscreen world, if any.
void StopMacTextFields();
// Frees the rich-edit library when it was loaded, and forgets it, so that a
// later start in the same process loads it again.
void UnloadRichEditLibrary();
// Whether the rich-edit library is loaded.
bool IsRichEditAvailable();
// The module's instance, kept at load for the rich-edit windows' owner.
void* GetRichEditOwnerInstance();

// The text-edit frames' pair: nothing to start; the stop disposes of the
// frames' shared offscreen world.
void StartTextEditFrames();
void StopTextEditFrames();

// The module's stop for the fields' offscreen worlds: the TextEdit views'
// and the text-edit frames'.
void DisposeTextFieldOffscreen();

// The TextEdit field views' cached offscreen world (null when none).
Tbx::GrafPort* GetTextEditViewWorld();
void SetTextEditViewWorld(Tbx::GrafPort* world);
