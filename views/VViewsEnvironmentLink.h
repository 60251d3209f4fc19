// The view framework's answers to the system environment: what click
// counting reads of an event, shortcuts from host key events and the frame
// widths of window views. Start-up installs them (VEnvironmentViewsService);
// shut-down removes them.
#pragma once

class VEnvironmentViews;

VEnvironmentViews* ViewsEnvironmentLink();
