// The installed HTML character encoder.
#include "framework/core/strings/VHtmlEntityEncoder.h"

namespace {
VHtmlEntityEncoder sEncoder = nullptr;
}

VHtmlEntityEncoder SetHtmlEntityEncoder(VHtmlEntityEncoder encoder) {
  VHtmlEntityEncoder previous = sEncoder;
  sEncoder = encoder;
  return previous;
}

VHtmlEntityEncoder GetHtmlEntityEncoder() { return sEncoder; }
