#pragma once

#include <memory>
#include <string>

namespace testplatform {

// A serial line for tests of the platform's own serial back-end, with the test holding its far
// end. Linux: a pseudo-terminal. Windows (under Wine): the COM port that scripts/test-windows.sh
// links to a pseudo-terminal, named in DRAVEL_TEST_COM; bytes appended to the file
// DRAVEL_TEST_COM_SEND reach the far end, which keeps the line settings in the file "settings" of
// the folder DRAVEL_TEST_COM_FOLDER. Where pty_modem_lines.so is preloaded, the modem lines live
// in the folder DRAVEL_PTY_LINES_DIR.
class TestSerialLine {
public:
    static constexpr int kBreakState = 0x10000;

    TestSerialLine();
    ~TestSerialLine();
    TestSerialLine(const TestSerialLine&) = delete;
    TestSerialLine& operator=(const TestSerialLine&) = delete;

    bool ok() const;
    // Why there is no line, for the test's skip message.
    std::string whyNot() const;
    // The name the port component opens.
    std::string portName() const;
    // Bytes from the far end; never blocks.
    bool send(const std::string& bytes);
    // The line settings as the far end sees them, e.g. "9600 8N1" (a pseudo-terminal drops the
    // parity enable bit, so even parity shows as none; odd parity stays "O").
    std::string settings() const;

    // The modem lines as bits of TIOCM_* (DTR 0x002, RTS 0x004, CTS 0x020, RI 0x080, DSR 0x100),
    // and the break state of the transmit line as kBreakState, where the modem-line stand-in for
    // pseudo-terminals is loaded; -1 elsewhere.
    int switchedLines() const;
    bool driveLines(int lines);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace testplatform
