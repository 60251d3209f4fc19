// The reader of the tagged value form 'VVAL': a value whose class the
// reader learns from the stream.
#pragma once

class VStream;
class VValue;

// Reads a value in its tagged form: the kind (and, for a string or a
// picture, its form), then a new object of that kind reads its data. Null,
// with the rest of the value left unread, when the stream is already in
// error, the hook cancels (218), the kind has no stream form or the form
// has no class. A value that arrived short is still answered; the status
// tells. The caller owns the object.
VValue* ReadValue(VStream& stream);
