// Display formats: the host's routines that turn a number, a text, a date or
// a time into its displayed form under a display format. The framework asks
// the host for its routine table once and calls the routines from then on.
#pragma once

#include <cstdint>

class VString;

// Whether the host's display routines are at hand. While the table's first
// entry is 0 the host is asked to fill it, at every call, so a host that
// had nothing to give at first is asked again later.
bool HostFormatsAvailable();

// Forgets the host's routines (the table becomes all zeros again); the
// module's stop calls it, and the next request asks the host anew.
void ResetDisplayRoutines();

// The text of `string` under a number or text format. With an empty format
// nothing happens. Otherwise the text and the format travel as Macintosh
// length-prefixed texts of at most 255 characters, the host's routine (when
// there is one) changes the text in place, and the result is set back into
// the string: characters without a Macintosh form are lost on the way, even
// when the host has no routines.
void ApplyNumberFormat(VString& string, const VString& format);
void ApplyTextFormat(VString& string, const VString& format);
