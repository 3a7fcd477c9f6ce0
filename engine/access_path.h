#pragma once
#include <cstdint>
#include <memory>

#include "engine/array_image.h"

class Programmer;

// The words a program run writes, both ends included.
struct WordRange {
    uint32_t first = 0;
    uint32_t last = 0;
};

// How the PROM operations reach the part: directly on the port registers, or in whole requests
// to the port driver. Chosen once, when the Programmer is built. The operations keep their own
// frame (status line, power-up and power-off, failure texts); each step in between that runs
// differently on the two paths is one call here. The part is powered as the step needs.
class AccessPath {
public:
    explicit AccessPath(Programmer& programmer) : programmer(programmer) {}
    virtual ~AccessPath() = default;
    AccessPath(const AccessPath&) = delete;
    AccessPath& operator=(const AccessPath&) = delete;

    // The codes a part presents `clockCount` address clocks into programming mode: the
    // manufacturer code, and the device code into `deviceCode`; both 0 without an answer.
    virtual uint16_t ReadIdentifierCodes(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode) = 0;
    // The option bit `clockCount` clocks into programming mode into `option` (1 unprogrammed);
    // without an answer it keeps its value.
    virtual void ReadOptionBit(uint32_t clockCount, int32_t& option) = 0;
    // 1 when the first `total` bytes of the array are erased, else 0.
    virtual int32_t BlankCheckArray(uint32_t total) = 0;
    // The first `total` bytes of the array into `out`; false when the transfer did not finish.
    virtual bool ReadArray(uint8_t* out, uint32_t total, const char* label) = 0;
    // Compares the array with `image`; false with `failureText` set at the first difference.
    virtual bool VerifyArray(uint16_t& progress, const ArrayImage& image) = 0;
    // Programs the words of `range` from the part's current address; false with `failureText`.
    virtual bool ProgramWords(uint16_t& progress, const WordRange& range) = 0;

protected:
    Programmer& programmer;
};

// The engine drives the three port registers itself.
class DirectPath final : public AccessPath {
public:
    using AccessPath::AccessPath;
    uint16_t ReadIdentifierCodes(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode) override;
    void ReadOptionBit(uint32_t clockCount, int32_t& option) override;
    int32_t BlankCheckArray(uint32_t total) override;
    bool ReadArray(uint8_t* out, uint32_t total, const char* label) override;
    bool VerifyArray(uint16_t& progress, const ArrayImage& image) override;
    bool ProgramWords(uint16_t& progress, const WordRange& range) override;
};

// The port driver runs each step as one request (the array in pieces of a thirty-second).
class DriverPath final : public AccessPath {
public:
    using AccessPath::AccessPath;
    uint16_t ReadIdentifierCodes(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode) override;
    void ReadOptionBit(uint32_t clockCount, int32_t& option) override;
    int32_t BlankCheckArray(uint32_t total) override;
    bool ReadArray(uint8_t* out, uint32_t total, const char* label) override;
    bool VerifyArray(uint16_t& progress, const ArrayImage& image) override;
    bool ProgramWords(uint16_t& progress, const WordRange& range) override;
};

// The path the platform value chooses.
std::unique_ptr<AccessPath> MakeAccessPath(Programmer& programmer);
