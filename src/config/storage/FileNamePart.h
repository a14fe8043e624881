#pragma once

#include <string_view>

namespace dravel::config {

// The separators of either platform's paths.
inline constexpr std::string_view kPathSeparators = "/\\";
// The sound settings window also cuts at a drive colon ("C:gong.wav"), as the
// alarm program's own window does; the condition list does not.
inline constexpr std::string_view kPathOrDriveSeparators = "/\\:";

// The text after the last of the separators; the whole path when it has none.
constexpr std::string_view fileNamePart(std::string_view path, std::string_view separators) {
    const std::size_t cut = path.find_last_of(separators);
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace dravel::config
