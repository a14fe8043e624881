// Alarmierung.dat as another program may have left it, read and saved again
// as the editor does. Properties: one entry per whole record; the saved file
// holds exactly the whole records, each field's length byte and text byte for
// byte; reading the saved file gives the same entries.
#include <string>

#include "FuzzFiles.h"
#include "config/conditions/ConditionList.h"

using namespace dravel::config;
using namespace dravel::fuzz;

namespace {

// The meaningful bytes of a field: its length byte and that many characters.
std::string fieldAt(const std::string& bytes, std::size_t offset) {
    const auto length = static_cast<unsigned char>(bytes[offset]);
    return bytes.substr(offset, 1 + length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    const std::string& dir = scratchFolder();
    putFile(conditionListPath(dir), original);

    const ConditionListReadResult read = readConditionList(dir);
    DRAVEL_REQUIRE(!read.error);
    DRAVEL_REQUIRE(read.entries.size() == size / kConditionRecordSize);
    (void)writeConditionList(dir, read.entries, "Fuzz");

    const std::string saved = fileBytes(conditionListPath(dir));
    DRAVEL_REQUIRE(saved.size() == read.entries.size() * kConditionRecordSize);
    for (std::size_t at = 0; at < saved.size(); at += kConditionFieldSize)
        DRAVEL_REQUIRE(fieldAt(saved, at) == fieldAt(original, at));
    DRAVEL_REQUIRE(readConditionList(dir).entries == read.entries);
    return 0;
}
