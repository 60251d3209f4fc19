// The sample that the property dialogs show: a text drawn with a properties
// record in a private engine and line table, recorded as a picture.
#pragma once

#include <cstdint>

class VEmfPictureData;
class xMorvaDocument;
class xMorvaProperties;
class xMorvaPropertiesStates;

// Only the properties whose state is 1 are applied to the sample.
//   mode 0: the character sample (item 1 of the document's words) with the
//           character properties, composed to `width`; the picture is that
//           wide.
//   mode 1: the paragraph sample (item 2) between two grey paragraphs of
//           the same text, with the paragraph properties 32 to 37.
//   mode 2: the same with every property.
// In modes 1 and 2 the picture is the document's current text width + 20
// wide and `width` is not used. The picture is 20 pixels higher than the
// sample's lines. The caller deletes it; null when it cannot be made.
VEmfPictureData* DrawPropertiesPreview(xMorvaDocument& document, const xMorvaProperties& properties,
                                       const xMorvaPropertiesStates& states, int16_t mode, int32_t width);
