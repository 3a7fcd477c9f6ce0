// The dispatcher and the small requests: register access, port base, version, address clock.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver_harness.h"

namespace {

using namespace port_driver;

std::vector<uint8_t> Field(uint32_t value) {
    std::vector<uint8_t> bytes(4);
    Put32(bytes.data(), value);
    return bytes;
}

// The station's version packet: a full header whose first field holds 127.
std::vector<uint8_t> VersionPacket() {
    std::vector<uint8_t> packet = Field(127);
    packet.resize(kHeaderSize);
    return packet;
}

TEST(PortDriverRequests, VersionIsEightInTheFirstByteAndTouchesNothingElse) {
    DriverHarness driver;
    ASSERT_TRUE(driver.Send(kVersion, VersionPacket(), kSmallOutputSize, 4096, 0xEE));
    EXPECT_EQ(driver.buffer[0], 8);
    EXPECT_EQ(driver.AnswerField(), kDriverVersion);
    EXPECT_GT(driver.returned, 0u);
    // The station's buffer beyond the answer keeps what it held.
    for (size_t i = kHeaderSize; i < driver.buffer.size(); ++i) {
        ASSERT_EQ(driver.buffer[i], 0xEE) << "byte " << i;
    }
}

TEST(PortDriverRequests, RegisterWriteAndReadReachTheThreeRegisters) {
    DriverHarness driver;
    std::vector<uint8_t> write = Field(0);
    write.push_back(0xC4);
    ASSERT_TRUE(driver.Send(kWriteRegister, write, kSmallOutputSize));
    write = Field(2);
    write.push_back(0x0B);
    ASSERT_TRUE(driver.Send(kWriteRegister, write, kSmallOutputSize));
    EXPECT_GT(driver.returned, 0u);

    driver.port.statusScript = {0x5A};
    ASSERT_TRUE(driver.Send(kReadRegister, Field(1), kSmallOutputSize));
    EXPECT_EQ(driver.buffer[0], 0x5A);
    EXPECT_EQ(driver.returned, 1u);
    EXPECT_EQ(driver.port.log, (AccessList{D(0xC4), C(0x0B), S()}));
}

TEST(PortDriverRequests, RegisterOffsetsBeyondThePortAreRefused) {
    DriverHarness driver;
    std::vector<uint8_t> write = Field(3);
    write.push_back(0x00);
    EXPECT_FALSE(driver.Send(kWriteRegister, write, kSmallOutputSize));
    EXPECT_FALSE(driver.Send(kReadRegister, Field(0x400), kSmallOutputSize));
    EXPECT_EQ(driver.returned, 0u);
    EXPECT_TRUE(driver.port.log.empty());
}

TEST(PortDriverRequests, UnknownCodesShortInputsAndSmallOutputsFailWithNoBytes) {
    DriverHarness driver;
    const std::vector<uint8_t> header = CommandPacket(1, 50, 3, 0, 1);
    EXPECT_FALSE(driver.Send(0x9C4A6478, header, kSmallOutputSize));
    EXPECT_EQ(driver.returned, 0u);

    struct Case {
        uint32_t code;
        size_t neededInput;
    };
    const Case cases[] = {{kReadRegister, 4},    {kWriteRegister, 5}, {kSetPortBase, 4},
                          {kVersion, 10},        {kAddressClock, 10}, {kOptionBitRead, 10},
                          {kIdentifierRead, 10}, {kBlankCheck, 10},   {kReadChunk, 10},
                          {kVerifyChunk, 11},    {kProgramChunk, 16}};
    for (const Case& c : cases) {
        std::vector<uint8_t> packet = CommandPacket(1, 50, 2, 0, 1, std::vector<uint8_t>(6, 0));
        packet[0] = c.code == kSetPortBase ? 0x78 : 0;
        packet[1] = c.code == kSetPortBase ? 0x03 : 0;
        packet[10] = 32;   // word size of a program chunk
        packet.resize(c.neededInput);
        EXPECT_FALSE(driver.Send(c.code, packet, 0)) << std::hex << c.code;
        EXPECT_EQ(driver.returned, 0u) << std::hex << c.code;
        packet.pop_back();
        EXPECT_FALSE(driver.Send(c.code, packet, kSmallOutputSize)) << std::hex << c.code;
        EXPECT_EQ(driver.returned, 0u) << std::hex << c.code;
    }
    EXPECT_TRUE(driver.port.log.empty());

    // A read piece longer than the output.
    EXPECT_FALSE(driver.Send(kReadChunk, CommandPacket(101, 50, 2, 0, 1), kSmallOutputSize));
    // A verify chunk whose data is cut short.
    EXPECT_FALSE(driver.Send(kVerifyChunk, CommandPacket(8, 50, 2, 0, 1, {1, 2, 3}), kSmallOutputSize));
    // A supply select that would spoil the register patterns.
    EXPECT_FALSE(driver.Send(kAddressClock, CommandPacket(1, 50, 3, 0x80, 1), kSmallOutputSize));
    EXPECT_TRUE(driver.port.log.empty());
}

TEST(PortDriverRequests, FieldsThatNoPartCouldAskForAreRefusedBeforeThePortIsTouched) {
    DriverHarness driver;
    std::vector<uint8_t> wrongPowerMode = ProgramPacket(1, 50, 0, 32, 0xFF, std::vector<uint8_t>(4, 0));
    wrongPowerMode[6] = 2;
    struct Case {
        const char* what;
        uint32_t code;
        std::vector<uint8_t> packet;
    };
    const Case cases[] = {
        {"identifier read in read mode", kIdentifierRead, CommandPacket(0x808, 50, 2, 0, 1)},
        {"identifier read at a 3.3 V read supply", kIdentifierRead, CommandPacket(0x808, 33, 3, 0, 1)},
        {"option read in read mode", kOptionBitRead, CommandPacket(0x800, 50, 2, 0, 1)},
        {"option read at no supply", kOptionBitRead, CommandPacket(0x800, 0, 3, 0, 1)},
        {"blank check at no supply", kBlankCheck, CommandPacket(8, 0, 2, 0, 1)},
        {"read in power-off mode", kReadChunk, CommandPacket(8, 50, 1, 0, 1)},
        {"program chunk in read mode", kProgramChunk, wrongPowerMode},
        {"program chunk of 48-bit words", kProgramChunk, ProgramPacket(1, 50, 0, 48, 0xFF, std::vector<uint8_t>(6, 0))},
        {"extended part with another word size", kProgramChunk,
         ProgramPacket(1, 33, 4, 64, 0x7C, std::vector<uint8_t>(8, 0))},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(driver.Send(c.code, c.packet, kSmallOutputSize)) << c.what;
        EXPECT_EQ(driver.returned, 0u) << c.what;
    }
    EXPECT_TRUE(driver.port.log.empty());
}

TEST(PortDriverRequests, SetPortBaseReopensThePortForTheNewBase) {
    DriverHarness driver;
    EXPECT_EQ(driver.openedBases, (std::vector<uint16_t>{driver::kDefaultPortBase}));

    ASSERT_TRUE(driver.Send(kSetPortBase, Field(0x278), kSmallOutputSize));
    EXPECT_GT(driver.returned, 0u);
    EXPECT_EQ(driver.openedBases, (std::vector<uint16_t>{0x378, 0x278}));

    // The base lives in the driver, not in the handle: a second handle uses it.
    const platform::DeviceHandle second = platform::OpenDevice(DriverHarness::kName);
    uint8_t packet[5] = {2, 0, 0, 0, 0x01};
    uint32_t returned = 0;
    ASSERT_TRUE(platform::ControlDevice(second, kWriteRegister, packet, 5, packet, 100, &returned));
    platform::CloseDevice(second);
    EXPECT_EQ(driver.port.base, 0x278);
    EXPECT_EQ(driver.port.log, (AccessList{C(0x01)}));
}

TEST(PortDriverRequests, AStoredBaseOutlivesTheDriver) {
    const std::string store = ::testing::TempDir() + "/port-driver-base.ini";
    std::remove(store.c_str());
    {
        DriverHarness driver(store);
        EXPECT_EQ(driver.openedBases, (std::vector<uint16_t>{0x378})) << "no stored base yet";
        ASSERT_TRUE(driver.Send(kSetPortBase, Field(0x278), kSmallOutputSize));
    }
    {
        DriverHarness reloaded(store);
        EXPECT_EQ(reloaded.openedBases, (std::vector<uint16_t>{0x278}));
    }
    DriverHarness withoutStore;
    EXPECT_EQ(withoutStore.openedBases, (std::vector<uint16_t>{0x378}));
    std::remove(store.c_str());
}

TEST(PortDriverRequests, WithoutAPortRegisterRequestsFailUntilABaseHasOne) {
    DriverHarness driver;
    driver.refuseBases = true;
    EXPECT_FALSE(driver.Send(kSetPortBase, Field(0x3BC), kSmallOutputSize));
    EXPECT_EQ(driver::PortDriverError(DriverHarness::kName), "no port here");
    EXPECT_FALSE(driver.Send(kReadRegister, Field(1), kSmallOutputSize));
    EXPECT_FALSE(driver.Send(kAddressClock, CommandPacket(1, 50, 3, 0, 1), kSmallOutputSize));
    // The version needs no port.
    EXPECT_TRUE(driver.Send(kVersion, VersionPacket(), kSmallOutputSize));

    driver.refuseBases = false;
    ASSERT_TRUE(driver.Send(kSetPortBase, Field(0x378), kSmallOutputSize));
    EXPECT_EQ(driver::PortDriverError(DriverHarness::kName), "");
    EXPECT_TRUE(driver.Send(kReadRegister, Field(1), kSmallOutputSize));
}

TEST(PortDriverRequests, RemovedDriverFailsTheHandlesStillOpen) {
    DriverHarness driver;
    driver::RemovePortDriver(DriverHarness::kName);
    EXPECT_FALSE(driver.Send(kVersion, VersionPacket(), kSmallOutputSize));
    EXPECT_FALSE(driver.Send(kReadRegister, Field(1), kSmallOutputSize));
    EXPECT_EQ(platform::OpenDevice(DriverHarness::kName), platform::kNoDevice);
    EXPECT_NE(driver::PortDriverError(DriverHarness::kName), "");
}

TEST(PortDriverRequests, AddressClockFollowsThePowerMode) {
    DriverHarness driver;
    ASSERT_TRUE(driver.Send(kAddressClock, CommandPacket(1, 33, 3, 4, 1), kSmallOutputSize));
    EXPECT_GT(driver.returned, 0u);
    EXPECT_EQ(driver.port.log, ProgrammingModeClock(4));

    struct ReadModeCase {
        int16_t readSupply;
        uint8_t s;
        uint8_t resetPolarity;
        AccessList expected;
    };
    const ReadModeCase cases[] = {
        {50, 0, 1, {D(0xC1), D(0xC0)}},
        {50, 0, 0, {D(0xC9), D(0xC8)}},
        {33, 0, 1, {D(0xE1), D(0xE0)}},
        {33, 4, 0, {D(0xED), D(0xEC)}},
        {0, 0, 1, {D(0x02), C(0x0B)}},   // no read pattern for this supply: the socket stays off
    };
    for (const ReadModeCase& c : cases) {
        driver.port.log.clear();
        ASSERT_TRUE(driver.Send(kAddressClock, CommandPacket(1, c.readSupply, 2, c.s, c.resetPolarity),
                                kSmallOutputSize));
        EXPECT_EQ(driver.port.log, c.expected) << c.readSupply << " " << int(c.resetPolarity);
    }

    driver.port.log.clear();
    ASSERT_TRUE(driver.Send(kAddressClock, CommandPacket(1, 50, 1, 0, 1), kSmallOutputSize));
    EXPECT_TRUE(driver.port.log.empty());

    ASSERT_TRUE(driver.Send(kAddressClock, CommandPacket(3, 50, 3, 0, 1), kSmallOutputSize));
    EXPECT_EQ(driver.port.log.size(), 15u);
    EXPECT_FALSE(driver.Send(kAddressClock, CommandPacket(0xFFFFFFFF, 50, 3, 0, 1), kSmallOutputSize));
}

}  // namespace
