#pragma once

#include <memory>
#include <optional>
#include <string>

namespace dravel::devices {

// The desktop's opener of one document, started without waiting for it.
class DocumentOpening {
public:
    virtual ~DocumentOpening() = default;
    // True once the document is open, false once opening failed; none while
    // the opener still runs. Never blocks.
    virtual std::optional<bool> outcome() = 0;

    // An opening whose outcome is known at once (a missing file, a platform
    // call that answers straight away).
    static std::unique_ptr<DocumentOpening> finished(bool opened);
};

// The desktop's shell: opening documents and starting the companion program.
class Shell {
public:
    virtual ~Shell() = default;
    // Starts opening a document with the program the desktop associates
    // with it. A missing file fails at once.
    virtual std::unique_ptr<DocumentOpening> openDocument(const std::string& utf8Path) = 0;
    // Starts a program with exactly one argument and no shell in between,
    // without waiting for it. False when it cannot be started.
    virtual bool startProgram(const std::string& utf8Program, const std::string& argument) = 0;
};

// The program-wide shell.
Shell& shell();

// Tests put a stand-in in; hands back what was there. Null puts the
// platform's shell back.
std::unique_ptr<Shell> replaceShell(std::unique_ptr<Shell> replacement);

// The platform's own shell.
std::unique_ptr<Shell> createPlatformShell();

}  // namespace dravel::devices
