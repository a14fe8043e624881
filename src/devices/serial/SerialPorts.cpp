#include "devices/serial/SerialPorts.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "devices/serial/ComPortRecord.h"

namespace dravel::devices {

// ---- Port list ------------------------------------------------------------

void ListSerialPorts(std::vector<std::string>& names) {
    std::vector<std::string> found;
    EComPort::check(serialDriver()->listPorts(found), ComErrorCode::RegistryError);
    // Port names are ASCII on both platforms (COM3, ttyUSB0).
    std::stable_sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    });
    names = std::move(found);
}

// ---- Program-wide driver ----------------------------------------------------

namespace {

std::mutex& driverMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<SerialDriver>& currentDriver() {
    static std::shared_ptr<SerialDriver> driver = createPlatformSerialDriver();
    return driver;
}

}  // namespace

std::shared_ptr<SerialDriver> serialDriver() {
    std::lock_guard lock(driverMutex());
    return currentDriver();
}

std::shared_ptr<SerialDriver> replaceSerialDriver(std::shared_ptr<SerialDriver> driver) {
    std::lock_guard lock(driverMutex());
    if (!driver) driver = createPlatformSerialDriver();
    std::swap(currentDriver(), driver);
    return driver;
}

}  // namespace dravel::devices
