// A long run against one simulated unit: random commands and block writes, and now and then a
// fault that ends the exchange, after which the unit is opened again and the run goes on.
// Nothing may be lost: in every exchange the requests the unit received are the ones posted, in
// posting order, up to the turn that failed; and at the end the unit's registers are those that
// the requests it received make. ORQ_SOAK_TURNS sets the length in requests the unit received
// (default 20 000); polls come on top.
#include "DeviceRegisters.h"
#include "WorkerFixture.h"

#include <cstdlib>
#include <random>

namespace {

using namespace std::chrono_literals;
using FrameBytes = std::vector<std::uint8_t>;

std::size_t TurnsWanted() {
    const char* text = std::getenv("ORQ_SOAK_TURNS");
    return text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10)) : 20000;
}

// Faults that end an exchange in the turn they strike.
enum class Fault {
    BadHeader,
    BadChecksum,
    BadProtocol,
    DeviceError,
    LongReply,
    ReadError,
    WriteError,
    Unplug,
    Count
};

// What a unit does with a request it received: a value in range is taken over; the error count
// only resets; a block leaves the status registers alone.
void Apply(RegisterBlock& registers, const FrameBytes& frame, int generation) {
    if (frame.size() == BlockWriteFrameSize) {
        for (int offset = RegOutputFormat; offset < RegisterCount; ++offset)
            if (CommandValueAccepted(offset, frame[4 + offset], generation))
                registers[offset] = frame[4 + offset];
        return;
    }
    const int offset = frame[3] - 1;
    if (offset >= 0 && offset < RegisterCount && CommandValueAccepted(offset, frame[4], generation))
        registers[offset] = offset == RegEdhCrcErrors ? 0 : frame[4];
}

class Soak : public WorkerFixture {
protected:
    void Inject(Fault fault) {
        sim::UnitFaults faults;
        switch (fault) {
        case Fault::BadHeader:
            faults.wrongHeader = true;
            break;
        case Fault::BadChecksum:
            faults.wrongChecksum = true;
            break;
        case Fault::BadProtocol:
            faults.protocolByte = 0x41;
            break;
        case Fault::DeviceError:
            faults.deviceError = 9;
            break;
        case Fault::LongReply:
            faults.replyLength = 59;
            break;
        case Fault::ReadError:
            bus->FailCall(UnitLocation, sim::DriverCall::Read, FT_IO_ERROR);
            break;
        case Fault::WriteError:
            bus->FailCall(UnitLocation, sim::DriverCall::Write, 10);
            break;
        case Fault::Unplug:
            faults.unplugMidReply = true;
            break;
        case Fault::Count:
            break;
        }
        bus->SetFaults(UnitLocation, faults);
    }

    // Ends the failed exchange and opens the unit again, healthy, as the device list would.
    void Reopen() {
        worker->Stop();
        LinkClose();
        bus->SetFaults(UnitLocation, {});
        bus->FailCall(UnitLocation, sim::DriverCall::Read, FT_OK);
        bus->FailCall(UnitLocation, sim::DriverCall::Write, FT_OK);
        if (!Listed()) { // pulled out: plugged in again with the state it had
            sim::DeviceSpec again{UnitLocation,  FT_DEVICE_232R, "SV731001",
                                  "ORQ-SYV-730", false,          bus->Unit(UnitLocation)};
            again.unit->faults = {};
            bus->Plug(std::move(again));
        }
        ASSERT_TRUE(OpenForExchange(UnitLocation));
        sink.Clear();
        StartWorker();
    }

    bool Listed() {
        DWORD count = 0;
        bus->CreateDeviceInfoList(&count);
        return count == 1;
    }
};

TEST_F(Soak, NothingIsLostAcrossFaultsAndReopenings) {
    std::mt19937 random(7301);
    auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const int generation = bus->Unit(UnitLocation).Generation();
    const std::size_t turns = TurnsWanted();
    RegisterBlock model = bus->Unit(UnitLocation).registers;
    std::size_t done = 0;
    ReplyTag serial = 0;
    int exchanges = 0;

    StartWorker();
    while (done < turns) {
        ++exchanges;
        bus->ClearLogs();
        std::vector<FrameBytes> posted;
        const std::size_t faultAfter = 500 + below(2500); // requests
        bool injected = false;
        bool ended = false;
        while (!ended) {
            if (!injected && (posted.size() >= faultAfter || done + posted.size() >= turns)) {
                Inject(static_cast<Fault>(below(static_cast<unsigned>(Fault::Count))));
                injected = true;
            }
            for (unsigned n = 1 + below(3); n > 0; --n) {
                if (below(30) == 0) {
                    auto block = std::make_unique<RegisterBlock>();
                    for (int offset = 0; offset < RegisterCount; ++offset)
                        (*block)[offset] =
                            static_cast<std::uint8_t>(below(RegisterMax(offset, generation) + 2u));
                    const BlockWriteFrame frame = BuildBlockWriteFrame(*block);
                    if (worker->Post(std::move(block), ++serial))
                        posted.emplace_back(frame.begin(), frame.end());
                } else {
                    const auto code = static_cast<std::uint8_t>(3 + below(38));
                    const auto value =
                        static_cast<std::uint8_t>(below(RegisterMax(code - 1, generation) + 2u));
                    if (worker->Post(code, value, ++serial)) {
                        const CommandFrame frame = BuildCommandFrame(code, value);
                        posted.emplace_back(frame.begin(), frame.end());
                    }
                }
            }
            const ReplyTag last = serial;
            const auto messages = sink.WaitUntil([last](const auto& all) {
                return std::any_of(all.rbegin(), all.rend(), [last](const RecordedMessage& m) {
                    return m.wParam == last || m.message == WM_DEV_STOPPED;
                });
            });
            ended = std::any_of(messages.begin(), messages.end(), [](const RecordedMessage& m) {
                return m.message == WM_DEV_STOPPED;
            });
            ASSERT_TRUE(ended || messages.back().wParam == last) << "a reply went missing";
        }

        std::vector<FrameBytes> received;
        for (const sim::SimFrame& frame : bus->Frames())
            if (frame.bytes != FrameBytes(Poll.begin(), Poll.end()))
                received.push_back(frame.bytes);
        ASSERT_LE(received.size(), posted.size());
        ASSERT_TRUE(std::equal(received.begin(), received.end(), posted.begin()))
            << "exchange " << exchanges << ": a request was lost or reordered";
        for (const FrameBytes& frame : received)
            Apply(model, frame, generation);
        done += received.size();
        Reopen();
    }
    worker->Stop();
    EXPECT_EQ(bus->Unit(UnitLocation).registers, model);
    EXPECT_GT(exchanges, 1);
    std::printf("%zu requests in %d exchanges\n", done, exchanges);
}

} // namespace
