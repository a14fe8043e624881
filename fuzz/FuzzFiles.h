#pragma once

// What the fuzz targets share: a scratch folder of their own (in memory where
// the system has one), the files in it, and stopping on a broken property.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace dravel::fuzz {

// Made once per process and removed at its end; never freed itself, so the
// removal at exit still finds its name.
inline const std::string& scratchFolder() {
    static const std::string* folder = [] {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/dravel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        auto* made = new std::string(pattern + "/");
        std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
        return made;
    }();
    return *folder;
}

inline void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A broken property is a finding: libFuzzer keeps the input that broke it.
#define DRAVEL_REQUIRE(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

}  // namespace dravel::fuzz
