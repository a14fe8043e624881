#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "devices/serial/SerialPorts.h"
#include "devices/serial/SimulatedSerialDriver.h"
#include "support/ScopedHook.h"

namespace dravel::testing {

// A simulated serial driver that can also fail as the system does: its list
// of ports cannot be read, or another program holds a port.
class SystemPortsDriver : public devices::testing::SimulatedSerialDriver {
public:
    void setPorts(std::vector<std::string> ports, devices::SystemError error = 0) {
        SimulatedSerialDriver::setPorts(std::move(ports));
        listError_ = error;
    }
    void holdByOtherProgram(const std::string& name) { held_.insert(name); }

    devices::SystemError listPorts(std::vector<std::string>& names) override {
        return listError_ != 0 ? listError_ : SimulatedSerialDriver::listPorts(names);
    }
    std::unique_ptr<devices::SerialLine> open(const std::string& name,
                                              devices::SystemError& error) override {
        if (!held_.contains(name)) return SimulatedSerialDriver::open(name, error);
        note("open " + name);
        error = 5;  // access denied
        return nullptr;
    }

private:
    devices::SystemError listError_ = 0;
    std::set<std::string> held_;
};

// The serial ports the system lists, over a simulated driver, for the
// lifetime of the guard.
template <typename Driver = SystemPortsDriver>
class SimulatedPorts {
public:
    explicit SimulatedPorts(std::vector<std::string> ports, devices::SystemError error = 0) {
        driver_->setPorts(std::move(ports), error);
    }
    Driver& driver() const { return *driver_; }

private:
    std::shared_ptr<Driver> driver_ = std::make_shared<Driver>();
    ScopedHook<std::shared_ptr<devices::SerialDriver>> installed_{devices::replaceSerialDriver,
                                                                  driver_};
};

}  // namespace dravel::testing
