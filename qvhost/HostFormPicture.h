// The picture of an open host form, for the scripts' snapshots: each shown
// object of the form's page as a plain box of ours labelled with its name
// and showing its value, a picture object with the module's picture played
// into its box.
#pragma once

#include <string>

#include "qvhost/HostForms.h"

// Writes the form as a PNG file of its size; empty on success, else what
// went wrong.
std::string WriteFormPicture(const HostForms::Form& form, int16_t page, const std::string& path);
