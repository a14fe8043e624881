// Reads the file version of a Windows executable without Windows: headers -> section table ->
// resource directory (type RT_VERSION, name VS_VERSION_INFO, first language) -> VS_VERSIONINFO ->
// VS_FIXEDFILEINFO.
#include <cstdint>
#include <optional>
#include <vector>

#include "devices/version/ByteView.h"
#include "devices/version/FileVersion.h"

namespace dravel::devices {
namespace {

using detail::ByteView;

constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint64_t kCoffHeaderSize = 24;  // "PE\0\0" and the file header
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kSectionHeaderSize = 40;

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVsVersionInfoId = 1;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;

constexpr char16_t kVersionInfoKey[] = u"VS_VERSION_INFO";
constexpr std::uint64_t kVersionInfoKeyOffset = 6;
constexpr std::uint64_t kFixedInfoOffset = 40;  // after the key and its padding to 4 bytes
constexpr std::uint64_t kFixedInfoSize = 52;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct DataDirectory {
    std::uint32_t rva;
    std::uint32_t size;
};

class PeImage {
public:
    static std::optional<PeImage> open(ByteView file) {
        const auto dos = file.slice(0, kDosHeaderSize);
        if (!dos || dos->u16(0) != 0x5A4D) {  // "MZ"
            return std::nullopt;
        }
        const std::uint64_t coffOffset = dos->u32(kNewHeaderOffsetField);
        const auto coff = file.slice(coffOffset, kCoffHeaderSize);
        if (!coff || coff->u32(0) != 0x00004550) {  // "PE\0\0"
            return std::nullopt;
        }
        const std::uint16_t sectionCount = coff->u16(6);
        const std::uint16_t optionalHeaderSize = coff->u16(20);
        const auto optionalHeader = file.slice(coffOffset + kCoffHeaderSize, optionalHeaderSize);
        const auto sectionTable = file.slice(coffOffset + kCoffHeaderSize + optionalHeaderSize,
                                             std::uint64_t{sectionCount} * kSectionHeaderSize);
        if (!optionalHeader || !sectionTable) {
            return std::nullopt;
        }
        const auto resources = resourceDirectory(*optionalHeader);
        if (!resources) {
            return std::nullopt;
        }
        return PeImage(file, *resources, readSections(*sectionTable, sectionCount));
    }

    DataDirectory resources() const { return resources_; }

    // The bytes at rva..rva+length, found in the file through the section that holds them.
    std::optional<ByteView> atRva(std::uint32_t rva, std::uint64_t length) const {
        for (const Section& section : sections_) {
            if (rva < section.virtualAddress) {
                continue;
            }
            const std::uint64_t delta = rva - section.virtualAddress;
            if (delta < section.rawSize && length <= section.rawSize - delta) {
                return file_.slice(std::uint64_t{section.rawOffset} + delta, length);
            }
        }
        return std::nullopt;
    }

private:
    PeImage(ByteView file, DataDirectory resources, std::vector<Section> sections)
        : file_(file), resources_(resources), sections_(std::move(sections)) {}

    static std::optional<DataDirectory> resourceDirectory(ByteView optionalHeader) {
        std::uint64_t directoriesOffset = 0;
        switch (optionalHeader.u16(0)) {
            case kPe32Magic:
                directoriesOffset = 96;
                break;
            case kPe32PlusMagic:
                directoriesOffset = 112;
                break;
            default:
                return std::nullopt;
        }
        if (!optionalHeader.holds(directoriesOffset - 4, 4) ||
            optionalHeader.u32(directoriesOffset - 4) <= kResourceDirectoryIndex) {
            return std::nullopt;
        }
        const auto entry = optionalHeader.slice(directoriesOffset + 8 * kResourceDirectoryIndex, 8);
        if (!entry || entry->u32(4) == 0) {
            return std::nullopt;
        }
        return DataDirectory{entry->u32(0), entry->u32(4)};
    }

    static std::vector<Section> readSections(ByteView table, std::uint16_t count) {
        std::vector<Section> sections;
        sections.reserve(count);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t at = i * kSectionHeaderSize;
            sections.push_back(
                {table.u32(at + 12), table.u32(at + 8), table.u32(at + 16), table.u32(at + 20)});
        }
        return sections;
    }

    ByteView file_;
    DataDirectory resources_;
    std::vector<Section> sections_;
};

// The OffsetToData of a directory entry: the entry with the given ID, or the first entry when no
// ID is asked for (the language level, where Windows falls back to the first language too).
std::optional<std::uint32_t> findEntry(ByteView tree, std::uint32_t directoryOffset,
                                       std::optional<std::uint32_t> id) {
    const auto header = tree.slice(directoryOffset, kDirectoryHeaderSize);
    if (!header) {
        return std::nullopt;
    }
    const std::uint64_t namedCount = header->u16(12);
    const std::uint64_t idCount = header->u16(14);
    const auto entries = tree.slice(std::uint64_t{directoryOffset} + kDirectoryHeaderSize,
                                    (namedCount + idCount) * kDirectoryEntrySize);
    if (!entries || namedCount + idCount == 0) {
        return std::nullopt;
    }
    if (!id) {
        return entries->u32(4);
    }
    for (std::uint64_t i = namedCount; i < namedCount + idCount; ++i) {
        if (entries->u32(i * kDirectoryEntrySize) == *id) {
            return entries->u32(i * kDirectoryEntrySize + 4);
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> subdirectory(std::optional<std::uint32_t> offsetToData) {
    if (!offsetToData || (*offsetToData & kSubdirectoryFlag) == 0) {
        return std::nullopt;
    }
    return *offsetToData & ~kSubdirectoryFlag;
}

std::optional<ByteView> versionResource(const PeImage& image) {
    const auto tree = image.atRva(image.resources().rva, image.resources().size);
    if (!tree) {
        return std::nullopt;
    }
    const auto names = subdirectory(findEntry(*tree, 0, kRtVersion));
    const auto languages =
        names ? subdirectory(findEntry(*tree, *names, kVsVersionInfoId)) : std::nullopt;
    const auto leaf = languages ? findEntry(*tree, *languages, std::nullopt) : std::nullopt;
    if (!leaf || (*leaf & kSubdirectoryFlag) != 0) {
        return std::nullopt;
    }
    const auto dataEntry = tree->slice(*leaf, kDataEntrySize);
    if (!dataEntry) {
        return std::nullopt;
    }
    return image.atRva(dataEntry->u32(0), dataEntry->u32(4));
}

bool hasVersionInfoKey(ByteView block) {
    for (std::uint64_t i = 0; i < std::size(kVersionInfoKey); ++i) {
        if (block.u16(kVersionInfoKeyOffset + 2 * i) != kVersionInfoKey[i]) {
            return false;
        }
    }
    return true;
}

// VS_VERSIONINFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO", then its value, the
// VS_FIXEDFILEINFO. A block whose lengths do not hold the fixed part has no file version.
std::optional<FourPartVersion> fixedFileVersion(ByteView resource) {
    const auto header = resource.slice(0, kFixedInfoOffset);
    if (!header || !hasVersionInfoKey(*header)) {
        return std::nullopt;
    }
    const auto block = resource.slice(0, header->u16(0));
    if (!block || header->u16(2) < kFixedInfoSize) {
        return std::nullopt;
    }
    const auto fixed = block->slice(kFixedInfoOffset, kFixedInfoSize);
    if (!fixed || fixed->u32(0) != kFixedInfoSignature) {
        return std::nullopt;
    }
    const std::uint32_t high = fixed->u32(8);
    const std::uint32_t low = fixed->u32(12);
    return FourPartVersion{
        {static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high & 0xFFFF),
         static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low & 0xFFFF)}};
}

}  // namespace

std::optional<FourPartVersion> readPeFileVersion(std::span<const std::byte> image) {
    const auto pe = PeImage::open(ByteView(image));
    const auto resource = pe ? versionResource(*pe) : std::nullopt;
    return resource ? fixedFileVersion(*resource) : std::nullopt;
}

}  // namespace dravel::devices
