#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <fstream>
#include <iterator>

#include "devices/system/ProgramDirectory.h"

namespace dravel::testing {

namespace {
QString kindName(ui::BoxKind kind) {
    switch (kind) {
        case ui::BoxKind::Plain:
            return QStringLiteral("plain");
        case ui::BoxKind::Confirmation:
            return QStringLiteral("confirmation");
        case ui::BoxKind::Information:
            return QStringLiteral("information");
        case ui::BoxKind::Warning:
            return QStringLiteral("warning");
        case ui::BoxKind::Error:
            return QStringLiteral("error");
        case ui::BoxKind::System:
            return QStringLiteral("system");
    }
    return {};
}
}  // namespace

ScriptedBoxes& ScriptedBoxes::expect(ui::BoxKind kind, const QString& text, ui::Answer answer) {
    expected_.push_back({kind, text, true, answer});
    return *this;
}

ScriptedBoxes& ScriptedBoxes::expectContaining(ui::BoxKind kind, const QString& part,
                                               bool answerYes) {
    expected_.push_back({kind, part, false, answerYes});
    return *this;
}

ui::Answer ScriptedBoxes::respond(const ui::BoxRequest& request) {
    shown_.push_back(request);
    const QString seen = kindName(request.kind) + QStringLiteral(" box \"") + request.text + '"';
    if (expected_.empty()) {
        failures_.push_back(QStringLiteral("unexpected ") + seen);
        return ui::Answer::Nein;
    }
    const Expected next = expected_.front();
    expected_.pop_front();
    const bool textMatches =
        next.exact ? request.text == next.text : request.text.contains(next.text);
    if (next.kind != request.kind || !textMatches)
        failures_.push_back(QStringLiteral("expected ") + kindName(next.kind) + " box \"" +
                            next.text + "\" but saw " + seen);
    return next.answer;
}

QString ScriptedBoxes::report() const {
    QStringList lines;
    for (const QString& f : failures_) lines << f;
    for (const Expected& e : expected_) lines << QStringLiteral("never shown: ") + e.text;
    return lines.join('\n');
}

std::string TempProgramDir::path() const {
    return dir_.path().toStdString() + "/";
}

void TempProgramDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempProgramDir::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempProgramDir::exists(const std::string& name) const {
    return QFile::exists(QString::fromStdString(file(name)));
}

uint32_t FakeSoundLibrary::StreamCreateFile(const std::string& path) {
    streamsCreated.push_back(path);
    for (const auto& playable : playableFiles) {
        if (playable == path) return static_cast<uint32_t>(streamsCreated.size());
    }
    return 0;
}

bool FakeSoundLibrary::ChannelPlay(uint32_t handle, bool) {
    if (handle == 0) return false;
    played.push_back(handle);
    return true;
}

namespace {
// An opening whose outcome the test decides.
class LaterOpening : public devices::DocumentOpening {
public:
    explicit LaterOpening(std::shared_ptr<RecordingShell::Later> later)
        : later_(std::move(later)) {}
    std::optional<bool> outcome() override {
        ++later_->timesAsked;
        return later_->outcome;
    }

private:
    std::shared_ptr<RecordingShell::Later> later_;
};
}  // namespace

std::unique_ptr<devices::DocumentOpening> RecordingShell::openDocument(const std::string& path) {
    opened.push_back(path);
    if (answersLater) return std::make_unique<LaterOpening>(later_);
    return devices::DocumentOpening::finished(succeeds);
}

bool RecordingShell::startProgram(const std::string& program, const std::string& argument) {
    started.emplace_back(program, argument);
    return succeeds;
}

}  // namespace dravel::testing
