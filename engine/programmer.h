#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/device_catalog.h"
#include "engine/access_path.h"
#include "catalog/prom_device.h"
#include "link/port_link.h"
#include "platform/register_port.h"

// Options word of ProgramDevice.
constexpr uint32_t PROGRAM_ARRAY = 1;
constexpr uint32_t PROGRAM_RESET_LOW = 2;
constexpr uint32_t PROGRAM_RANGE = 4;
constexpr uint32_t PROGRAM_EXPRESS_PARALLEL = 8;
constexpr uint32_t PROGRAM_BUSY_PULLDOWN = 16;

// The failure text of an operation the operator stopped.
inline constexpr char kStoppedText[] = "Stopped by the operator";

// What a part holds that the buffer cannot be programmed over (bits only go from 1 to 0).
struct ProgramConflicts {
    uint32_t firstByte = 0;   // the first byte with a 0 where the buffer wants a 1
    uint32_t bytes = 0;       // how many bytes have such a bit
};

// How the programmer answered a request for a programming pulse.
enum class PulseAnswer { Complete, NeverStarted, NeverEnded };

// What ProgramWord found when a word would not program.
struct WordProgramFault {
    PulseAnswer pulse = PulseAnswer::Complete;  // a pulse that did not start or end in time
    uint32_t firstDifferingBit = 0;  // first word bit that still read back wrong
    uint32_t differingBits = 0;      // how many word bits still read back wrong
};

// The one engine object: the device catalogue (it is the list), the current device, the data
// buffer, the port and the option-bit states. The PROM operations are its members; they are
// defined in the folder of the subsystem that owns them (link/, engine/, buffer/).
class Programmer : public DeviceCatalog {
public:
    // `platformVersion` is the operating-system version value; its high 16 bits choose direct
    // mode (0xC000) or the port driver. `directPort` is the register port used in direct mode.
    explicit Programmer(uint32_t platformVersion, platform::RegisterPort* directPort = nullptr);
    ~Programmer();
    Programmer(const Programmer&) = delete;
    Programmer& operator=(const Programmer&) = delete;

    int16_t powerMode = POWER_OFF;
    uint32_t bufferLength = 0;
    std::unique_ptr<uint8_t[]> buffer;
    uint16_t portBase = 888;
    uint16_t checksum = 0;
    int32_t resetPolarity = 1;   // 1: reset active high (bit unprogrammed)
    int32_t expressOutput = 1;   // 1: serial output (bit unprogrammed)
    int32_t busyPin = 1;         // 1: busy pin floating (bit unprogrammed)
    std::string failureText;
    std::string bufferStateText = "Buffer State: Empty";
    const PromDevice* currentDevice = nullptr;

    // Set by the operator's side (a window, a signal handler) while an operation runs: the
    // operation ends at its next word or chunk, powers the socket off and fails with
    // kStoppedText. The caller clears it before each operation.
    std::atomic<bool> stopRequested{false};

    // True when the operation under way must end at its next word or chunk: the operator asked
    // to stop, or the port stopped answering.
    bool MustEnd() const { return stopRequested || link.AccessLost(); }
    // The failure text of an operation that ended early: a lost port's reason outranks a stop.
    std::string EndedText() const { return link.AccessLost() ? link.LostAccessText() : kStoppedText; }

    // The port and the port driver: the platform value, the driver handle and its request
    // buffer, the signalling primitives. The operations below that the link owns forward to it.
    PortLink link;

    // Direct register access or the port driver: the steps of the PROM operations that differ.
    AccessPath& Path() { return *path; }

    // --- engine/: state, catalogue and buffer allocation
    bool ResizeBuffer(uint32_t byteCount);
    void DescribeCurrentDevice(PromDevice& into) const;
    bool IsDirectMode() const { return link.IsDirectMode(); }

    // --- link/: port driver interface (true when the driver opened and took the port base)
    bool OpenDriver() { return link.OpenDriver(); }
    void CloseDriver() { link.CloseDriver(); }
    uint32_t GetDriverVersion() { return link.GetDriverVersion(); }

    // --- link/: signalling primitives and presence check
    void WritePort(uint16_t port, uint8_t value) { link.WritePort(port, value); }
    uint8_t ReadPort(uint16_t port) { return link.ReadPort(port); }
    void SetPowerMode(int16_t mode, int16_t supplyCode) { link.SetPowerMode(mode, supplyCode); }
    void ResetAddressCounter() { link.ResetAddressCounter(); }
    void ClockAddress(int16_t supplyCode) { link.ClockAddress(supplyCode); }
    int32_t CheckProgrammer() { return link.CheckProgrammer(); }

    // --- engine/: identification, blank check and read
    bool Identify(bool withOptions);
    uint16_t ReadIdentifier(uint32_t clockCount, int16_t supplyCode, uint16_t& deviceCode);
    void ReadOptionBits();
    int32_t BlankCheck();
    void ReadPart();

    // --- engine/: verify and programming
    // Compares the part with `data`, which holds `bufferLength` bytes; the part's bytes beyond
    // them must be erased (0xFF).
    int32_t VerifyDevice(uint16_t* progress, const uint8_t* data);
    int32_t ProgramDevice(uint16_t* progress, uint32_t options, uint32_t startWord, uint32_t endWord);
    // Reads the part and compares it with the buffer before anything is programmed: true when
    // every 0 the part holds is a 0 in the buffer too. Otherwise false, with what was found in
    // `conflicts` and `failureText` (also when the part could not be read in full).
    bool CheckPartTakesBuffer(ProgramConflicts& conflicts);
    // Programs word `wordIndex` of the buffer at the device's current address. False on
    // success; true when the word failed, with what went wrong in `fault`.
    bool ProgramWord(uint32_t wordIndex, int16_t supplyCode, WordProgramFault& fault);

    // --- buffer/: data buffer
    void ClearBuffer();
    uint32_t GetBufferLength() const;
    void UpdateChecksum();

private:
    std::unique_ptr<AccessPath> path;   // chosen once, at construction
};

// The copy of the current device that the main window shows and the commands read.
extern PromDevice displayedDevice;
