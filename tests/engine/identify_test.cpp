#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/programmer.h"
#include "engine/status_line.h"
#include "protocol/port_driver_protocol.h"
#include "platform/platform_value.h"
#include "recording_port.h"
#include "station/simulated_station.h"
#include "virtual_time.h"

namespace {

using namespace port_driver;
using Log = std::vector<RecordingPort::Access>;


Log ProgrammingPowerUp(uint8_t s) {
    return {D(0x18 + s), C(0x01),     D(0xD8 + s), D(0x98 + s), D(0x99 + s), D(0x98 + s),
            D(0x99 + s), D(0xD9 + s), D(0xD8 + s), D(0xD9 + s), D(0xD8 + s)};
}
Log PowerOff(uint8_t s) { return {D(0xC0 + s), D(0x02), C(0x0B)}; }
void AppendClocks(Log& log, uint32_t count, uint8_t s) {
    for (uint32_t i = 0; i < count; ++i) {
        Append(log, {D(0xD9 + s), D(0xD0 + s), D(0xD0 + s), D(0xD1 + s), D(0xD9 + s)});
    }
}
// Status values that put `code` on the PROM's data line, most significant bit first.
std::vector<uint8_t> SerialStatus(uint8_t code) {
    std::vector<uint8_t> status;
    for (int bit = 7; bit >= 0; --bit) {
        status.push_back((code >> bit) & 1 ? 0x10 : 0x00);
    }
    return status;
}

// Records what the status line shows, in order.
class StatusRecorder : public StatusLineWindow {
public:
    StatusRecorder() { SetStatusLineWindow(this); }
    ~StatusRecorder() override { SetStatusLineWindow(nullptr); }
    void SetStatusLineVisible(bool shown) override { visible = shown; }
    void SetStatusLineText(const std::string& text) override { texts.push_back(text); }
    void SetStatusLineProgress(int) override {}
    void RepaintStatusLine() override {}

    bool visible = false;
    std::vector<std::string> texts;
};

std::vector<std::string> ProbeTexts(int count) {
    std::vector<std::string> texts;
    std::string text = "Part Identify: ";
    for (int i = 0; i < count; ++i) {
        texts.push_back(text += '.');
    }
    return texts;
}

std::vector<std::string> CheckingTexts(const Programmer& programmer, size_t upToIndex) {
    std::vector<std::string> texts;
    for (size_t i = 0; i <= upToIndex; ++i) {
        texts.push_back("Checking: " + programmer.GetAt(i).name);
    }
    return texts;
}

// --- Direct mode, exact register sequences -------------------------------------------------

class DirectIdentifyTest : public ::testing::Test {
protected:
    DirectIdentifyTest() { port.log.clear(); }
    VirtualTime time;
    RecordingPort port;
    Programmer programmer{platform::kDirectPortFamilyVersion, &port};
};

TEST_F(DirectIdentifyTest, ProbeShiftsBothCodesOutMostSignificantBitFirst) {
    for (uint8_t status : SerialStatus(0xC9)) port.statusScript.push_back(status);
    for (uint8_t status : SerialStatus(0xCE)) port.statusScript.push_back(status);
    const std::vector<uint8_t> script(port.statusScript.begin(), port.statusScript.end());

    uint16_t deviceCode = 0x1234;
    EXPECT_EQ(programmer.ReadIdentifier(0x808, 50, deviceCode), 0xC9);
    EXPECT_EQ(deviceCode, 0xCE);

    Log expected = ProgrammingPowerUp(0);
    AppendClocks(expected, 0x808, 0);
    // The first manufacturer bit is out before any clock; every further bit follows a rise.
    Append(expected, {D(0xD8), D(0xC8), R(script[0])});
    for (size_t bit = 1; bit < 16; ++bit) {
        Append(expected, {D(0xC8), D(0xC8), D(0xC9), R(script[bit])});
    }
    Append(expected, PowerOff(0));
    EXPECT_EQ(port.log, expected);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(DirectIdentifyTest, ProbeAtTheLowSupplyCarriesTheSupplySelect) {
    uint16_t deviceCode = 0;
    EXPECT_EQ(programmer.ReadIdentifier(3, 33, deviceCode), 0xFF);
    EXPECT_EQ(deviceCode, 0xFF);
    Log expected = ProgrammingPowerUp(4);
    AppendClocks(expected, 3, 4);
    Append(expected, {D(0xDC), D(0xCC), R(0xFF)});
    for (int bit = 1; bit < 16; ++bit) {
        Append(expected, {D(0xCC), D(0xCC), D(0xCD), R(0xFF)});
    }
    Append(expected, PowerOff(4));
    EXPECT_EQ(port.log, expected);
}

TEST_F(DirectIdentifyTest, OptionReadOfAnExtendedPartTakesThreePowerUps) {
    programmer.currentDevice = programmer.FindByName("XC1765X or XC1765EL");   // programmed at 5 V
    // Reset bit programmed (status bit 5 set), express erased, busy programmed.
    port.statusScript = {0x20, 0x00, 0x20};

    programmer.ReadOptionBits();

    EXPECT_EQ(programmer.resetPolarity, 0);
    EXPECT_EQ(programmer.expressOutput, 1);
    EXPECT_EQ(programmer.busyPin, 0);
    Log expected;
    const std::pair<uint32_t, uint8_t> reads[] = {{0x800, 0x20}, {0x200A0, 0x00}, {0x200C0, 0x20}};
    for (const auto& [clocks, status] : reads) {
        if (!expected.empty()) {
            Append(expected, PowerOff(0));
        }
        Append(expected, ProgrammingPowerUp(0));
        Append(expected, {D(0xD9), D(0xD1)});
        AppendClocks(expected, clocks, 0);
        Append(expected, {D(0xD9), D(0xC9), R(status), D(0xD9)});
    }
    Append(expected, PowerOff(0));
    EXPECT_EQ(port.log, expected);
}

TEST_F(DirectIdentifyTest, OptionReadOfAPlainPartCountsTheExtendedBitsAsUnprogrammed) {
    // Left over from an extended part with both bits programmed.
    programmer.expressOutput = 0;
    programmer.busyPin = 0;
    programmer.currentDevice = programmer.FindByName("XC17V04");   // programmed at 3.3 V
    port.statusScript = {0x00};

    programmer.ReadOptionBits();

    EXPECT_EQ(programmer.resetPolarity, 1);
    EXPECT_EQ(programmer.expressOutput, 1);
    EXPECT_EQ(programmer.busyPin, 1);
    Log expected = ProgrammingPowerUp(4);
    Append(expected, {D(0xDD), D(0xD5)});
    AppendClocks(expected, 0x10000, 4);
    Append(expected, {D(0xDD), D(0xCD), R(0x00), D(0xDD)});
    Append(expected, PowerOff(4));
    EXPECT_EQ(port.log, expected);
}

TEST_F(DirectIdentifyTest, OptionReadWithoutDeviceDoesNothing) {
    programmer.ReadOptionBits();
    EXPECT_TRUE(port.log.empty());
}

TEST_F(DirectIdentifyTest, EmptySocketRunsTheSixProbesAndFindsNothing) {
    StatusRecorder status;
    programmer.currentDevice = programmer.FindByName("XC1765D");

    EXPECT_FALSE(programmer.Identify(true));

    EXPECT_EQ(programmer.currentDevice, nullptr);
    EXPECT_EQ(programmer.buffer, nullptr);
    std::vector<std::string> expectedTexts{"", "Part Identify"};
    for (const std::string& text : ProbeTexts(6)) expectedTexts.push_back(text);
    EXPECT_EQ(status.texts, expectedTexts);
    EXPECT_FALSE(status.visible);

    // Each probe is a programming power-up followed by its clocks at its supply.
    std::vector<std::pair<uint32_t, uint8_t>> probes;
    for (size_t i = 0; i < port.log.size(); ++i) {
        if (port.log[i] == C(0x01)) {
            probes.push_back({0, static_cast<uint8_t>(port.log[i - 1].value - 0x18)});
        } else if (!probes.empty() && port.log[i] == D(0xD1 + probes.back().second)) {
            ++probes.back().first;
        }
    }
    EXPECT_EQ(probes, (std::vector<std::pair<uint32_t, uint8_t>>{
                          {0x20060, 4}, {0x10060, 4}, {0x6690, 4}, {0x4D4F, 0}, {0x11F8, 0}, {0x808, 0}}));
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(DirectIdentifyTest, MakersCodeWithAnUnknownDeviceCodeChecksEveryNameThenProbesOn) {
    StatusRecorder status;
    port.idleStatus = 0x10;
    // Probes 1 to 3 read all ones; probe 4 (0x4D4F clocks) answers 0xC9 0x7C, which only a
    // part at 0x20060 clocks has.
    port.statusScript.assign(3 * 16, 0x10);
    for (uint8_t s : SerialStatus(0xC9)) port.statusScript.push_back(s);
    for (uint8_t s : SerialStatus(0x7C)) port.statusScript.push_back(s);

    EXPECT_FALSE(programmer.Identify(false));

    std::vector<std::string> expectedTexts{"", "Part Identify"};
    std::vector<std::string> probeTexts = ProbeTexts(6);
    expectedTexts.insert(expectedTexts.end(), probeTexts.begin(), probeTexts.begin() + 4);
    for (const std::string& text : CheckingTexts(programmer, 45)) expectedTexts.push_back(text);
    expectedTexts.insert(expectedTexts.end(), probeTexts.begin() + 4, probeTexts.end());
    EXPECT_EQ(status.texts, expectedTexts);
    EXPECT_EQ(programmer.currentDevice, nullptr);
}

// --- Driver mode, command packets ----------------------------------------------------------

// A port driver stand-in that records command requests and answers them from a script.
class ScriptedDriver {
public:
    struct Request {
        uint32_t code;
        std::vector<uint8_t> packet;
    };
    // Writes the answer into `out` and returns the bytes returned (0: no answer).
    using Answer = std::function<uint32_t(const Request&, uint8_t* out)>;

    ScriptedDriver() {
        platform::RegisterDevice(kDeviceName, [this] { return std::make_unique<Session>(*this); });
    }
    ~ScriptedDriver() { platform::UnregisterDevice(kDeviceName); }

    std::vector<Request> CommandRequests() const {
        std::vector<Request> commands;
        for (const Request& r : requests) {
            if (r.code != kWriteRegister && r.code != kReadRegister) commands.push_back(r);
        }
        return commands;
    }

    std::vector<Request> requests;
    Answer answer = [](const Request&, uint8_t*) { return 0u; };

private:
    class Session : public platform::DeviceSession {
    public:
        explicit Session(ScriptedDriver& driver) : driver(driver) {}
        bool Control(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t,
                     uint32_t* bytesReturned) override {
            driver.requests.push_back({code, std::vector<uint8_t>(in, in + inSize)});
            if (code == kWriteRegister || code == kReadRegister) {
                out[0] = 0xFF;
                *bytesReturned = 1;
            } else {
                *bytesReturned = driver.answer(driver.requests.back(), out);
            }
            return true;
        }
        ScriptedDriver& driver;
    };
};

uint32_t AnswerCodes(uint8_t* out, uint16_t manufacturer, uint16_t device) {
    Put16(out, manufacturer);
    Put16(out + 2, device);
    return 4;
}

class DriverIdentifyTest : public ::testing::Test {
protected:
    VirtualTime time;
    ScriptedDriver driver;
    Programmer programmer{platform::kDriverFamilyVersion};
};

TEST_F(DriverIdentifyTest, EachProbeIsOneIdentificationRequest) {
    StatusRecorder status;
    programmer.resetPolarity = 0;
    driver.answer = [](const ScriptedDriver::Request& r, uint8_t* out) -> uint32_t {
        if (r.code == kIdentifierRead && Get32(r.packet.data()) == 0x11F8) {
            return AnswerCodes(out, 0xC9, 0xAC);   // an XC17256X
        }
        return r.code == kIdentifierRead ? AnswerCodes(out, 0, 0) : 0;
    };

    ASSERT_TRUE(programmer.Identify(false));
    EXPECT_EQ(programmer.currentDevice->name, "XC17256X or XC17256EL");

    auto commands = driver.CommandRequests();
    ASSERT_EQ(commands.size(), 5u);
    using Packet = std::vector<uint8_t>;
    const Packet expected[] = {
        {0x60, 0x00, 0x02, 0x00, 50, 0, 3, 0, 4, 0}, {0x60, 0x00, 0x01, 0x00, 50, 0, 3, 0, 4, 0},
        {0x90, 0x66, 0x00, 0x00, 50, 0, 3, 0, 4, 0}, {0x4F, 0x4D, 0x00, 0x00, 50, 0, 3, 0, 0, 0},
        {0xF8, 0x11, 0x00, 0x00, 50, 0, 3, 0, 0, 0}};
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].code, kIdentifierRead);
        EXPECT_EQ(commands[i].packet, expected[i]) << "probe " << i;
    }
    // Found at the fifth probe, on the 31st name.
    std::vector<std::string> expectedTexts{"", "Part Identify"};
    for (const std::string& text : ProbeTexts(5)) expectedTexts.push_back(text);
    for (const std::string& text : CheckingTexts(programmer, 30)) expectedTexts.push_back(text);
    EXPECT_EQ(status.texts, expectedTexts);
}

TEST_F(DriverIdentifyTest, OptionRequestsCarryTheResetPolarityOfTheirMoment) {
    programmer.currentDevice = programmer.FindByName("XC17V16");
    std::vector<uint8_t> answers{0, 1, 0};
    driver.answer = [&answers](const ScriptedDriver::Request&, uint8_t* out) -> uint32_t {
        out[0] = answers.front();
        answers.erase(answers.begin());
        return 1;
    };

    programmer.ReadOptionBits();

    EXPECT_EQ(programmer.resetPolarity, 0);
    EXPECT_EQ(programmer.expressOutput, 1);
    EXPECT_EQ(programmer.busyPin, 0);
    auto commands = driver.CommandRequests();
    ASSERT_EQ(commands.size(), 3u);
    using Packet = std::vector<uint8_t>;
    EXPECT_EQ(commands[0].packet, (Packet{0x00, 0x00, 0x02, 0x00, 33, 0, 3, 0, 4, 1}));
    EXPECT_EQ(commands[1].packet, (Packet{0xA0, 0x00, 0x02, 0x00, 33, 0, 3, 0, 4, 0}));
    EXPECT_EQ(commands[2].packet, (Packet{0xC0, 0x00, 0x02, 0x00, 33, 0, 3, 0, 4, 0}));
    for (const auto& command : commands) {
        EXPECT_EQ(command.code, kOptionBitRead);
    }
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(DriverIdentifyTest, OptionRequestWithoutAnswerKeepsTheEarlierValue) {
    programmer.currentDevice = programmer.FindByName("XC1718L");
    programmer.resetPolarity = 0;
    programmer.busyPin = 0;
    programmer.ReadOptionBits();   // the scripted driver does not answer
    EXPECT_EQ(programmer.resetPolarity, 0);
    EXPECT_EQ(programmer.busyPin, 1) << "a plain part has no busy bit";
    auto commands = driver.CommandRequests();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].packet, (std::vector<uint8_t>{0x00, 0x08, 0x00, 0x00, 33, 0, 3, 0, 0, 0}));
}

TEST_F(DriverIdentifyTest, UnansweredProbeReadsZeroCodes) {
    uint16_t deviceCode = 0x55;
    EXPECT_EQ(programmer.ReadIdentifier(0x808, 50, deviceCode), 0);
    EXPECT_EQ(deviceCode, 0);
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

// --- Against the simulated programmer, both modes ------------------------------------------

enum class Mode { Direct, Driver };

std::unique_ptr<Programmer> MakeProgrammer(Mode mode, sim::SimulatedStation& station) {
    if (mode == Mode::Direct) {
        return std::make_unique<Programmer>(platform::kDirectPortFamilyVersion, &station.programmer);
    }
    return std::make_unique<Programmer>(platform::kDriverFamilyVersion);
}

std::string ModeName(Mode mode) { return mode == Mode::Direct ? "Direct" : "Driver"; }

class EveryTypeTest : public ::testing::TestWithParam<std::tuple<Mode, size_t>> {};

TEST_P(EveryTypeTest, IsIdentifiedWithItsOptionBits) {
    const auto [mode, index] = GetParam();
    sim::SimulatedStation station;
    auto programmer = MakeProgrammer(mode, station);
    const PromDevice& type = programmer->GetAt(index);
    sim::SimulatedProm part;
    part.type = type;
    part.contents.assign(type.sizeBits / 8, 0xFF);
    // A different pattern of programmed option bits for neighbouring types.
    part.resetProgrammed = index % 2 == 0;
    part.expressProgrammed = IsExtended(type) && index % 3 != 0;
    part.busyProgrammed = IsExtended(type) && index % 3 != 1;
    station.programmer.InsertPart(part);
    programmer->expressOutput = 0;   // as an earlier extended part may have left them
    programmer->busyPin = 0;

    ASSERT_TRUE(programmer->Identify(true));

    ASSERT_EQ(programmer->currentDevice, &type);
    EXPECT_EQ(programmer->resetPolarity, part.resetProgrammed ? 0 : 1);
    EXPECT_EQ(programmer->expressOutput, part.expressProgrammed ? 0 : 1);
    EXPECT_EQ(programmer->busyPin, part.busyProgrammed ? 0 : 1);
    EXPECT_EQ(programmer->bufferLength, type.sizeBits / 8);
    EXPECT_EQ(programmer->bufferStateText, "Buffer State: Empty");
    EXPECT_EQ(programmer->powerMode, POWER_OFF);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, EveryTypeTest,
    ::testing::Combine(::testing::Values(Mode::Direct, Mode::Driver), ::testing::Range<size_t>(0, 46)),
    [](const auto& info) {
        return ModeName(std::get<0>(info.param)) + "_" + std::to_string(std::get<1>(info.param));
    });

class SimulatedIdentifyTest : public ::testing::TestWithParam<Mode> {
protected:
    sim::SimulatedStation station;
    std::unique_ptr<Programmer> programmer = MakeProgrammer(GetParam(), station);
    StatusRecorder status;
};

TEST_P(SimulatedIdentifyTest, EmptySocketShowsTheSixProbesAndFails) {
    EXPECT_FALSE(programmer->Identify(true));
    std::vector<std::string> expectedTexts{"", "Part Identify"};
    for (const std::string& text : ProbeTexts(6)) expectedTexts.push_back(text);
    EXPECT_EQ(status.texts, expectedTexts);
    EXPECT_FALSE(status.visible);
    EXPECT_EQ(programmer->currentDevice, nullptr);
    EXPECT_EQ(programmer->bufferStateText, "Buffer State: Empty");
}

TEST_P(SimulatedIdentifyTest, LastTypeIsFoundAtTheSixthProbeAfterEveryName) {
    station.programmer.InsertBlankPart(*programmer->FindByName("XC1718L"));
    ASSERT_TRUE(programmer->Identify(true));

    EXPECT_EQ(programmer->currentDevice, &programmer->GetAt(45));
    std::vector<std::string> expectedTexts{"", "Part Identify"};
    for (const std::string& text : ProbeTexts(6)) expectedTexts.push_back(text);
    for (const std::string& text : CheckingTexts(*programmer, 45)) expectedTexts.push_back(text);
    EXPECT_EQ(status.texts, expectedTexts);
    EXPECT_FALSE(status.visible);
    ASSERT_EQ(programmer->bufferLength, 2268u);
    EXPECT_EQ(std::count(programmer->buffer.get(), programmer->buffer.get() + 2268, 0xFF), 2268);
    EXPECT_EQ(programmer->bufferStateText, "Buffer State: Empty");
}

TEST_P(SimulatedIdentifyTest, FirstTypeIsFoundAtTheFirstProbe) {
    station.programmer.InsertBlankPart(*programmer->FindByName("XC17V16"));
    ASSERT_TRUE(programmer->Identify(false));
    EXPECT_EQ(status.texts, (std::vector<std::string>{"", "Part Identify", "Part Identify: .",
                                                      "Checking: XC17V16"}));
    EXPECT_EQ(programmer->bufferLength, 0u) << "no buffer without options";
}

TEST_P(SimulatedIdentifyTest, PartOfAnotherMakerIsNotIdentified) {
    sim::SimulatedProm part;
    part.type = *programmer->FindByName("XC1765D");
    part.contents.assign(8192, 0xFF);
    part.manufacturerCode = 0x1F;
    station.programmer.InsertPart(part);
    EXPECT_FALSE(programmer->Identify(true));
    EXPECT_EQ(programmer->currentDevice, nullptr);
}

TEST_P(SimulatedIdentifyTest, IdentifyWithoutOptionsKeepsOptionsAndBuffer) {
    sim::SimulatedProm part;
    part.type = *programmer->FindByName("XC17128X or XC17128EL");
    part.contents.assign(part.type.sizeBits / 8, 0xFF);
    part.resetProgrammed = true;
    station.programmer.InsertPart(part);
    ASSERT_TRUE(programmer->Identify(true));
    programmer->buffer[5] = 0x12;
    programmer->bufferStateText = "Buffer State: File - image.mcs";
    programmer->checksum = 0x4321;
    programmer->resetPolarity = 1;   // what the window would still believe

    ASSERT_TRUE(programmer->Identify(false));

    EXPECT_EQ(programmer->currentDevice->name, "XC17128X or XC17128EL");
    EXPECT_EQ(programmer->resetPolarity, 1);
    EXPECT_EQ(programmer->buffer[5], 0x12);
    EXPECT_EQ(programmer->bufferLength, 16384u);
    EXPECT_EQ(programmer->checksum, 0x4321);
    EXPECT_EQ(programmer->bufferStateText, "Buffer State: File - image.mcs");
}

INSTANTIATE_TEST_SUITE_P(BothModes, SimulatedIdentifyTest, ::testing::Values(Mode::Direct, Mode::Driver),
                         [](const auto& info) { return ModeName(info.param); });

}  // namespace
