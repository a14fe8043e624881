#pragma once

#include <string>

namespace dravel::devices {

// Directory of the running executable, with its trailing separator (UTF-8).
// Every file the program reads or writes is looked up there, never in the
// current working directory.
std::string programDirectory();

// Tests run each case in a directory of its own; an empty text restores the
// executable's directory.
void overrideProgramDirectoryForTests(const std::string& directory);

}  // namespace dravel::devices
