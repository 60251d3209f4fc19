// The module library itself: every subsystem is linked into it whole; this
// file only anchors the target. Its exports are listed in exports.map.
#include "host/module/ModuleExports.h"
