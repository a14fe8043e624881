// Linux: the file is mapped, not read, so that a large executable costs no copy; the running
// program is found through /proc/self/exe.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "devices/version/FileVersionQuery.h"

namespace dravel::devices::detail {
namespace {

class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
            void* address = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ,
                                   MAP_PRIVATE, fd, 0);
            if (address != MAP_FAILED) {
                address_ = address;
                size_ = static_cast<std::size_t>(status.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (address_ != nullptr) {
            ::munmap(address_, size_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<const std::byte> bytes() const {
        return {static_cast<const std::byte*>(address_), size_};
    }

private:
    void* address_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace

std::optional<FourPartVersion> queryFileVersion(const std::string& utf8FileName) {
    const MappedFile file(utf8FileName);
    return readExecutableVersion(file.bytes());
}

std::optional<FourPartVersion> queryOwnFileVersion() {
    return queryFileVersion("/proc/self/exe");
}

}  // namespace dravel::devices::detail
