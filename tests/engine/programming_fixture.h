#pragma once
// Shared by the verify, programming and option-bit tests: a Programmer on the simulated
// station in either mode, a status line that records, and a port driver that records requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/programmer.h"
#include "engine/status_line.h"
#include "protocol/port_driver_protocol.h"
#include "platform/device_transport.h"
#include "platform/platform_value.h"
#include "station/simulated_station.h"
#include "random_image.h"

enum class StationMode { Direct, Driver };

inline std::string StationModeName(const testing::TestParamInfo<StationMode>& info) {
    return info.param == StationMode::Direct ? "Direct" : "Driver";
}

// A Programmer on a simulated programmer, in the mode of the test's parameter.
class SimulatedStationTest : public testing::TestWithParam<StationMode> {
protected:
    sim::SimulatedStation station;
    Programmer programmer{GetParam() == StationMode::Direct ? platform::kDirectPortFamilyVersion
                                                             : platform::kDriverFamilyVersion,
                          &station.programmer};

    bool Direct() const { return GetParam() == StationMode::Direct; }

    // Puts a blank part of the named type in the socket and identifies it as the Identify
    // button does: it becomes the current type with an erased buffer of its size.
    sim::SimulatedProm& InsertAndIdentify(const char* name) {
        const PromDevice* type = programmer.FindByName(name);
        EXPECT_NE(type, nullptr) << name;
        station.programmer.InsertBlankPart(*type);
        EXPECT_TRUE(programmer.Identify(true)) << name;
        EXPECT_EQ(programmer.currentDevice, type) << name;
        return *station.programmer.Part();
    }

    void LoadBuffer(const std::vector<uint8_t>& image) {
        ASSERT_LE(image.size(), programmer.bufferLength);
        std::copy(image.begin(), image.end(), programmer.buffer.get());
    }

    const std::vector<uint8_t>& PartContents() const { return station.programmer.Part()->contents; }
};

// Records what the long operations show on the status line.
class RecordingStatusLine final : public StatusLineWindow {
public:
    RecordingStatusLine() { SetStatusLineWindow(this); }
    ~RecordingStatusLine() override { SetStatusLineWindow(nullptr); }

    void SetStatusLineVisible(bool visible) override {
        if (!visible) {
            texts.push_back("(hidden)");
        }
    }
    void SetStatusLineText(const std::string& text) override {
        if (!text.empty()) {
            texts.push_back(text);
        }
    }
    void SetStatusLineProgress(int) override {}
    void RepaintStatusLine() override {}

    size_t Count(const std::string& text) const { return std::count(texts.begin(), texts.end(), text); }
    bool Shows(const std::string& text) const { return Count(text) > 0; }

    std::vector<std::string> texts;
};

// Stands in for the port driver: records every request and answers the chunk requests as
// wholly programmed or matched (or, when told, not at all). Register reads give 0xFF.
class RecordingDriver {
public:
    struct Request {
        uint32_t code;
        uint32_t inSize;
        uint32_t outSize;
        std::vector<uint8_t> header;   // the first 12 bytes of the packet
        std::vector<uint8_t> data;     // the chunk's bytes
        uint32_t Argument() const { return port_driver::Get32(header.data()); }
    };

    RecordingDriver() {
        platform::RegisterDevice(port_driver::kDeviceName, [this] { return std::make_unique<Session>(*this); });
    }
    ~RecordingDriver() { platform::UnregisterDevice(port_driver::kDeviceName); }

    std::vector<Request> Chunks(uint32_t code) const {
        std::vector<Request> chunks;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(chunks),
                     [code](const Request& r) { return r.code == code; });
        return chunks;
    }

    std::vector<Request> requests;
    bool answerChunks = true;

private:
    class Session final : public platform::DeviceSession {
    public:
        explicit Session(RecordingDriver& driver) : driver(driver) {}
        bool Control(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                     uint32_t* bytesReturned) override {
            using namespace port_driver;
            Request request{code, inSize, outSize, {in, in + std::min<uint32_t>(inSize, kProgramHeaderSize)}, {}};
            const bool chunk = code == kProgramChunk || code == kVerifyChunk;
            if (chunk) {
                const uint32_t dataOffset = code == kProgramChunk ? kProgramHeaderSize : kHeaderSize;
                const uint32_t bytes = code == kProgramChunk ? Get32(in) * (in[kWordSizeOffset] / 8u) : Get32(in);
                request.data.assign(in + dataOffset, in + dataOffset + bytes);
            }
            const uint32_t argument = Get32(in);
            driver.requests.push_back(std::move(request));
            if (chunk && !driver.answerChunks) {
                return false;
            }
            if (chunk) {
                Put32(out, argument);
                *bytesReturned = 4;
            } else {
                out[0] = 0xFF;
                *bytesReturned = 1;
            }
            return true;
        }

    private:
        RecordingDriver& driver;
    };
};
