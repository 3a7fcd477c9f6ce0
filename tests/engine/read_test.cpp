#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/programmer.h"
#include "engine/status_line.h"
#include "link/operator_notice.h"
#include "protocol/port_driver_protocol.h"
#include "platform/platform_value.h"
#include "recording_port.h"
#include "station/simulated_station.h"
#include "virtual_time.h"
#include "random_image.h"

namespace {

using namespace port_driver;
using Log = std::vector<RecordingPort::Access>;

Log Clock(uint8_t s) { return {D(0xD9 + s), D(0xD0 + s), D(0xD0 + s), D(0xD1 + s), D(0xD9 + s)}; }
Log PowerOff(uint8_t s) { return {D(0xC0 + s), D(0x02), C(0x0B)}; }

// Records what the status line shows, in order.
class StatusRecorder : public StatusLineWindow {
public:
    StatusRecorder() { SetStatusLineWindow(this); }
    ~StatusRecorder() override { SetStatusLineWindow(nullptr); }
    void SetStatusLineVisible(bool shown) override { visible = shown; }
    void SetStatusLineText(const std::string& text) override { texts.push_back(text); }
    void SetStatusLineProgress(int) override {}
    void RepaintStatusLine() override {}

    // The texts with the progress steps in the middle left out.
    std::vector<std::string> Frame(const std::string& label) const {
        std::vector<std::string> frame;
        for (const std::string& text : texts) {
            if (text.rfind(label + ": ", 0) != 0) frame.push_back(text);
        }
        return frame;
    }
    std::vector<std::string> Progress(const std::string& label) const {
        std::vector<std::string> steps;
        for (const std::string& text : texts) {
            if (text.rfind(label + ": ", 0) == 0) steps.push_back(text);
        }
        return steps;
    }

    bool visible = false;
    std::vector<std::string> texts;
};

std::vector<std::string> ExpectedProgress(const std::string& label, const std::vector<uint32_t>& done,
                                          uint32_t total) {
    std::vector<std::string> steps;
    for (uint32_t d : done) {
        steps.push_back(label + ": " + std::to_string(ProgressPercent(d, total)) + "% complete");
    }
    return steps;
}

std::vector<uint32_t> Steps(uint32_t first, uint32_t step, uint32_t below) {
    std::vector<uint32_t> steps;
    for (uint32_t b = first; b < below; b += step) steps.push_back(b);
    return steps;
}

// --- Direct mode, exact register sequences -------------------------------------------------

class DirectReadTest : public ::testing::Test {
protected:
    void Use(const char* name) {
        programmer.currentDevice = programmer.FindByName(name);
        ASSERT_NE(programmer.currentDevice, nullptr);
        ASSERT_TRUE(programmer.ResizeBuffer(programmer.currentDevice->sizeBits / 8));
        port.log.clear();
    }
    size_t Reads() const {
        return std::count_if(port.log.begin(), port.log.end(), [](auto& a) { return a.kind == 'R'; });
    }
    // The log from the first write after the streaming power-up up to the power-off.
    Log Body(size_t powerUpLength) const {
        return Log(port.log.begin() + static_cast<long>(powerUpLength), port.log.end() - 3);
    }

    VirtualTime time;
    RecordingPort port;
    Programmer programmer{platform::kDirectPortFamilyVersion, &port};
    StatusRecorder status;
};

TEST_F(DirectReadTest, SerialReadTakesTheFirstBitIntoBitZero) {
    Use("XC1765D");
    port.idleStatus = 0x00;
    port.statusScript = {0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x10};

    programmer.ReadPart();

    EXPECT_EQ(programmer.buffer[0], 0x01);
    EXPECT_EQ(programmer.buffer[1], 0x03);
    EXPECT_EQ(programmer.buffer[8191], 0x00);
    EXPECT_EQ(Reads(), 65536u + 1) << "a status read for every bit, then /CEO";
    // Off, read-mode power-up with the reset pulse, then status read and clock for every bit.
    const Log start{D(0xC0), D(0x02), C(0x0B), D(0xDC), C(0x01), D(0xC0), D(0xC0), D(0xC8), D(0xC0),
                    R(0x10), D(0xC1), D(0xC0), R(0x00), D(0xC1), D(0xC0)};
    EXPECT_TRUE(std::equal(start.begin(), start.end(), port.log.begin()));
    EXPECT_EQ(Log(port.log.end() - 3, port.log.end()), PowerOff(0));
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: XC1765D contents");
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(DirectReadTest, WordReadShiftsEachWordOutAfterItsLoad) {
    Use("XC1765X or XC1765EL");   // 32-bit words, programmed at 5 V
    port.idleStatus = 0x00;
    port.statusScript.assign(32, 0x10);   // word 0 all ones
    port.statusScript.push_back(0x10);    // word 1 starts with bit 0 set

    programmer.ReadPart();

    EXPECT_EQ(programmer.buffer[3], 0xFF);
    EXPECT_EQ(programmer.buffer[4], 0x01);
    EXPECT_EQ(programmer.buffer[5], 0x00);
    const size_t powerUp = 3 + 11;   // off, then the programming power-up
    Log word0{D(0xC8)};
    for (int bit = 0; bit < 32; ++bit) Append(word0, {D(0xC8), R(0x10), D(0xC9)});
    Append(word0, {D(0xD9)});
    Append(word0, Clock(0));
    // After the words the part is asked for its identifier again (this scripted one gives none).
    Log body = Body(powerUp);
    ASSERT_GT(body.size(), 2048 * word0.size());
    EXPECT_EQ(Log(body.begin(), body.begin() + static_cast<long>(word0.size())), word0);
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: XC1765X or XC1765EL contents, read failed");
}

TEST_F(DirectReadTest, WordBlankCheckSamplesBeforeEachClockAndStopsAtTheFirstZero) {
    Use("XC17256X or XC17256EL");   // 64-bit words, programmed at 5 V
    port.statusScript.assign(64 + 8, 0x10);
    port.statusScript[64 + 5] = 0x00;   // word 1, byte 0 reads 0xDF

    EXPECT_EQ(programmer.BlankCheck(), 0);

    Log expected{D(0xC8)};
    for (int bit = 0; bit < 64; ++bit) Append(expected, {R(0x10), D(0xC8), D(0xC9)});
    Append(expected, Clock(0));
    Append(expected, {D(0xC8)});
    for (int bit = 0; bit < 8; ++bit) Append(expected, {R(bit == 5 ? 0x00 : 0x10), D(0xC8), D(0xC9)});
    EXPECT_EQ(Body(3 + 11), expected);
    EXPECT_EQ(Log(port.log.end() - 3, port.log.end()), PowerOff(0));
}

TEST_F(DirectReadTest, SerialBlankCheckStopsAfterAFirstByteOf0xFE) {
    Use("XC1765D");
    port.statusScript = {0x00};
    EXPECT_EQ(programmer.BlankCheck(), 0);
    EXPECT_EQ(Reads(), 8u);
    EXPECT_EQ(status.Progress("Blank Check"), std::vector<std::string>{});
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(DirectReadTest, BlankSerialPartReportsProgressEveryHundredBytes) {
    Use("XC1765D");
    port.idleStatus = 0x10;   // ones, and /CEO low once the array is through
    EXPECT_EQ(programmer.BlankCheck(), 1);
    EXPECT_EQ(status.Frame("Blank Check"),
              (std::vector<std::string>{"", "Power On - Blank Check", "Blank Check",
                                        "Power Off - Blank Check"}));
    auto steps = status.Progress("Blank Check");
    EXPECT_EQ(steps.size(), 82u);
    EXPECT_EQ(steps, ExpectedProgress("Blank Check", Steps(0, 100, 8192), 8192));
    EXPECT_FALSE(status.visible);
}

TEST_F(DirectReadTest, WordReadReportsProgressOnWordBoundariesThatAreMultiplesOfAHundred) {
    Use("XC17256X or XC17256EL");   // 8-byte words: every 200 bytes
    programmer.ReadPart();
    EXPECT_EQ(status.Frame("Part Read"),
              (std::vector<std::string>{"", "Power On - Part Read", "Part Read", "Power Off - Part Read"}));
    EXPECT_EQ(status.Progress("Part Read"), ExpectedProgress("Part Read", Steps(0, 200, 32768), 32768));
}

TEST_F(DirectReadTest, NothingHappensWithoutDeviceOrBuffer) {
    port.log.clear();
    EXPECT_EQ(programmer.BlankCheck(), 1);
    programmer.ReadPart();
    programmer.currentDevice = programmer.FindByName("XC1765D");
    programmer.ReadPart();   // no buffer yet
    EXPECT_TRUE(port.log.empty());
    EXPECT_TRUE(status.texts.empty());
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: Empty");
}

// --- Driver mode, command requests ---------------------------------------------------------

// A port driver stand-in that records command requests and answers them from a script.
class ScriptedDriver {
public:
    struct Request {
        uint32_t code;
        std::vector<uint8_t> packet;
        uint32_t outSize;
    };
    // Writes the answer into `out`; returns the bytes returned, or -1 for a failed request.
    using Answer = std::function<int(const Request&, uint8_t* out)>;

    ScriptedDriver() {
        platform::RegisterDevice(kDeviceName, [this] { return std::make_unique<Session>(*this); });
    }
    ~ScriptedDriver() { platform::UnregisterDevice(kDeviceName); }

    std::vector<Request> Requests(uint32_t code) const {
        std::vector<Request> found;
        for (const Request& r : requests) {
            if (r.code == code) found.push_back(r);
        }
        return found;
    }

    std::vector<Request> requests;
    Answer answer = [](const Request&, uint8_t*) { return 0; };

private:
    class Session : public platform::DeviceSession {
    public:
        explicit Session(ScriptedDriver& driver) : driver(driver) {}
        bool Control(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                     uint32_t* bytesReturned) override {
            driver.requests.push_back({code, std::vector<uint8_t>(in, in + inSize), outSize});
            if (code == kWriteRegister || code == kReadRegister) {
                *bytesReturned = 1;
                return true;
            }
            int answered = driver.answer(driver.requests.back(), out);
            *bytesReturned = answered < 0 ? 0 : static_cast<uint32_t>(answered);
            return answered >= 0;
        }
        ScriptedDriver& driver;
    };
};

class DriverReadTest : public ::testing::Test {
protected:
    void Use(const char* name) {
        programmer.currentDevice = programmer.FindByName(name);
        ASSERT_NE(programmer.currentDevice, nullptr);
        ASSERT_TRUE(programmer.ResizeBuffer(programmer.currentDevice->sizeBits / 8));
        driver.requests.clear();
    }
    static std::vector<uint32_t> PieceLengths(const std::vector<ScriptedDriver::Request>& requests) {
        std::vector<uint32_t> lengths;
        for (const auto& r : requests) lengths.push_back(Get32(r.packet.data()));
        return lengths;
    }

    VirtualTime time;
    ScriptedDriver driver;
    Programmer programmer{platform::kDriverFamilyVersion};
    StatusRecorder status;
};

TEST_F(DriverReadTest, ReadOfAnXC1736DTakesThirtyThreePieces) {
    Use("XC1736D");
    int piece = 0;
    driver.answer = [&piece](const ScriptedDriver::Request& r, uint8_t* out) {
        std::fill_n(out, Get32(r.packet.data()), static_cast<uint8_t>(piece++));
        return 1;
    };

    programmer.ReadPart();

    auto reads = driver.Requests(kReadChunk);
    std::vector<uint32_t> expected(32, 140);
    expected.push_back(56);
    EXPECT_EQ(PieceLengths(reads), expected);
    EXPECT_EQ(reads[0].packet, (std::vector<uint8_t>{140, 0, 0, 0, 50, 0, 2, 0, 0, 1}));
    EXPECT_EQ(reads[0].outSize, kRequestBufferSize);
    EXPECT_EQ(programmer.buffer[139], 0);
    EXPECT_EQ(programmer.buffer[140], 1);
    EXPECT_EQ(programmer.buffer[4535], 32);
    std::vector<uint32_t> done;
    for (uint32_t d = 140; d <= 4480; d += 140) done.push_back(d);
    done.push_back(4536);
    EXPECT_EQ(status.Progress("Part Read"), ExpectedProgress("Part Read", done, 4536));
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: XC1736D contents");
}

TEST_F(DriverReadTest, PieceSizesFollowTheWordCount) {
    Use("XC1718L");
    driver.answer = [](const ScriptedDriver::Request&, uint8_t* out) {
        out[0] = 1;   // blank piece
        return 1;
    };
    programmer.BlankCheck();
    std::vector<uint32_t> expected(33, 68);
    expected.push_back(24);
    auto blankChecks = driver.Requests(kBlankCheck);
    EXPECT_EQ(PieceLengths(blankChecks), expected);
    EXPECT_EQ(blankChecks[0].packet, (std::vector<uint8_t>{68, 0, 0, 0, 33, 0, 2, 0, 0, 1}));
    EXPECT_EQ(blankChecks[0].outSize, kSmallOutputSize);

    Use("XC17V16");   // extended: programming mode, 3.3 V
    programmer.resetPolarity = 0;
    programmer.ReadPart();
    auto reads = driver.Requests(kReadChunk);
    EXPECT_EQ(PieceLengths(reads), std::vector<uint32_t>(32, 65536));
    EXPECT_EQ(reads[0].packet, (std::vector<uint8_t>{0, 0, 1, 0, 33, 0, 3, 0, 4, 0}));

    Use("XC1765D");
    programmer.ReadPart();
    EXPECT_EQ(PieceLengths(driver.Requests(kReadChunk)), std::vector<uint32_t>(32, 256));
}

TEST_F(DriverReadTest, BlankCheckStopsAtTheFirstPieceThatIsNotBlank) {
    Use("XC1765D");
    int piece = 0;
    driver.answer = [&piece](const ScriptedDriver::Request&, uint8_t* out) {
        ++piece;
        if (piece == 2) return 0;     // no answer: the result stays and the scan goes on
        out[0] = piece == 4 ? 0 : 1;
        return 1;
    };
    EXPECT_EQ(programmer.BlankCheck(), 0);
    EXPECT_EQ(driver.Requests(kBlankCheck).size(), 4u);
    EXPECT_EQ(status.Progress("Blank Check"),
              ExpectedProgress("Blank Check", {256, 512, 768, 1024}, 8192));
    EXPECT_EQ(programmer.powerMode, POWER_OFF);
}

TEST_F(DriverReadTest, FailedReadRequestEndsTheTransferAndTheReadFails) {
    Use("XC1765D");
    std::fill_n(programmer.buffer.get(), 8192, 0xAA);
    int piece = 0;
    driver.answer = [&piece](const ScriptedDriver::Request&, uint8_t* out) {
        ++piece;
        std::fill_n(out, 256, 0x11);
        return piece == 3 ? -1 : 256;
    };

    programmer.ReadPart();

    EXPECT_EQ(driver.Requests(kReadChunk).size(), 3u);
    EXPECT_EQ(status.Progress("Part Read"), ExpectedProgress("Part Read", {256, 512, 768}, 8192));
    EXPECT_EQ(programmer.buffer[511], 0x11);
    EXPECT_EQ(programmer.buffer[512], 0xAA) << "what was not fetched keeps its contents";
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: XC1765D contents, read failed");
    EXPECT_FALSE(programmer.failureText.empty());
}

TEST_F(DriverReadTest, ClosedDriverReadsNothingAndTheReadFails) {
    Use("XC1765D");
    programmer.CloseDriver();
    programmer.link.lastResult = false;
    programmer.ReadPart();
    EXPECT_TRUE(driver.requests.empty());
    EXPECT_EQ(programmer.buffer[0], 0xFF);
    EXPECT_EQ(programmer.bufferStateText, "Buffer State: XC1765D contents, read failed");
}

// A driver that never opened skips every request, but the chunk loops still run their steps.
TEST(ReadAndProgramWithoutDriver, ChunkLoopsStillStepThroughEveryChunk) {
    VirtualTime time;
    SetWarningHook([](const std::string&, const std::string&) {});
    Programmer programmer(platform::kDriverFamilyVersion);
    SetWarningHook({});
    StatusRecorder status;
    programmer.currentDevice = programmer.FindByName("XC1765D");
    ASSERT_TRUE(programmer.ResizeBuffer(8192));

    programmer.ReadPart();
    EXPECT_EQ(status.Progress("Part Read"), ExpectedProgress("Part Read", Steps(256, 256, 8193), 8192));
    uint16_t progress = 0;
    EXPECT_EQ(programmer.ProgramDevice(&progress, PROGRAM_ARRAY, 0, 0), 0);
    EXPECT_EQ(progress, 0);
    EXPECT_EQ(status.Progress("Programming"), ExpectedProgress("Programming", Steps(256, 256, 8193), 8192));
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

class SimulatedReadTest : public ::testing::TestWithParam<Mode> {
protected:
    // Puts a part of the type with `contents` in the socket and identifies it.
    void InsertAndIdentify(const char* name, std::vector<uint8_t> contents, bool resetProgrammed = false) {
        sim::SimulatedProm part;
        part.type = *programmer->FindByName(name);
        part.contents = std::move(contents);
        part.resetProgrammed = resetProgrammed;
        station.programmer.InsertPart(part);
        ASSERT_TRUE(programmer->Identify(true));
        ASSERT_EQ(programmer->currentDevice->name, name);
    }

    sim::SimulatedStation station;
    std::unique_ptr<Programmer> programmer = MakeProgrammer(GetParam(), station);
};

TEST_P(SimulatedReadTest, BlankAndNotBlankOnEitherReadPath) {
    for (const char* name : {"XC1765D", "XC1765X or XC1765EL"}) {
        SCOPED_TRACE(name);
        InsertAndIdentify(name, std::vector<uint8_t>(8192, 0xFF));
        EXPECT_EQ(programmer->BlankCheck(), 1);

        std::vector<uint8_t> lastBitProgrammed(8192, 0xFF);
        lastBitProgrammed.back() = 0x7F;
        InsertAndIdentify(name, lastBitProgrammed);
        EXPECT_EQ(programmer->BlankCheck(), 0);

        // A programmed reset bit is no data: the array alone is blank, and reading it runs
        // with the reset line active low.
        InsertAndIdentify(name, std::vector<uint8_t>(8192, 0xFF), true);
        EXPECT_EQ(programmer->resetPolarity, 0);
        EXPECT_EQ(programmer->BlankCheck(), 1);
        EXPECT_EQ(programmer->powerMode, POWER_OFF);
    }
}

TEST_P(SimulatedReadTest, BlankSerialPartProgressSteps) {
    InsertAndIdentify("XC1765D", std::vector<uint8_t>(8192, 0xFF));
    StatusRecorder status;
    EXPECT_EQ(programmer->BlankCheck(), 1);
    const auto expected = GetParam() == Mode::Direct
                              ? ExpectedProgress("Blank Check", Steps(0, 100, 8192), 8192)
                              : ExpectedProgress("Blank Check", Steps(256, 256, 8193), 8192);
    EXPECT_EQ(status.Progress("Blank Check"), expected);
}

TEST_P(SimulatedReadTest, BufferShorterThanThePartIsFilledAndNeverOverrun) {
    constexpr uint32_t kBufferLength = 2268;   // an XC1718 buffer; not a whole number of 8-byte words
    constexpr uint32_t kGuard = 64;
    for (const char* name : {"XC1765D", "XC17256X or XC17256EL"}) {
        SCOPED_TRACE(name);
        const PromDevice& type = *programmer->FindByName(name);
        const auto image = RandomImage(type.sizeBits / 8, 7);
        InsertAndIdentify(name, image);
        // As after a program command that made a bigger part current: the buffer keeps its size.
        programmer->buffer.reset(new uint8_t[kBufferLength + kGuard]);
        std::fill_n(programmer->buffer.get(), kBufferLength + kGuard, 0xA5);
        programmer->bufferLength = kBufferLength;

        programmer->ReadPart();

        const uint8_t* data = programmer->buffer.get();
        EXPECT_TRUE(std::equal(data, data + kBufferLength, image.begin()));
        EXPECT_EQ(std::count(data + kBufferLength, data + kBufferLength + kGuard, 0xA5), long{kGuard});
        EXPECT_EQ(programmer->powerMode, POWER_OFF);
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, SimulatedReadTest, ::testing::Values(Mode::Direct, Mode::Driver),
                         [](const auto& info) { return ModeName(info.param); });

// A random image read back bit-exact, through each read path and word size, in both modes.
class ImageReadTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageReadTest, BothModesReadTheImageBack) {
    std::vector<uint8_t> fromMode[2];
    std::vector<uint8_t> image;
    for (Mode mode : {Mode::Direct, Mode::Driver}) {
        SCOPED_TRACE(ModeName(mode));
        sim::SimulatedStation station;
        auto programmer = MakeProgrammer(mode, station);
        sim::SimulatedProm part;
        part.type = *programmer->FindByName(GetParam());
        image = RandomImage(part.type.sizeBits / 8, part.type.idCode);
        part.contents = image;
        station.programmer.InsertPart(part);
        ASSERT_TRUE(programmer->Identify(true));

        programmer->ReadPart();

        fromMode[static_cast<int>(mode)].assign(programmer->buffer.get(),
                                                programmer->buffer.get() + programmer->bufferLength);
        EXPECT_EQ(programmer->bufferStateText, std::string("Buffer State: ") + GetParam() + " contents");
        EXPECT_EQ(programmer->BlankCheck(), 0);
    }
    EXPECT_TRUE(fromMode[0] == image) << "direct mode";
    EXPECT_TRUE(fromMode[1] == image) << "driver mode";
}

INSTANTIATE_TEST_SUITE_P(ReadPaths, ImageReadTest,
                         ::testing::Values("XC1765D",                  // serial, 5 V
                                           "XC1718L",                  // serial, 3.3 V read, odd length
                                           "XC17S05",                  // serial
                                           "XC17S15A",                 // serial, 3.3 V programming supply
                                           "XC1765X or XC1765EL",      // words of 32 bits
                                           "XC17256X or XC17256EL",    // words of 64 bits
                                           "XC17V16"),                 // words of 128 bits, 2 MiB
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find(' '));
                         });

}  // namespace
