// The installed links of the system environment to the graphics and the views.
#include "framework/system/environment/VEnvironmentLinks.h"

namespace {
VEnvironmentGraphics* sGraphics = nullptr;
VEnvironmentViews* sViews = nullptr;
}  // namespace

VEnvironmentGraphics* SetEnvironmentGraphics(VEnvironmentGraphics* link) {
  VEnvironmentGraphics* previous = sGraphics;
  sGraphics = link;
  return previous;
}

VEnvironmentGraphics* GetEnvironmentGraphics() { return sGraphics; }

VEnvironmentViews* SetEnvironmentViews(VEnvironmentViews* link) {
  VEnvironmentViews* previous = sViews;
  sViews = link;
  return previous;
}

VEnvironmentViews* GetEnvironmentViews() { return sViews; }
