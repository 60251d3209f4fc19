// The stand-in host's pictures: metafiles of Macintosh pictures (selector
// 254), the picture's bytes drawn by the platform's PICT interpreter into an
// enhanced metafile and, for a Windows metafile, that one's records
// converted; and the stored forms of picture and picture-array variables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HostParamBlock;
struct HostVariableEntry;

// Answers selector 254: the handle at 266 is a Toolbox handle with the PICT
// bytes, the type at 276 'EMF ' or 'WMF '; the new metafile's handle goes to
// 272 (0 for none, an unknown type or a picture that does not convert). The
// picture handle stays the module's. Returns a line for the host's log.
std::string AnswerMetafile(HostParamBlock& block);

// The stored form of a picture variable (the handle's bytes, at most its
// size) or a picture array (count, current element, then for each element
// from 0 to the count a 32-bit length and the picture's bytes, 0 for none);
// nothing for other types.
std::optional<std::vector<uint8_t>> PictureStoredForm(const HostVariableEntry& entry);
// A picture or picture-array entry of `type` from its stored form, with new
// handles that the module owns; false for another type or a form that is cut
// short.
bool PictureEntryFromStored(HostVariableEntry& entry, int32_t type,
                            const std::vector<uint8_t>& bytes);
