// VByteReader: the framework's reader of stored bytes in either order, every
// field checked against what remains (see platform/bytes/ByteSpanReader.h).
#pragma once

#include "platform/bytes/ByteSpanReader.h"

using VByteReader = ByteSpanReader;
