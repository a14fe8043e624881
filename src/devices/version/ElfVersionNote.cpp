// Finds the version note in an ELF executable through its headers: the note segments first (where
// the linker puts allocated notes), then the note sections (where a note survives that is not
// loaded).
#include <cstdint>
#include <optional>
#include <vector>

#include "devices/version/ByteView.h"
#include "devices/version/FileVersion.h"
#include "devices/version/VersionNote.h"

namespace dravel::devices {
namespace {

using detail::ByteView;

constexpr std::uint8_t kClass32 = 1;
constexpr std::uint8_t kClass64 = 2;
constexpr std::uint8_t kLittleEndian = 1;
constexpr std::uint32_t kPtNote = 4;
constexpr std::uint32_t kShtNote = 7;
constexpr std::uint64_t kNoteHeaderSize = 12;

// Where the fields this reader needs lie in one kind of header table entry.
struct EntryLayout {
    std::uint64_t size;  // the entry's bytes up to the last field read
    std::uint64_t typeField;
    std::uint64_t offsetField;
    std::uint64_t sizeField;
    std::uint64_t alignField;
    std::uint32_t noteType;
};

// Where they lie in the headers of one ELF class. Program header entry size and count, section
// header entry size and count are four consecutive 16-bit fields starting at tableCountsField.
struct ElfLayout {
    std::uint64_t fileHeaderSize;
    std::uint64_t programTableField;
    std::uint64_t sectionTableField;
    std::uint64_t tableCountsField;
    unsigned width;  // of offsets and sizes
    EntryLayout program;
    EntryLayout section;
};

constexpr ElfLayout kElf32{.fileHeaderSize = 52,
                           .programTableField = 28,
                           .sectionTableField = 32,
                           .tableCountsField = 42,
                           .width = 4,
                           .program = {.size = 32,
                                       .typeField = 0,
                                       .offsetField = 4,
                                       .sizeField = 16,
                                       .alignField = 28,
                                       .noteType = kPtNote},
                           .section = {.size = 40,
                                       .typeField = 4,
                                       .offsetField = 16,
                                       .sizeField = 20,
                                       .alignField = 32,
                                       .noteType = kShtNote}};

constexpr ElfLayout kElf64{.fileHeaderSize = 64,
                           .programTableField = 32,
                           .sectionTableField = 40,
                           .tableCountsField = 54,
                           .width = 8,
                           .program = {.size = 56,
                                       .typeField = 0,
                                       .offsetField = 8,
                                       .sizeField = 32,
                                       .alignField = 48,
                                       .noteType = kPtNote},
                           .section = {.size = 64,
                                       .typeField = 4,
                                       .offsetField = 24,
                                       .sizeField = 32,
                                       .alignField = 48,
                                       .noteType = kShtNote}};

struct NoteArea {
    std::uint64_t offset;
    std::uint64_t size;
    std::uint64_t alignment;
};

struct HeaderTable {
    std::uint64_t offset;
    std::uint64_t entrySize;
    std::uint64_t count;
};

std::uint64_t word(ByteView bytes, std::uint64_t offset, unsigned width) {
    return width == 8 ? bytes.u64(offset) : bytes.u32(offset);
}

// The note areas that the entries of one header table name.
std::vector<NoteArea> noteAreas(ByteView file, const HeaderTable& table, const EntryLayout& entry,
                                unsigned width) {
    std::vector<NoteArea> areas;
    if (table.entrySize < entry.size) {
        return areas;
    }
    for (std::uint64_t i = 0; i < table.count; ++i) {
        const auto bytes = file.slice(table.offset + i * table.entrySize, entry.size);
        if (!bytes) {
            break;
        }
        if (bytes->u32(entry.typeField) == entry.noteType) {
            areas.push_back({word(*bytes, entry.offsetField, width),
                             word(*bytes, entry.sizeField, width),
                             word(*bytes, entry.alignField, width)});
        }
    }
    return areas;
}

std::optional<FourPartVersion> versionFromDescription(ByteView description) {
    FourPartVersion version;
    for (std::size_t i = 0; i < version.parts.size(); ++i) {
        const std::uint32_t part = description.u32(4 * i);
        if (part > 0xFFFF) {
            return std::nullopt;
        }
        version.parts[i] = static_cast<std::uint16_t>(part);
    }
    return version;
}

bool isOurNote(ByteView name, std::uint32_t type, std::uint64_t descriptionSize) {
    if (type != versionnote::kType || descriptionSize != versionnote::kDescriptionSize ||
        name.size() != sizeof(versionnote::kOwner)) {
        return false;
    }
    for (std::uint64_t i = 0; i < name.size(); ++i) {
        if (name.u8(i) != static_cast<std::uint8_t>(versionnote::kOwner[i])) {
            return false;
        }
    }
    return true;
}

std::uint64_t padded(std::uint64_t size, std::uint64_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

// Walks the notes of one area: each is name size, description size, type, then the name and the
// description, both padded to the area's alignment (4, or 8 in 8-aligned areas).
std::optional<FourPartVersion> scanNotes(ByteView file, const NoteArea& area) {
    const auto notes = file.slice(area.offset, area.size);
    if (!notes) {
        return std::nullopt;
    }
    const std::uint64_t alignment = area.alignment == 8 ? 8 : 4;
    std::uint64_t at = 0;
    while (notes->holds(at, kNoteHeaderSize)) {
        const std::uint64_t nameSize = notes->u32(at);
        const std::uint64_t descriptionSize = notes->u32(at + 4);
        const std::uint32_t type = notes->u32(at + 8);
        const std::uint64_t nameAt = at + kNoteHeaderSize;
        const std::uint64_t descriptionAt = nameAt + padded(nameSize, alignment);
        const auto name = notes->slice(nameAt, nameSize);
        const auto description = notes->slice(descriptionAt, descriptionSize);
        if (!name || !description) {
            return std::nullopt;
        }
        if (isOurNote(*name, type, descriptionSize)) {
            return versionFromDescription(*description);
        }
        at = descriptionAt + padded(descriptionSize, alignment);
    }
    return std::nullopt;
}

std::optional<ElfLayout> layoutOf(ByteView file) {
    const auto ident = file.slice(0, 16);
    if (!ident || ident->u32(0) != 0x464C457F || ident->u8(5) != kLittleEndian) {  // "\x7F" "ELF"
        return std::nullopt;
    }
    switch (ident->u8(4)) {
        case kClass32:
            return kElf32;
        case kClass64:
            return kElf64;
        default:
            return std::nullopt;
    }
}

std::vector<NoteArea> allNoteAreas(ByteView file, const ElfLayout& layout) {
    const auto header = file.slice(0, layout.fileHeaderSize);
    if (!header) {
        return {};
    }
    const std::uint64_t counts = layout.tableCountsField;
    const HeaderTable programs{word(*header, layout.programTableField, layout.width),
                               header->u16(counts), header->u16(counts + 2)};
    const HeaderTable sections{word(*header, layout.sectionTableField, layout.width),
                               header->u16(counts + 4), header->u16(counts + 6)};
    auto areas = noteAreas(file, programs, layout.program, layout.width);
    const auto sectionAreas = noteAreas(file, sections, layout.section, layout.width);
    areas.insert(areas.end(), sectionAreas.begin(), sectionAreas.end());
    return areas;
}

}  // namespace

std::optional<FourPartVersion> readElfVersionNote(std::span<const std::byte> image) {
    const ByteView file(image);
    const auto layout = layoutOf(file);
    if (!layout) {
        return std::nullopt;
    }
    for (const NoteArea& area : allNoteAreas(file, *layout)) {
        if (const auto version = scanNotes(file, area)) {
            return version;
        }
    }
    return std::nullopt;
}

}  // namespace dravel::devices
