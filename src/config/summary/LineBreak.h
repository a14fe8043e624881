#pragma once

#include <string_view>

namespace dravel::config {

// The alarm program breaks the lines of its panel texts and messages with LF
// followed by CR; the summary is the lowest layer that writes it.
inline constexpr std::string_view kLineBreak = "\n\r";

}  // namespace dravel::config
