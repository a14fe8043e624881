#pragma once

#include <string>

namespace dravel::devices {

// Directory of the running executable, with its trailing separator (UTF-8).
// Every file the program reads or writes is looked up there, never in the
// current working directory.
std::string programDirectory();

// Tests put a directory of their own in; hands back what was there. An empty
// text puts the executable's directory back.
std::string replaceProgramDirectory(std::string directory);

}  // namespace dravel::devices
