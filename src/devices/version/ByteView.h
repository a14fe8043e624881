#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace dravel::devices::detail {

// A bounds-checked window on a file image. Offsets and lengths come from untrusted headers, so they
// are taken as 64-bit values and every range is checked before it is used; a field outside the
// window reads as zero, which the callers never rely on because they check the range first.
class ByteView {
public:
    ByteView() = default;
    explicit ByteView(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }

    bool holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    std::optional<ByteView> slice(std::uint64_t offset, std::uint64_t length) const {
        if (!holds(offset, length)) {
            return std::nullopt;
        }
        return ByteView(
            bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)));
    }

    std::optional<ByteView> from(std::uint64_t offset) const {
        return offset <= size() ? slice(offset, size() - offset) : std::nullopt;
    }

    std::uint8_t u8(std::uint64_t offset) const { return static_cast<std::uint8_t>(le(offset, 1)); }
    std::uint16_t u16(std::uint64_t offset) const {
        return static_cast<std::uint16_t>(le(offset, 2));
    }
    std::uint32_t u32(std::uint64_t offset) const {
        return static_cast<std::uint32_t>(le(offset, 4));
    }
    std::uint64_t u64(std::uint64_t offset) const { return le(offset, 8); }

private:
    std::uint64_t le(std::uint64_t offset, unsigned width) const {
        if (!holds(offset, width)) {
            return 0;
        }
        std::uint64_t value = 0;
        for (unsigned i = width; i-- > 0;) {
            value = (value << 8) | std::to_integer<std::uint64_t>(bytes_[offset + i]);
        }
        return value;
    }

    std::span<const std::byte> bytes_;
};

}  // namespace dravel::devices::detail
