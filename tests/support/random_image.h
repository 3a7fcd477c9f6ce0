#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// Reproducible random contents for a buffer or a simulated part.
inline std::vector<uint8_t> RandomImage(size_t bytes, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> image(bytes);
    for (uint8_t& byte : image) {
        byte = static_cast<uint8_t>(random());
    }
    return image;
}
