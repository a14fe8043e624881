#include "config/settings/TimeOfDay.h"

#include <algorithm>

namespace dravel::config {
namespace {

constexpr int kSecondsPerDay = 24 * 60 * 60;

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    // Digits after optional blanks, as a number capped well above any valid part.
    std::optional<int> number() {
        skipBlanks();
        const std::size_t start = pos_;
        int value = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = std::min(value * 10 + (text_[pos_] - '0'), 10000);
            ++pos_;
        }
        if (pos_ == start) return std::nullopt;
        return value;
    }

    bool character(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<SecondsOfDay> parseTimeOfDay(std::string_view text) {
    Scanner scan(text);
    const auto hours = scan.number();
    if (!hours) return std::nullopt;
    int minutes = 0;
    int seconds = 0;
    if (scan.character(':')) {
        const auto m = scan.number();
        if (!m) return std::nullopt;
        minutes = *m;
        if (scan.character(':')) {
            const auto s = scan.number();
            if (!s) return std::nullopt;
            seconds = *s;
        }
    }
    if (!scan.atEnd() || *hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
    return (*hours * 60 + minutes) * 60 + seconds;
}

SecondsOfDay addMinutes(SecondsOfDay start, long long minutes) {
    const long long shift = (minutes % (kSecondsPerDay / 60)) * 60;
    return static_cast<SecondsOfDay>(((start + shift) % kSecondsPerDay + kSecondsPerDay) %
                                     kSecondsPerDay);
}

std::string formatHoursMinutes(SecondsOfDay time) {
    const int hours = time / 3600;
    const int minutes = time / 60 % 60;
    const char text[] = {static_cast<char>('0' + hours / 10), static_cast<char>('0' + hours % 10),
                         ':', static_cast<char>('0' + minutes / 10),
                         static_cast<char>('0' + minutes % 10)};
    return std::string(text, sizeof text);
}

}  // namespace dravel::config
