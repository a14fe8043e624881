#pragma once

#include <memory>
#include <string>

namespace dravel::devices {

// The desktop's shell: opening documents and starting the companion program.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document with the program the desktop associates with it.
    // False when the file is missing or nothing could open it.
    virtual bool openDocument(const std::string& utf8Path) = 0;
    // Starts a program with exactly one argument and no shell in between,
    // without waiting for it. False when it cannot be started.
    virtual bool startProgram(const std::string& utf8Program, const std::string& argument) = 0;
};

// The program-wide shell.
Shell& shell();

// Tests install a recording shell; returns the previous one.
std::unique_ptr<Shell> replaceShell(std::unique_ptr<Shell> replacement);

// The platform's own shell.
std::unique_ptr<Shell> createPlatformShell();

}  // namespace dravel::devices
