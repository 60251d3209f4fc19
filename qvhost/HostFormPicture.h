// The picture of an open host form, for the scripts' snapshots: each shown
// object of the form's page as a plain box of ours labelled with its name
// and showing its value, a picture object with the module's picture played
// into its box, a user area as the module draws it.
#pragma once

#include <functional>
#include <string>

#include "platform/gdi/WinGdiTypes.h"
#include "qvhost/HostForms.h"

// Draws a user area into the picture's device context, whose coordinates
// are the form's; false when the module does not draw it, which leaves the
// plain box.
using UserAreaPainter = std::function<bool(const HostForms::Object& object, HDC dc)>;

// Writes the form as a PNG file of its size; empty on success, else what
// went wrong.
std::string WriteFormPicture(const HostForms::Form& form, int16_t page, const std::string& path,
                             const UserAreaPainter& paintUserArea = nullptr);
