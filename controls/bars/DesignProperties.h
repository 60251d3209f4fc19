// The design properties an area keeps with its form: four settings and the
// toolbar configuration that the toolbar design dialog edits, stored as one
// block by the framework.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The block, in the order of the machine that wrote it:
//   u32  tag: the properties object's kind; read byte-reversed, it marks a
//        block of the other byte order, which is then read reversed
//   u32  a value not kept
//   s16  first setting, s16 second setting
//   u8   third setting, u8 fourth setting
//   u32  length n of the toolbar configuration, then its n bytes
// A foreign tag gives every setting 0 and no configuration. A block cut
// short keeps the settings read before the cut (later ones 0) and has no
// configuration.
struct VDesignProperties {
  int16_t first = 0;
  int16_t second = 0;
  uint8_t third = 0;
  uint8_t fourth = 0;
  bool hasConfiguration = false;
  std::vector<uint8_t> configuration;
};

constexpr size_t kDesignPropertiesFixedSize = 18;

// False when the block is missing, shorter than its tag or of a foreign
// tag, or cut short; `out` holds what was read either way.
bool ReadDesignProperties(const uint8_t* data, size_t size, uint32_t kindTag,
                          VDesignProperties& out);
