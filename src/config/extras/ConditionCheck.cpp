#include "config/extras/ConditionCheck.h"

#include <filesystem>
#include <map>
#include <unordered_map>
#include <utility>

#include "config/storage/AtomicFile.h"
#include "config/storage/Cp1252.h"
#include "config/storage/IniFile.h"

namespace dravel::config {
namespace {

constexpr std::string_view kStartModeCaption = "Nur bei bestimmten Schleife, RICS oder FMS";

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Bytes of the UTF-8 character that starts with this byte.
std::size_t utf8CharLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    return byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

std::string_view kindCaption(AlarmCodeKind kind) {
    return kConditionKindItems[static_cast<std::size_t>(kind)];
}

// Looks at every distinct audio path once: long lists share a few files.
class AudioPathCheck {
public:
    explicit AudioPathCheck(const PlayableCheck& playable) : playable_(playable) {}

    std::optional<std::string> problem(const std::string& path) {
        auto [it, inserted] = seen_.try_emplace(path);
        if (inserted) it->second = look(path);
        return it->second;
    }

private:
    std::optional<std::string> look(const std::string& path) const {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(pathFromUtf8(path), ec))
            return "Audiodatei " + inQuotes(path) + " nicht gefunden";
        if (!playable_ || !playable_(path))
            return "Audiodatei " + inQuotes(path) + " kann nicht abgespielt werden";
        return std::nullopt;
    }

    const PlayableCheck& playable_;
    std::unordered_map<std::string, std::optional<std::string>> seen_;
};

class ListCheck {
public:
    ListCheck(const std::array<PinRecord, kPinCount>& pins, const PlayableCheck& playable)
        : pins_(pins), audio_(playable) {}

    void check(std::size_t row, const ConditionEntry& entry) {
        const auto report = [&](std::string problem) {
            findings_.push_back({row, entry.code, entry.description, std::move(problem)});
        };
        const auto pin = conditionFieldIndex(entry.pin);
        const auto kindIndex = conditionFieldIndex(entry.kind);
        if (!pin) report("Pin-Feld " + inQuotes(entry.pin) + " nennt keinen Pin (0 bis 2)");
        if (!kindIndex) report("Art-Feld " + inQuotes(entry.kind) + " nennt keine Art (0 bis 2)");
        if (kindIndex) {
            const AlarmCodeKind kind = *conditionKind(*kindIndex);
            if (auto problem = alarmCodeProblem(kind, entry.code)) report(*std::move(problem));
            const auto [first, isNew] = firstRowOf_.try_emplace({*kindIndex, entry.code}, row);
            if (!isNew)
                report("Doppelter Eintrag: gleiche Art und Kennung wie Zeile " +
                       std::to_string(first->second));
        }
        if (pin) checkPin(*pin, report);
        if (!entry.audioPath.empty())
            if (auto problem = audio_.problem(entry.audioPath)) report(*std::move(problem));
    }

    std::vector<ConditionFinding> findings() && { return std::move(findings_); }

private:
    template <typename Report>
    void checkPin(int pin, const Report& report) const {
        const PinRecord& record = pins_[static_cast<std::size_t>(pin)];
        const std::string caption(kPinCaptions[static_cast<std::size_t>(pin)]);
        if (!record.active)
            report(caption +
                   " ist in den ComPort-Einstellungen nicht aktiviert: der Eintrag bleibt "
                   "ohne Wirkung");
        if (record.startMode != PinRecord::OnCondition)
            report(caption + " ist nicht auf " + inQuotes(kStartModeCaption) +
                   " eingestellt: der Eintrag bleibt ohne Wirkung");
    }

    const std::array<PinRecord, kPinCount>& pins_;
    AudioPathCheck audio_;
    std::map<std::pair<int, std::string>, std::size_t> firstRowOf_;
    std::vector<ConditionFinding> findings_;
};

}  // namespace

std::optional<std::string> alarmCodeProblem(AlarmCodeKind kind, std::string_view code) {
    const auto expected = static_cast<std::size_t>(positionCount(kind));
    const std::size_t length = utf8Length(code);
    if (length != expected)
        return "Kennung hat " + std::to_string(length) + " statt " + std::to_string(expected) +
               " Zeichen (" + std::string(kindCaption(kind)) + ")";
    std::size_t offset = 0;
    for (int position = 1; offset < code.size(); ++position) {
        const std::string_view character = code.substr(offset, utf8CharLength(code[offset]));
        offset += character.size();
        if (character.size() != 1 ||
            positionItems(kind, position).find(character[0]) == std::string_view::npos)
            return "Zeichen " + inQuotes(character) + " an Stelle " + std::to_string(position) +
                   " ist für " + std::string(kindCaption(kind)) + " nicht zulässig";
    }
    return std::nullopt;
}

std::vector<ConditionFinding> checkConditionList(const std::vector<ConditionEntry>& entries,
                                                 const std::array<PinRecord, kPinCount>& pins,
                                                 const PlayableCheck& playable) {
    ListCheck check(pins, playable);
    for (std::size_t i = 0; i < entries.size(); ++i) check.check(i + 1, entries[i]);
    return std::move(check).findings();
}

std::vector<ConditionFinding> checkReadList(const ConditionListReadResult& list,
                                            const std::array<PinRecord, kPinCount>& pins,
                                            const PlayableCheck& playable) {
    std::vector<ConditionFinding> findings;
    if (list.error)
        findings.push_back(
            {0, "", "", "Alarmierung.dat konnte nicht ganz gelesen werden: " + *list.error});
    auto entryFindings = checkConditionList(list.entries, pins, playable);
    findings.insert(findings.end(), std::make_move_iterator(entryFindings.begin()),
                    std::make_move_iterator(entryFindings.end()));
    return findings;
}

std::vector<ConditionFinding> checkProgramDirectory(const std::string& programDirectory,
                                                    const PlayableCheck& playable) {
    const auto pins = ComPortSettings::read(IniFile(settingsFilePath(programDirectory))).pins;
    return checkReadList(readConditionList(programDirectory), pins, playable);
}

}  // namespace dravel::config
