#pragma once

#include <string>
#include <string_view>

#include "config/storage/IniFile.h"

namespace dravel::config {

// One key of Prog.ini with the value it reads as when missing or unreadable.
// The settings windows and the summary were given different defaults for
// some keys (the summary's are the alarm program's own); both live here.
template <typename DialogValue, typename SummaryValue = DialogValue>
struct SettingKey {
    std::string_view section;
    std::string_view name;
    DialogValue dialogDefault;
    SummaryValue summaryDefault;
};

using FlagKey = SettingKey<bool>;
using NumberKey = SettingKey<int>;
using TextKey = SettingKey<std::string_view>;

namespace detail {
inline bool readValue(const IniFile& ini, std::string_view section, std::string_view name,
                      bool fallback) {
    return ini.readBool(section, name, fallback);
}
inline int readValue(const IniFile& ini, std::string_view section, std::string_view name,
                     int fallback) {
    return ini.readInteger(section, name, fallback);
}
inline std::string readValue(const IniFile& ini, std::string_view section, std::string_view name,
                             std::string_view fallback) {
    return ini.readString(section, name, fallback);
}
}  // namespace detail

// Reads a key as the settings windows do; a section names where a key of a
// group with several sections (the pins) is read.
template <typename D, typename S>
auto readForDialog(const IniFile& ini, std::string_view section, const SettingKey<D, S>& key) {
    return detail::readValue(ini, section, key.name, key.dialogDefault);
}
template <typename D, typename S>
auto readForDialog(const IniFile& ini, const SettingKey<D, S>& key) {
    return readForDialog(ini, key.section, key);
}

// Reads a key as the summary (and the alarm program) do.
template <typename D, typename S>
auto readForSummary(const IniFile& ini, std::string_view section, const SettingKey<D, S>& key) {
    return detail::readValue(ini, section, key.name, key.summaryDefault);
}
template <typename D, typename S>
auto readForSummary(const IniFile& ini, const SettingKey<D, S>& key) {
    return readForSummary(ini, key.section, key);
}

template <typename S>
void writeSetting(IniFile& ini, std::string_view section, const SettingKey<bool, S>& key,
                  bool value) {
    ini.writeBool(section, key.name, value);
}
template <typename S>
void writeSetting(IniFile& ini, std::string_view section, const SettingKey<int, S>& key,
                  int value) {
    ini.writeInteger(section, key.name, value);
}
template <typename S>
void writeSetting(IniFile& ini, std::string_view section,
                  const SettingKey<std::string_view, S>& key, std::string_view value) {
    ini.writeString(section, key.name, value);
}
template <typename D, typename S, typename V>
void writeSetting(IniFile& ini, const SettingKey<D, S>& key, const V& value) {
    writeSetting(ini, key.section, key, value);
}

}  // namespace dravel::config
