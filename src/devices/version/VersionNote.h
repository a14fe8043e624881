#pragma once

#include <cstdint>

namespace dravel::devices::versionnote {

// The ELF note that carries the program's version in its Linux executables: owner "Dravel", type
// kType, and four 32-bit words holding the four parts of the version, each at most 65535 so that it
// means the same as a Windows file version.
inline constexpr char kOwner[] = "Dravel";
inline constexpr std::uint32_t kType = 1;
inline constexpr std::uint32_t kDescriptionSize = 4 * sizeof(std::uint32_t);

}  // namespace dravel::devices::versionnote
