#pragma once

#include <optional>
#include <string>

#include "devices/version/FileVersion.h"

// The platform's half of FileVersionText: one source per platform implements these.
namespace dravel::devices::detail {

std::optional<FourPartVersion> queryFileVersion(const std::string& utf8FileName);
std::optional<FourPartVersion> queryOwnFileVersion();

}  // namespace dravel::devices::detail
