#include "config/settings/ProgramOptions.h"

#include "config/settings/ProgIniKeys.h"

namespace dravel::config {

namespace prog = keys::prog;
namespace comport = keys::comport;

ProgramOptions ProgramOptions::read(const IniFile& ini) {
    ProgramOptions o;
    o.tray = readForDialog(ini, prog::kTray);
    o.autoEnd = readForDialog(ini, prog::kAutoEnd);
    o.multiStart = readForDialog(ini, prog::kMultiStart);
    o.externStop = readForDialog(ini, comport::kExtern);
    return o;
}

void ProgramOptions::write(IniFile& ini) const {
    writeSetting(ini, prog::kTray, tray);
    writeSetting(ini, prog::kAutoEnd, autoEnd);
    writeSetting(ini, prog::kMultiStart, multiStart);
    writeSetting(ini, comport::kExtern, externStop);
}

}  // namespace dravel::config
