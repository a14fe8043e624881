#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/sound/SoundLibrary.h"
#include "devices/system/ProgramDirectory.h"
#include "devices/system/Shell.h"
#include "support/ScopedHook.h"
#include "ui/MessageBoxes.h"

namespace dravel::testing {

// Answers message boxes in place of the user. Each expected box names its
// kind, its text (or a part of it) and the answer; a box that was not
// expected, or one that differs, is recorded as a failure.
class ScriptedBoxes {
public:
    // Expect a box whose text equals text exactly.
    ScriptedBoxes& expect(ui::BoxKind kind, const QString& text, ui::Answer answer = true);
    // Expect a box whose text contains part.
    ScriptedBoxes& expectContaining(ui::BoxKind kind, const QString& part, bool answerYes = true);

    const std::vector<ui::BoxRequest>& shown() const { return shown_; }
    const std::vector<QString>& failures() const { return failures_; }
    // True when every expected box was shown and nothing else.
    bool allAnswered() const { return expected_.empty() && failures_.empty(); }
    // A description of what went wrong, for test messages.
    QString report() const;

private:
    struct Expected {
        ui::BoxKind kind;
        QString text;
        bool exact;
        ui::Answer answer;
    };
    ui::Answer respond(const ui::BoxRequest& request);

    std::deque<Expected> expected_;
    std::vector<ui::BoxRequest> shown_;
    std::vector<QString> failures_;
    ScopedHook<ui::BoxResponder> responder_{
        ui::replaceBoxResponder,
        [this](const ui::BoxRequest& request) { return respond(request); }};
};

// Answers every box with the given responder while it lives.
class RecordingBoxes {
public:
    explicit RecordingBoxes(ui::BoxResponder responder)
        : responder_(ui::replaceBoxResponder, std::move(responder)) {}

private:
    ScopedHook<ui::BoxResponder> responder_;
};

// Shows the real boxes while it lives, for tests of the boxes themselves.
// Elsewhere a box that no test expects ends the test program at once.
class RealBoxes {
private:
    ScopedHook<ui::BoxResponder> responder_{ui::replaceBoxResponder, ui::BoxResponder()};
};

// A fresh program directory for one test: the files the program reads and
// writes go there instead of the test executable's directory.
class TempProgramDir {
public:
    std::string path() const;  // with trailing separator
    std::string file(const std::string& name) const { return path() + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    QTemporaryDir dir_;
    ScopedHook<std::string> installed_{devices::replaceProgramDirectory, path()};
};

// A sound library that plays nothing and records what it was asked.
class FakeSoundLibrary : public devices::SoundLibrary {
public:
    uint32_t version = 0x02030000;
    bool initSucceeds = true;
    std::vector<std::string> streamsCreated;
    std::vector<uint32_t> played;
    std::vector<std::string> playableFiles;  // other paths give handle 0

    uint32_t GetVersion() override { return version; }
    bool Init(int, uint32_t, uint32_t) override { return initSucceeds; }
    uint32_t StreamCreateFile(const std::string& path) override;
    bool ChannelPlay(uint32_t handle, bool) override;
};

// Installs a fake sound library for the lifetime of the guard.
class SoundLibraryGuard {
public:
    FakeSoundLibrary& fake() { return *fake_; }

private:
    FakeSoundLibrary* fake_ = new FakeSoundLibrary;
    ScopedHook<std::unique_ptr<devices::SoundLibrary>> library_{
        devices::replaceSoundLibrary, std::unique_ptr<devices::SoundLibrary>(fake_)};
};

// A shell that records what it was asked to open or start.
class RecordingShell : public devices::Shell {
public:
    bool succeeds = true;
    // Openings then answer only when the test calls finishOpening.
    bool answersLater = false;
    std::vector<std::string> opened;
    std::vector<std::pair<std::string, std::string>> started;

    std::unique_ptr<devices::DocumentOpening> openDocument(const std::string& path) override;
    bool startProgram(const std::string& program, const std::string& argument) override;
    void finishOpening(bool opened) { later_->outcome = opened; }
    // How often the openings that answer later were asked for their outcome.
    int timesAsked() const { return later_->timesAsked; }

    struct Later {
        std::optional<bool> outcome;
        int timesAsked = 0;
    };

private:
    std::shared_ptr<Later> later_ = std::make_shared<Later>();
};

class ShellGuard {
public:
    RecordingShell& shell() { return *shell_; }

private:
    RecordingShell* shell_ = new RecordingShell;
    ScopedHook<std::unique_ptr<devices::Shell>> installed_{devices::replaceShell,
                                                           std::unique_ptr<devices::Shell>(shell_)};
};

}  // namespace dravel::testing
