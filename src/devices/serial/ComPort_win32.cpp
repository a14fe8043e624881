// Serial ports on Windows: the port list from the registry, the line over
// the Win32 comm functions with an overlapped handle.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "devices/serial/SerialDriver.h"
#include "devices/system/WideText.h"

namespace dravel::devices {

namespace {

SystemError lastError() {
    return static_cast<SystemError>(GetLastError());
}

SystemError result(BOOL ok) {
    return ok ? 0 : lastError();
}

::DCB toWin32(const DeviceControlBlock& d) {
    ::DCB dcb{};
    dcb.DCBlength = sizeof(::DCB);
    dcb.BaudRate = d.baudRate;
    dcb.fBinary = (d.flags >> 0) & 1;
    dcb.fParity = (d.flags >> 1) & 1;
    dcb.fOutxCtsFlow = (d.flags >> 2) & 1;
    dcb.fOutxDsrFlow = (d.flags >> 3) & 1;
    dcb.fDtrControl = (d.flags >> 4) & 3;
    dcb.fDsrSensitivity = (d.flags >> 6) & 1;
    dcb.fTXContinueOnXoff = (d.flags >> 7) & 1;
    dcb.fOutX = (d.flags >> 8) & 1;
    dcb.fInX = (d.flags >> 9) & 1;
    dcb.fErrorChar = (d.flags >> 10) & 1;
    dcb.fNull = (d.flags >> 11) & 1;
    dcb.fRtsControl = (d.flags >> 12) & 3;
    dcb.fAbortOnError = (d.flags >> 14) & 1;
    dcb.XonLim = d.xonLimit;
    dcb.XoffLim = d.xoffLimit;
    dcb.ByteSize = d.byteSize;
    dcb.Parity = d.parity;
    dcb.StopBits = d.stopBits;
    dcb.XonChar = d.xonChar;
    dcb.XoffChar = d.xoffChar;
    dcb.ErrorChar = d.errorChar;
    dcb.EofChar = d.eofChar;
    dcb.EvtChar = d.eventChar;
    return dcb;
}

// The overlapped WaitCommEvent of one event thread and its stop event. The
// OVERLAPPED record and the mask stay here, not on the thread's stack: a
// pending wait writes to them when it ends.
class WinEventWatch final : public EventWatch {
public:
    WinEventWatch(HANDLE port, HANDLE stopEvent, HANDLE waitEvent)
        : port_(port), stop_event_(stopEvent), wait_event_(waitEvent) {
        GetCommModemStatus(port_, &lines_);  // lines already on when the port opens are no change
    }

    ~WinEventWatch() override {
        if (pending_) {
            // The thread cleared the event mask on its way out, which ends
            // the wait; cancel it all the same and let it finish.
            CancelIoEx(port_, &overlapped_);
            DWORD unused = 0;
            GetOverlappedResult(port_, &overlapped_, &unused, TRUE);
        }
        CloseHandle(wait_event_);
        CloseHandle(stop_event_);
    }

    Wake wait(uint32_t& mask) override {
        if (!pending_) {
            if ((mask = missedLineChanges()) != 0) return Wake::Events;
            overlapped_ = OVERLAPPED{};
            overlapped_.hEvent = wait_event_;
            mask_ = 0;
            if (WaitCommEvent(port_, &mask_, &overlapped_)) {
                mask = mask_;
                return Wake::Events;
            }
            if (GetLastError() != ERROR_IO_PENDING) return Wake::Failed;
            pending_ = true;
            // A change between the look above and the start of the wait is not the wait's to
            // report under Wine: one more look now that it is armed loses none. The armed wait
            // stays for the next call.
            if ((mask = missedLineChanges()) != 0) return Wake::Events;
        }
        const HANDLE handles[2] = {stop_event_, wait_event_};
        const DWORD fired = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (fired == WAIT_OBJECT_0) return Wake::Stopped;
        if (fired != WAIT_OBJECT_0 + 1) return Wake::Failed;
        pending_ = false;
        DWORD unused = 0;
        if (!GetOverlappedResult(port_, &overlapped_, &unused, FALSE)) return Wake::Nothing;
        // The lines may have changed again since the wait ended: taken as a
        // baseline silently, that change would never be reported.
        mask = mask_ | missedLineChanges();
        return Wake::Events;
    }

    void stop() override { SetEvent(stop_event_); }

private:
    // Windows keeps the line changes that happen between two waits for the next one; Wine
    // compares only with the lines as they were when a wait began. The lines are compared
    // here as well, before a wait is armed and once it is, so that no change goes unreported
    // there; Windows may then report a change twice, which the handlers take as the same state.
    DWORD missedLineChanges() {
        DWORD now = 0, wanted = 0;
        if (!GetCommModemStatus(port_, &now) || !GetCommMask(port_, &wanted)) return 0;
        const DWORD events = modemLineEvents(lines_, now);
        lines_ = now;
        return events & wanted;
    }

    HANDLE port_;
    HANDLE stop_event_;
    HANDLE wait_event_;
    OVERLAPPED overlapped_{};
    DWORD mask_ = 0;
    DWORD lines_ = 0;
    bool pending_ = false;
};

class WinSerialLine final : public SerialLine {
public:
    explicit WinSerialLine(HANDLE handle) : handle_(handle) {}
    ~WinSerialLine() override { CloseHandle(handle_); }

    SystemError setupQueues(uint32_t inputSize, uint32_t outputSize) override {
        return result(SetupComm(handle_, inputSize, outputSize));
    }

    SystemError setState(const DeviceControlBlock& dcb) override {
        ::DCB state = toWin32(dcb);
        return result(SetCommState(handle_, &state));
    }

    SystemError setTimeouts(const CommTimeouts& t) override {
        COMMTIMEOUTS timeouts{t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                              t.writeTotalMultiplier, t.writeTotalConstant};
        return result(SetCommTimeouts(handle_, &timeouts));
    }

    SystemError escape(EscapeCode code) override {
        return result(EscapeCommFunction(handle_, static_cast<DWORD>(code)));
    }

    SystemError modemStatus(uint32_t& lines) override {
        DWORD status = 0;
        if (!GetCommModemStatus(handle_, &status)) return lastError();
        lines = status;
        return 0;
    }

    SystemError clearError(uint32_t& errors, uint32_t& inputCount) override {
        DWORD flags = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &flags, &status)) return lastError();
        errors = flags;
        inputCount = status.cbInQue;
        return 0;
    }

    SystemError purge(uint32_t flags) override { return result(PurgeComm(handle_, flags)); }

    SystemError setEventMask(uint32_t mask) override { return result(SetCommMask(handle_, mask)); }

    std::unique_ptr<EventWatch> createEventWatch(SystemError& error) override {
        const HANDLE stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!stopEvent) {
            error = lastError();
            return nullptr;
        }
        const HANDLE waitEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
        if (!waitEvent) {
            error = lastError();
            CloseHandle(stopEvent);
            return nullptr;
        }
        return std::make_unique<WinEventWatch>(handle_, stopEvent, waitEvent);
    }

private:
    HANDLE handle_;
};

class RegistryKey {
public:
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class WinSerialDriver final : public SerialDriver {
public:
    SystemError listPorts(std::vector<std::string>& names) override {
        RegistryKey key;
        LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                                       KEY_READ, key.out());
        if (status != ERROR_SUCCESS) return static_cast<SystemError>(status);
        for (DWORD index = 0;; ++index) {
            char name[256];
            BYTE data[256];
            DWORD nameSize = sizeof name;
            DWORD dataSize = sizeof data;
            status =
                RegEnumValueA(key.get(), index, name, &nameSize, nullptr, nullptr, data, &dataSize);
            if (status == ERROR_NO_MORE_ITEMS) return 0;
            if (status != ERROR_SUCCESS) return static_cast<SystemError>(status);
            // The data is the port name with its terminating zero.
            const DWORD length = dataSize > 0 ? dataSize - 1 : 0;
            names.emplace_back(reinterpret_cast<const char*>(data), length);
        }
    }

    std::unique_ptr<SerialLine> open(const std::string& name, SystemError& error) override {
        const std::wstring path = toUtf16("\\\\.\\" + name);
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = lastError();
            return nullptr;
        }
        return std::make_unique<WinSerialLine>(handle);
    }

    SystemError invalidHandleError() override { return ERROR_INVALID_HANDLE; }
};

}  // namespace

std::shared_ptr<SerialDriver> createPlatformSerialDriver() {
    return std::make_shared<WinSerialDriver>();
}

}  // namespace dravel::devices
