// The line settings record, the event mask and the error texts of the port.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "devices/serial/ComPort.h"

namespace dravel::devices {
namespace {

TEST(SerialLineRecord, FormsSettingsGiveTheKnownRecord) {
    DeviceControlBlock expected;
    expected.baudRate = 9600;
    expected.flags = 0x0001;
    expected.xonLimit = expected.xoffLimit = 256;
    expected.byteSize = 8;
    expected.xonChar = 17;
    expected.xoffChar = 19;
    EXPECT_EQ(buildDeviceControlBlock({}, {}), expected);
    EXPECT_EQ(expected.length, 28u);
}

struct FlagCase {
    const char* name;
    std::function<void(ComLineSettings&)> change;
    uint32_t flags;
    char errorChar = 0;
};

void replaceBadBytesWithX(ComLineSettings& line, bool check) {
    line.Parity = {TParityBits::prEven, check, true, 'X'};
}

TEST(SerialLineRecord, EachSettingSetsItsFlagBits) {
    const std::vector<FlagCase> cases = {
        {"parity check", [](auto& s) { s.Parity.Check = true; }, 0x0003},
        {"CTS flow", [](auto& s) { s.FlowControl.OutCTSFlow = true; }, 0x0005},
        {"DSR flow", [](auto& s) { s.FlowControl.OutDSRFlow = true; }, 0x0009},
        {"DTR enable", [](auto& s) { s.FlowControl.ControlDTR = TDTRFlowControl::dtrEnable; },
         0x0011},
        {"DTR handshake", [](auto& s) { s.FlowControl.ControlDTR = TDTRFlowControl::dtrHandshake; },
         0x0021},
        {"DSR sensitivity", [](auto& s) { s.FlowControl.DSRSensitivity = true; }, 0x0041},
        {"continue on XOFF", [](auto& s) { s.FlowControl.TxContinueOnXoff = true; }, 0x0081},
        {"XON/XOFF out", [](auto& s) { s.FlowControl.XonXoffOut = true; }, 0x0101},
        {"XON/XOFF in", [](auto& s) { s.FlowControl.XonXoffIn = true; }, 0x0201},
        {"discard null", [](auto& s) { s.DiscardNull = true; }, 0x0801},
        {"RTS enable", [](auto& s) { s.FlowControl.ControlRTS = TRTSFlowControl::rtsEnable; },
         0x1001},
        {"RTS handshake", [](auto& s) { s.FlowControl.ControlRTS = TRTSFlowControl::rtsHandshake; },
         0x2001},
        {"RTS toggle", [](auto& s) { s.FlowControl.ControlRTS = TRTSFlowControl::rtsToggle; },
         0x3001},
        // Replacing needs the parity check.
        {"replace unchecked", [](auto& s) { replaceBadBytesWithX(s, false); }, 0x0001},
        {"replace checked", [](auto& s) { replaceBadBytesWithX(s, true); }, 0x0403, 'X'},
    };
    for (const FlagCase& c : cases) {
        ComLineSettings line;
        c.change(line);
        const DeviceControlBlock dcb = buildDeviceControlBlock(line, {});
        EXPECT_EQ(dcb.flags, c.flags) << c.name;
        EXPECT_EQ(dcb.errorChar, c.errorChar) << c.name;
    }
}

TEST(SerialLineRecord, RatesCharactersAndFlowLimits) {
    const uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                              19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(baudRateValue(static_cast<TBaudRate>(i + 1), 31250), rates[i]);
    }
    ComLineSettings line;
    line.BaudRate = TBaudRate::brCustom;
    line.CustomBaudRate = 31250;
    line.FlowControl.XonChar = 'Q';
    line.FlowControl.XoffChar = 'S';
    line.EventChar = '\r';
    const DeviceControlBlock dcb = buildDeviceControlBlock(line, {4096, 10});
    EXPECT_EQ(dcb.baudRate, 31250u);
    EXPECT_EQ(dcb.xonChar, 'Q');
    EXPECT_EQ(dcb.xoffChar, 'S');
    EXPECT_EQ(dcb.eventChar, '\r');
    // The flow limits are a quarter of the input queue, within 16 bits.
    EXPECT_EQ(dcb.xonLimit, 1024);
    EXPECT_EQ(buildDeviceControlBlock({}, {1023, 10}).xoffLimit, 255);
    EXPECT_EQ(buildDeviceControlBlock({}, {1 << 20, 10}).xonLimit, 0xFFFF);
    EXPECT_EQ(buildDeviceControlBlock({}, {-8, 10}).xonLimit, 0);
}

TEST(SerialEventMask, MapsEachEventToItsBitAndBack) {
    const std::pair<TComEvent, uint32_t> bits[] = {
        {TComEvent::evRxChar, 0x0001},  {TComEvent::evRxFlag, 0x0002},
        {TComEvent::evTxEmpty, 0x0004}, {TComEvent::evCTS, 0x0008},
        {TComEvent::evDSR, 0x0010},     {TComEvent::evRLSD, 0x0020},
        {TComEvent::evBreak, 0x0040},   {TComEvent::evError, 0x0080},
        {TComEvent::evRing, 0x0100},    {TComEvent::evRx80Full, 0x0400}};
    for (auto [event, bit] : bits) {
        EXPECT_EQ(eventsToMask(TComEvents{event}), bit);
        EXPECT_EQ(maskToEvents(bit), TComEvents{event});
    }
    EXPECT_EQ(eventsToMask(kAllComEvents), 0x05FFu);
    EXPECT_EQ(maskToEvents(0x05FF), kAllComEvents);
    EXPECT_EQ(eventsToMask({}), 0u);
    // Bits without an event are ignored.
    EXPECT_EQ(maskToEvents(0xFFFFFFFF), kAllComEvents);
    EXPECT_TRUE(maskToEvents(0x0200 | 0x0800 | 0x1000).empty());
}

TEST(SerialLineErrors, MapToTheErrorSet) {
    EXPECT_EQ(lineErrorsToSet(0x0001 | 0x0008 | 0x8000),
              (TComErrors{TComError::ceRxOver, TComError::ceFrame, TComError::ceMode}));
    EXPECT_EQ(lineErrorsToSet(0x0002 | 0x0004 | 0x0010 | 0x0100 | 0x0400),
              (TComErrors{TComError::ceOverrun, TComError::ceRxParity, TComError::ceBreak,
                          TComError::ceTxFull, TComError::ceIO}));
    EXPECT_TRUE(lineErrorsToSet(0).empty());
}

TEST(SerialErrors, MessagesCarryTheTextAndTheSystemNumber) {
    const std::pair<ComErrorCode, const char*> texts[] = {
        {ComErrorCode::OpenFailed, "ComPort lässt sich nicht öffnen"},
        {ComErrorCode::PurgeFailed, "PurgeComm function failed"},
        {ComErrorCode::SetStateFailed, "SetCommState function failed"},
        {ComErrorCode::TimeoutsFailed, "SetCommTimeouts failed"},
        {ComErrorCode::SetupFailed, "SetupComm function failed"},
        {ComErrorCode::ClearErrorFailed, "ClearCommError function failed"},
        {ComErrorCode::ModemStatusFailed, "GetCommModemStatus function failed"},
        {ComErrorCode::EscapeFailed, "EscapeCommFunction function failed"},
        {ComErrorCode::LedStateLocked, "Cannot change led state if ComPort is selected"},
        {ComErrorCode::RegistryError, "Registry error"}};
    for (auto [code, text] : texts) EXPECT_STREQ(EComPort(code).what(), text);
    const EComPort withNumber(ComErrorCode::EscapeFailed, 0);
    EXPECT_STREQ(withNumber.what(), "EscapeCommFunction function failed (win error code: 0)");
    EXPECT_EQ(withNumber.winCode(), 0);
}

}  // namespace
}  // namespace dravel::devices
