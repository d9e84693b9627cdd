// The contract of the fourteen driver entry points as the program relies on it, written once
// and run against every driver that fills a D2xxApi: the simulated units and the open driver
// under its emulated chip. A driver takes part by implementing DriverBus over a bus of its own
// and instantiating the suite with a factory of that bus:
//
//     std::unique_ptr<DriverBus> MakeMyBus();
//     INSTANTIATE_TEST_SUITE_P(Mine, DriverContract,
//                              testing::Values(DriverUnderTest{"Mine", &MakeMyBus}),
//                              DriverUnderTestName);
//
// The suite's cases live in DriverContractTest.cpp; link it into the instantiating binary.
#pragma once

#include "D2xxTypes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A device the bus holds, as its driver must list it.
struct ContractDevice {
    DWORD locationId = 0;
    std::string serialNumber;
    std::string description;
    ULONG type = FT_DEVICE_232R;
    bool openElsewhere = false; // claimed by another program: listed with flag bit 0, not opened
};

// The bus under test. A fresh one is made for every case and destroyed at its end, after every
// handle the case opened has been closed.
class DriverBus {
public:
    virtual ~DriverBus() = default;

    // The driver table under test. It stays valid for the life of the bus.
    virtual const D2xxApi& Api() = 0;

    // Every device the driver must list, in any order. Among them is the unit UnitLocation()
    // names, and it may hold devices that are not units and devices open elsewhere.
    virtual std::vector<ContractDevice> Devices() = 0;

    // The location of a free FT232R unit of the family that answers a poll with its 58-byte
    // status reply, at 115200 baud, 8 data bits, one stop bit, no parity.
    virtual DWORD UnitLocation() = 0;

    // Called after a frame has been written whole to the unit at `location`: returns once the
    // unit's reply to it is on its way to the host (it may still be arriving). A bus whose units
    // answer by themselves has nothing to do.
    virtual void SendReply(DWORD location) = 0;

    // Pulls the device at `location` out of the bus: an open handle of it answers FT_IO_ERROR
    // from its next call on, and it is no longer listed.
    virtual void Unplug(DWORD location) = 0;
};

// One driver the suite runs against: a name for the test names (letters and digits only) and a
// factory of a fresh bus.
struct DriverUnderTest {
    const char* name;
    std::unique_ptr<DriverBus> (*make)();
};

inline std::string DriverUnderTestName(const testing::TestParamInfo<DriverUnderTest>& info) {
    return info.param.name;
}

// Printed in a failure message instead of the parameter's raw bytes.
inline void PrintTo(const DriverUnderTest& driver, std::ostream* out) {
    *out << driver.name;
}

// The fixture: a fresh bus per case, the table under test, and the steps most cases share.
// Every handle that Open() returned and the case did not close is closed at the end.
class DriverContract : public testing::TestWithParam<DriverUnderTest> {
protected:
    void SetUp() override;
    void TearDown() override;

    // FT_OpenEx by location; the case fails unless it answers FT_OK with a handle.
    FT_HANDLE Open(DWORD location);
    // FT_Close, and forgets the handle.
    FT_STATUS Close(FT_HANDLE handle);
    // Sets the line up as the program does before an exchange, with the given read time-out;
    // the case fails unless every step answers FT_OK.
    void SetUpLine(FT_HANDLE handle, ULONG readTimeout = 2000);
    // Writes a poll whole and lets the unit send its reply.
    void SendPoll(FT_HANDLE handle);
    // Asks the queue until it holds at least `count` bytes (or a generous limit passes) and
    // returns the last count it reported.
    DWORD WaitForQueue(FT_HANDLE handle, DWORD count);
    // A location that no device on the bus has.
    DWORD AbsentLocation();

    std::unique_ptr<DriverBus> bus;
    D2xxApi api{};
    std::vector<FT_HANDLE> opened;
};
