// The line settings record, the event mask and the error texts of the port.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "devices/serial/ComPort.h"

namespace dravel::devices {
namespace {

DeviceControlBlock recordFor(const ComLineSettings& line, TComBuffer buffer = {}) {
    return buildDeviceControlBlock(line, buffer);
}

TEST(SerialLineRecord, FormsSettingsGiveTheKnownRecord) {
    const DeviceControlBlock dcb = recordFor({});
    EXPECT_EQ(dcb.length, 28u);
    EXPECT_EQ(dcb.baudRate, 9600u);
    EXPECT_EQ(dcb.flags, 0x0001u);
    EXPECT_EQ(dcb.xonLimit, 256);
    EXPECT_EQ(dcb.xoffLimit, 256);
    EXPECT_EQ(dcb.byteSize, 8);
    EXPECT_EQ(dcb.parity, 0);
    EXPECT_EQ(dcb.stopBits, 0);
    EXPECT_EQ(dcb.xonChar, 17);
    EXPECT_EQ(dcb.xoffChar, 19);
    EXPECT_EQ(dcb.errorChar, 0);
    EXPECT_EQ(dcb.eofChar, 0);
    EXPECT_EQ(dcb.eventChar, 0);
}

struct FlagCase {
    const char* name;
    std::function<void(ComLineSettings&)> change;
    uint32_t flags;
};

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
    };
    for (const FlagCase& c : cases) {
        ComLineSettings line;
        c.change(line);
        EXPECT_EQ(recordFor(line).flags, c.flags) << c.name;
    }
}

TEST(SerialLineRecord, ReplacementNeedsParityCheck) {
    ComLineSettings line;
    line.Parity.Replace = true;
    line.Parity.ReplaceChar = 'X';
    DeviceControlBlock dcb = recordFor(line);
    EXPECT_EQ(dcb.flags, 0x0001u);
    EXPECT_EQ(dcb.errorChar, 0);

    line.Parity.Check = true;
    dcb = recordFor(line);
    EXPECT_EQ(dcb.flags, 0x0403u);
    EXPECT_EQ(dcb.errorChar, 'X');
}

TEST(SerialLineRecord, RatesSizesParityStopBitsAndCharacters) {
    const uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                              19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i < 15; ++i) {
        ComLineSettings line;
        line.BaudRate = static_cast<TBaudRate>(i + 1);
        EXPECT_EQ(recordFor(line).baudRate, rates[i]);
    }
    ComLineSettings custom;
    custom.BaudRate = TBaudRate::brCustom;
    custom.CustomBaudRate = 31250;
    EXPECT_EQ(recordFor(custom).baudRate, 31250u);

    for (int i = 0; i < 4; ++i) {
        ComLineSettings line;
        line.DataBits = static_cast<TDataBits>(i);
        EXPECT_EQ(recordFor(line).byteSize, 5 + i);
    }
    for (int i = 0; i < 5; ++i) {
        ComLineSettings line;
        line.Parity.Bits = static_cast<TParityBits>(i);
        EXPECT_EQ(recordFor(line).parity, i);
    }
    for (int i = 0; i < 3; ++i) {
        ComLineSettings line;
        line.StopBits = static_cast<TStopBits>(i);
        EXPECT_EQ(recordFor(line).stopBits, i);
    }

    ComLineSettings chars;
    chars.FlowControl.XonChar = 'Q';
    chars.FlowControl.XoffChar = 'S';
    chars.EventChar = '\r';
    const DeviceControlBlock dcb = recordFor(chars);
    EXPECT_EQ(dcb.xonChar, 'Q');
    EXPECT_EQ(dcb.xoffChar, 'S');
    EXPECT_EQ(dcb.eventChar, '\r');
}

TEST(SerialLineRecord, FlowLimitsAreAQuarterOfTheInputQueue) {
    EXPECT_EQ(recordFor({}, {4096, 10}).xonLimit, 1024);
    EXPECT_EQ(recordFor({}, {1023, 10}).xoffLimit, 255);
    EXPECT_EQ(recordFor({}, {1 << 20, 10}).xonLimit, 0xFFFF);
    EXPECT_EQ(recordFor({}, {-8, 10}).xonLimit, 0);
}

TEST(SerialLineRecord, TimeoutsPassMinusOneAsAllOnes) {
    const CommTimeouts t = toCommTimeouts(TComTimeouts{});
    EXPECT_EQ(t.readInterval, 0xFFFFFFFFu);
    EXPECT_EQ(t.readTotalMultiplier, 0u);
    EXPECT_EQ(t.readTotalConstant, 0u);
    EXPECT_EQ(t.writeTotalMultiplier, 100u);
    EXPECT_EQ(t.writeTotalConstant, 1000u);
}

TEST(SerialEventMask, MapsEachEventToItsBit) {
    EXPECT_EQ(eventsToMask(kAllComEvents), 0x05FFu);
    EXPECT_EQ(eventsToMask({}), 0u);
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
}

TEST(SerialEventMask, ReverseMappingRestoresEverySetAndIgnoresUnknownBits) {
    for (uint32_t bits = 0; bits < 1024; ++bits) {
        TComEvents set;
        for (int i = 0; i < 10; ++i) {
            if (bits & (1u << i)) set.insert(static_cast<TComEvent>(i));
        }
        ASSERT_EQ(maskToEvents(eventsToMask(set)), set) << bits;
    }
    EXPECT_EQ(maskToEvents(0xFFFFFFFF), kAllComEvents);
    EXPECT_TRUE(maskToEvents(0x0200 | 0x0800 | 0x1000).empty());
}

TEST(SerialLineErrors, MapToTheErrorSet) {
    const TComErrors set = lineErrorsToSet(0x0001 | 0x0008 | 0x8000);
    EXPECT_EQ(set, (TComErrors{TComError::ceRxOver, TComError::ceFrame, TComError::ceMode}));
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
    for (auto [code, text] : texts) {
        EXPECT_EQ(comErrorText(code), text);
        EXPECT_STREQ(EComPort(code).what(), text);
    }

    const EComPort registry(ComErrorCode::RegistryError, 2);
    EXPECT_STREQ(registry.what(), "Registry error (win error code: 2)");
    EXPECT_EQ(static_cast<int>(registry.code()), 23);
    EXPECT_EQ(registry.winCode(), 2);

    const EComPort led(ComErrorCode::LedStateLocked);
    EXPECT_EQ(static_cast<int>(led.code()), 19);
    EXPECT_EQ(led.winCode(), -1);

    EXPECT_STREQ(EComPort(ComErrorCode::OpenFailed, 5).what(),
                 "ComPort lässt sich nicht öffnen (win error code: 5)");
    EXPECT_STREQ(EComPort(ComErrorCode::EscapeFailed, 0).what(),
                 "EscapeCommFunction function failed (win error code: 0)");
    const std::runtime_error& base = registry;
    EXPECT_STREQ(base.what(), "Registry error (win error code: 2)");
}

}  // namespace
}  // namespace dravel::devices
