// A spreadsheet file as a user may bring it. Properties: an export of the
// entries it gives imports again as the same entries, with nothing refused;
// and those entries, saved as Alarmierung.dat and read back, are the same.
#include <string>

#include "FuzzFiles.h"
#include "config/conditions/ConditionList.h"
#include "config/extras/ConditionCsv.h"

using namespace dravel::config;
using namespace dravel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CsvImport imported = importConditionCsv(bytes);

    const CsvImport again = importConditionCsv(exportConditionCsv(imported.entries));
    DRAVEL_REQUIRE(again.refused.empty());
    DRAVEL_REQUIRE(again.entries == imported.entries);

    const std::string& dir = scratchFolder();
    (void)writeConditionList(dir, imported.entries, "Fuzz");
    DRAVEL_REQUIRE(readConditionList(dir).entries == imported.entries);
    return 0;
}
