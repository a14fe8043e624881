#include "config/ProgramOptions.h"

#include "config/ProgIniKeys.h"

namespace dravel::config {

namespace prog = keys::prog;
namespace comport = keys::comport;

ProgramOptions ProgramOptions::read(const IniFile& ini) {
    ProgramOptions o;
    o.tray = ini.readBool(prog::kSection, prog::kTray, false);
    o.autoEnd = ini.readBool(prog::kSection, prog::kAutoEnd, true);
    o.multiStart = ini.readBool(prog::kSection, prog::kMultiStart, false);
    o.externStop = ini.readBool(comport::kSection, comport::kExtern, false);
    return o;
}

void ProgramOptions::write(IniFile& ini) const {
    ini.writeBool(prog::kSection, prog::kTray, tray);
    ini.writeBool(prog::kSection, prog::kAutoEnd, autoEnd);
    ini.writeBool(prog::kSection, prog::kMultiStart, multiStart);
    ini.writeBool(comport::kSection, comport::kExtern, externStop);
}

}  // namespace dravel::config
