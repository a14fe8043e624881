#include "config/settings/ProgramOptions.h"

#include "config/settings/ProgIniKeys.h"

namespace dravel::config {

namespace prog = keys::prog;
namespace comport = keys::comport;

namespace {

template <typename Read>
ProgramOptions readWith(const IniFile& ini, Read read) {
    ProgramOptions o;
    o.tray = read(ini, prog::kTray);
    o.autoEnd = read(ini, prog::kAutoEnd);
    o.multiStart = read(ini, prog::kMultiStart);
    o.externStop = read(ini, comport::kExtern);
    return o;
}

}  // namespace

ProgramOptions ProgramOptions::read(const IniFile& ini) {
    return readWith(ini, [](const IniFile& i, const auto& key) { return readForDialog(i, key); });
}

ProgramOptions ProgramOptions::readAsAlarmProgram(const IniFile& ini) {
    return readWith(ini, [](const IniFile& i, const auto& key) { return readForSummary(i, key); });
}

void ProgramOptions::write(IniFile& ini) const {
    writeSetting(ini, prog::kTray, tray);
    writeSetting(ini, prog::kAutoEnd, autoEnd);
    writeSetting(ini, prog::kMultiStart, multiStart);
    writeSetting(ini, comport::kExtern, externStop);
}

}  // namespace dravel::config
