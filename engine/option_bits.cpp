// The one-time option bits: reset polarity, and on extended parts express output and busy pin.
#include "engine/option_bits.h"

#include <initializer_list>
#include <string>

#include "engine/programming_pulse.h"
#include "engine/status_line.h"

namespace {

struct OptionBit {
    uint32_t flag;
    int32_t Programmer::*field;   // 1 while the bit is unprogrammed
    bool extendedOnly;
    const char* powerOnText;
    const char* statusText;
    const char* powerOffText;
    const char* failedText;
    const char* alreadyProgrammedText;
    const char* notExtendedText;
};

constexpr OptionBit kResetBit{
    .flag = PROGRAM_RESET_LOW,
    .field = &Programmer::resetPolarity,
    .extendedOnly = false,
    .powerOnText = "Power On - Reset Pin Programming",
    .statusText = "Reset Pin Programming",
    .powerOffText = "Power Off - Reset Pin Programming",
    .failedText = "Reset Failed To Program",
    .alreadyProgrammedText = "Device programmed. Reset polarity already active low",
    .notExtendedText = nullptr,
};

constexpr OptionBit kExpressBit{
    .flag = PROGRAM_EXPRESS_PARALLEL,
    .field = &Programmer::expressOutput,
    .extendedOnly = true,
    .powerOnText = "Power On - Express Mode Programming",
    .statusText = "Express Mode Programming",
    .powerOffText = "Power Off - Express Mode Programming",
    .failedText = "Express Mode Bit Failed To Program",
    .alreadyProgrammedText = "Device programmed. Express Mode Bit Already Set Parallel (Bit is active low)",
    .notExtendedText = "Device programmed. Express Mode programming failed",
};

constexpr OptionBit kBusyBit{
    .flag = PROGRAM_BUSY_PULLDOWN,
    .field = &Programmer::busyPin,
    .extendedOnly = true,
    .powerOnText = "Power On - Busy Pin Pulldown Programming",
    .statusText = "Busy Pin Pulldown Programming",
    .powerOffText = "Power Off - Busy Pin Pulldown",
    .failedText = "Busy Pin Pulldown Bit Failed To Program",
    .alreadyProgrammedText = "Device programmed. Busy Pin Pulldown Already Enabled (Bit is active low)",
    .notExtendedText = "Device programmed. Busy Pin Pulldown programming failed",
};

// The signals that reach one bit: how far into the programming-mode address space it lies,
// the data pair that shifts a 0 into the input register, and the pulse's values.
struct OptionSignals {
    uint32_t clocks;
    uint8_t zeroBit;
    uint8_t zeroBitClock;
    uint8_t control;
    uint8_t pulseStart;
    uint8_t pulseEnd;
    uint8_t readValue;
};

bool IsResetBit(const OptionBit& bit) {
    return bit.flag == PROGRAM_RESET_LOW;
}

OptionSignals SignalsFor(const OptionBit& bit, const PromDevice& device) {
    if (!IsResetBit(bit)) {
        // Fixed values: the express and busy bits are selected with bit 2 set whatever the supply.
        return {.clocks = bit.flag == PROGRAM_EXPRESS_PARALLEL ? 0x200A0u : 0x200C0u,
                .zeroBit = 0xDE,
                .zeroBitClock = 0xDF,
                .control = 3,
                .pulseStart = 0x5C,
                .pulseEnd = 0xDC,
                .readValue = 0xCC};
    }
    const uint8_t s = SupplySelect(device.programSupply);
    const bool newerFamily = FamilyOf(device.idCode) == ProgrammingFamily::Newer;
    return {.clocks = device.optionClocks,
            .zeroBit = static_cast<uint8_t>(0xDA + s),
            .zeroBitClock = static_cast<uint8_t>(0xDB + s),
            .control = static_cast<uint8_t>(newerFamily ? 3 : 7),
            .pulseStart = static_cast<uint8_t>(0x59 + s),
            .pulseEnd = static_cast<uint8_t>(0xD9 + s),
            .readValue = static_cast<uint8_t>(0xC9 + s)};
}

std::string PulseFailureText(const OptionBit& bit, PulseAnswer answer) {
    const char* what = answer == PulseAnswer::NeverStarted ? " failed: no programming pulse from the programmer"
                                                           : " failed: programming pulse did not end";
    return std::string(bit.statusText) + what;
}

// Runs the bit's programming sequence from its own power-up, then reads all option bits again.
bool ProgramOptionBit(Programmer& programmer, const OptionBit& bit) {
    const PromDevice& device = *programmer.currentDevice;
    const int16_t supply = device.programSupply;
    const OptionSignals signals = SignalsFor(bit, device);
    const uint16_t data = programmer.portBase;
    const uint16_t control = programmer.portBase + 2;

    ShowStatusLine();
    SetStatusText(bit.powerOnText);
    programmer.SetPowerMode(POWER_PROGRAM, supply);
    if (IsResetBit(bit)) {
        programmer.WritePort(data, 0xDB);
        programmer.WritePort(data, 0xD3);
    }
    SetStatusText(bit.statusText);
    for (uint32_t i = 0; i < signals.clocks; ++i) {
        programmer.ClockAddress(supply);
    }
    if (IsResetBit(bit)) {
        programmer.WritePort(data, 0xDB);
    }
    // A word of zeros: the pulse programs an option bit only from an all-zero input register.
    for (uint32_t k = 0; k < device.wordSize; ++k) {
        programmer.WritePort(data, signals.zeroBit);
        programmer.WritePort(data, signals.zeroBitClock);
    }
    programmer.WritePort(control, signals.control);
    const PulseAnswer answer =
        RunProgrammingPulse(programmer, signals.pulseStart, signals.pulseEnd, 1, 1);
    programmer.WritePort(data, signals.readValue);
    programmer.WritePort(control, 2);
    if (answer == PulseAnswer::Complete) {
        programmer.*bit.field = (programmer.ReadPort(programmer.portBase + 1) & 0x20) ? 0 : 1;
    }
    SetStatusText(bit.powerOffText);
    programmer.SetPowerMode(POWER_OFF, supply);
    HideStatusLine();

    if (answer != PulseAnswer::Complete) {
        programmer.failureText = PulseFailureText(bit, answer);
        return false;
    }
    programmer.ReadOptionBits();
    if (programmer.*bit.field == 1) {
        programmer.failureText = bit.failedText;
        return false;
    }
    return true;
}

// Programs the bit when asked for, else makes sure it is still unprogrammed. A part without
// the bit counts it as unprogrammed, whatever an earlier part left in the field.
bool SettleOptionBit(Programmer& programmer, const OptionBit& bit, uint32_t options) {
    const bool partHasBit = !bit.extendedOnly || IsExtended(*programmer.currentDevice);
    const bool asked = (options & bit.flag) != 0;
    if (asked && partHasBit) {
        return ProgramOptionBit(programmer, bit);
    }
    if (asked) {
        // Nothing was programmed; only a field that still says unprogrammed is a failure.
        if (programmer.*bit.field == 1) {
            programmer.failureText = bit.notExtendedText;
            return false;
        }
        return true;
    }
    if (partHasBit && programmer.*bit.field == 0) {
        programmer.failureText = bit.alreadyProgrammedText;
        return false;
    }
    return true;
}

}  // namespace

bool ProgramOptionBits(Programmer& programmer, uint32_t options) {
    for (const OptionBit* bit : {&kResetBit, &kExpressBit, &kBusyBit}) {
        if (programmer.MustEnd()) {
            programmer.failureText = programmer.EndedText();
            return false;
        }
        if (!SettleOptionBit(programmer, *bit, options)) {
            if (programmer.link.AccessLost()) {
                programmer.failureText = programmer.link.LostAccessText();
            }
            return false;
        }
    }
    return true;
}
