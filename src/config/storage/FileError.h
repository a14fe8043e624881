#pragma once

#include <string>
#include <system_error>

namespace dravel::config {

// The program's German text for a file access failure; "E/A-Fehler %d"
// with the error number for failures without a text of their own.
std::string fileErrorMessage(std::error_code cause);

}  // namespace dravel::config
