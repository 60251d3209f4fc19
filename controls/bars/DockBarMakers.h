// The makers of a dock's bars that the controls layer installs for the
// dock (VDockBarService): the menu bar from 'XMBA', the status bar and the
// toolbars from 'XBAR'.
#pragma once

#include "views/VDockBar.h"

extern const VDockBarMakers kDockBarMakers;
