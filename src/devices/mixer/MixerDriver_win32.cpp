// windows.h first: mmsystem.h builds on its types.
#include <windows.h>

#include <mmsystem.h>

#include <cstring>

#include "devices/mixer/MixerDriver.h"

namespace dravel::devices {
namespace {

// A fixed platform text array up to its first zero byte (or its end), from
// the system's ANSI code page to UTF-8.
template <std::size_t N>
std::string toUtf8(const char (&ansi)[N]) {
    const int length = static_cast<int>(strnlen(ansi, N));
    if (length == 0) return {};
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, length, wide.data(), wideLength);
    const int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr,
                        nullptr);
    return utf8;
}

HMIXEROBJ mixerObject(MixerHandle handle) {
    return reinterpret_cast<HMIXEROBJ>(handle);
}

MixerLine lineOf(const MIXERLINEA& platform) {
    MixerLine line;
    line.destination = platform.dwDestination;
    line.source = platform.dwSource;
    line.lineId = platform.dwLineID;
    line.connections = platform.cConnections;
    line.controls = platform.cControls;
    line.name = toUtf8(platform.szName);
    return line;
}

MixerControl controlOf(const MIXERCONTROLA& platform) {
    MixerControl control;
    control.controlId = platform.dwControlID;
    control.controlType = platform.dwControlType;
    control.name = toUtf8(platform.szName);
    control.minimum = platform.Bounds.lMinimum;
    control.maximum = platform.Bounds.lMaximum;
    return control;
}

class WinmmMixerDriver final : public MixerDriver {
public:
    // Change notices go to a hidden message-only window whose default
    // procedure ignores them: the program assigns no change handlers.
    WinmmMixerDriver()
        : noticeWindow_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr)) {}

    ~WinmmMixerDriver() override {
        if (noticeWindow_) DestroyWindow(noticeWindow_);
    }

    unsigned getNumDevs() override { return mixerGetNumDevs(); }

    std::optional<MixerHandle> open(unsigned deviceId, MixerCallback callback) override {
        const bool notify = callback == MixerCallback::NoticeWindow;
        HMIXER mixer = nullptr;
        const MMRESULT result =
            mixerOpen(&mixer, deviceId, notify ? reinterpret_cast<DWORD_PTR>(noticeWindow_) : 0, 0,
                      notify ? CALLBACK_WINDOW : 0);
        if (result != MMSYSERR_NOERROR) return std::nullopt;
        return reinterpret_cast<MixerHandle>(mixer);
    }

    std::optional<MixerCaps> getDevCaps(unsigned deviceId) override {
        MIXERCAPSA platform{};
        if (mixerGetDevCapsA(deviceId, &platform, sizeof platform) != MMSYSERR_NOERROR)
            return std::nullopt;
        MixerCaps caps;
        caps.manufacturerId = platform.wMid;
        caps.productId = platform.wPid;
        caps.driverVersion = platform.vDriverVersion;
        caps.productName = toUtf8(platform.szPname);
        caps.destinations = platform.cDestinations;
        return caps;
    }

    std::optional<MixerLine> getDestinationLineInfo(MixerHandle mixer,
                                                    std::uint32_t destination) override {
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwDestination = destination;
        return query(mixer, line, MIXER_GETLINEINFOF_DESTINATION);
    }

    std::optional<MixerLine> getSourceLineInfo(MixerHandle mixer, std::uint32_t destination,
                                               std::uint32_t source) override {
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwDestination = destination;
        line.dwSource = source;
        return query(mixer, line, MIXER_GETLINEINFOF_SOURCE);
    }

    std::optional<std::vector<MixerControl>> getLineControls(MixerHandle mixer,
                                                             std::uint32_t lineId,
                                                             std::uint32_t count) override {
        std::vector<MIXERCONTROLA> block(count);
        MIXERLINECONTROLSA request{};
        request.cbStruct = sizeof request;
        request.dwLineID = lineId;
        request.cControls = count;
        request.cbmxctrl = sizeof(MIXERCONTROLA);
        request.pamxctrl = block.data();
        if (mixerGetLineControlsA(mixerObject(mixer), &request, MIXER_GETLINECONTROLSF_ALL) !=
            MMSYSERR_NOERROR)
            return std::nullopt;
        std::vector<MixerControl> controls;
        controls.reserve(block.size());
        for (const auto& record : block) controls.push_back(controlOf(record));
        return controls;
    }

    void close(MixerHandle mixer) override { mixerClose(reinterpret_cast<HMIXER>(mixer)); }

private:
    static std::optional<MixerLine> query(MixerHandle mixer, MIXERLINEA& line, DWORD flags) {
        if (mixerGetLineInfoA(mixerObject(mixer), &line, flags) != MMSYSERR_NOERROR)
            return std::nullopt;
        return lineOf(line);
    }

    HWND noticeWindow_;
};

}  // namespace

std::unique_ptr<MixerDriver> createPlatformMixerDriver() {
    return std::make_unique<WinmmMixerDriver>();
}

}  // namespace dravel::devices
