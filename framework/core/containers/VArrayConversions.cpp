// The passage of an array element's text through the host's display formats.
#include "framework/core/containers/VArrayConversions_p.h"

namespace arrays_p {

void ApplyNumberFormatTo(VString&, const VString*) {}
void ApplyTextFormatTo(VString&, const VString*) {}

}  // namespace arrays_p
