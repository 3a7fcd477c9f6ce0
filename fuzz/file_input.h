#pragma once
// A fuzz input as a real file in a folder of its own: the chip file loader and the settings
// reader take paths, and the settings writer replaces the file beside itself.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz {

inline const std::filesystem::path& InputFolder() {
    static const std::filesystem::path folder = [] {
        auto made = std::filesystem::temp_directory_path() / ("prom-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return folder;
}

// Writes the input to `name` in the input folder and answers its path.
inline std::string WriteInput(const char* name, const uint8_t* bytes, size_t size) {
    const std::string path = (InputFolder() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out) {
        std::abort();
    }
    return path;
}

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fuzz
