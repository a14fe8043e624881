#pragma once

#include <memory>
#include <string>
#include <vector>

#include "devices/serial/SerialDriver.h"

// The serial ports the system lists, and the program-wide driver that new
// port components and the list use.
namespace dravel::devices {

// Replaces the items of names by the serial ports the system lists, sorted
// ascending as text without regard to case (COM10 before COM2). On Linux these
// are the kernel's tty devices with hardware behind them (ttyS0, ttyUSB0 ...),
// opened as /dev/<name>. Raises error 23 with the system's error number when
// the list cannot be read; names is then left as it was.
void ListSerialPorts(std::vector<std::string>& names);

// The program-wide driver that new port components and ListSerialPorts use.
std::shared_ptr<SerialDriver> serialDriver();

// Tests put a stand-in in; hands back what was there. Null puts the
// platform's driver back.
std::shared_ptr<SerialDriver> replaceSerialDriver(std::shared_ptr<SerialDriver> driver);

}  // namespace dravel::devices
