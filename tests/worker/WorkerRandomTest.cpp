// A long exchange on an instant bus with random commands, tags and block writes posted while it
// runs: nothing is lost, reordered or answered with the wrong reply.
#include "DeviceRegisters.h"
#include "WorkerFixture.h"

#include <algorithm>
#include <random>

namespace {

using namespace std::chrono_literals;

constexpr std::size_t Turns = 20000;

class WorkerRandomTest : public WorkerFixture {};

TEST_F(WorkerRandomTest, EveryRequestIsSentOnceInOrderAndEveryTagGetsItsReply) {
    std::mt19937 random(730);
    auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const int generation = bus->Unit(UnitLocation).Generation();
    std::vector<std::vector<std::uint8_t>> posted; // the frames, in posting order
    std::vector<ReplyTag> tags;                    // and their tags
    ReplyTag serial = 0;
    sim::UnitState model = bus->Unit(UnitLocation); // replays the frames sent, below

    StartWorker();
    for (std::size_t target = 0; target < Turns;) {
        for (unsigned n = below(4); n > 0; --n) {
            const ReplyTag tag = below(2) ? ++serial : 0;
            if (below(40) == 0) {
                auto block = std::make_unique<RegisterBlock>();
                for (int offset = 0; offset < RegisterCount; ++offset)
                    (*block)[offset] =
                        static_cast<std::uint8_t>(below(RegisterMax(offset, generation) + 2u));
                posted.push_back(Bytes(BuildBlockWriteFrame(*block)));
                worker->Post(std::move(block), tag);
            } else {
                const auto code = static_cast<std::uint8_t>(3 + below(38));
                const auto value =
                    static_cast<std::uint8_t>(below(RegisterMax(code - 1, generation) + 2u));
                posted.push_back(Bytes(BuildCommandFrame(code, value)));
                worker->Post(code, value, tag);
            }
            tags.push_back(tag);
        }
        // Let the queue drain now and then, so that polls come between the requests.
        target += 1 + below(4);
        ASSERT_TRUE(bus->WaitForFrames(target, 10s));
    }
    // A last tagged request that changes nothing: once it is answered, everything before it
    // has been sent.
    posted.push_back(Bytes(BuildCommandFrame(RegInputFormat + 1, 0)));
    tags.push_back(++serial);
    worker->Post(RegInputFormat + 1, 0, serial);
    const auto all = sink.WaitUntil([&](const auto& messages) {
        return std::any_of(messages.rbegin(), messages.rend(),
                           [&](const RecordedMessage& m) { return m.wParam == serial; });
    });
    worker->Stop();
    EXPECT_TRUE(worker->StoppedByRequest);

    // Replay what went over the wire on a model unit: the requests in posting order with polls
    // between them, each tagged reply showing the registers right after its request.
    std::vector<std::pair<ReplyTag, RegisterBlock>> expected;
    std::size_t next = 0;
    for (const sim::SimFrame& frame : bus->Frames()) {
        sim::ApplyFrame(model, frame.bytes);
        if (frame.bytes == Bytes(Poll))
            continue;
        ASSERT_LT(next, posted.size());
        ASSERT_EQ(frame.bytes, posted[next]) << "request " << next;
        if (tags[next] != 0)
            expected.emplace_back(tags[next], model.registers);
        ++next;
    }
    EXPECT_EQ(next, posted.size());
    EXPECT_GE(bus->Frames().size(), Turns);

    std::vector<std::pair<ReplyTag, RegisterBlock>> delivered;
    const std::vector<RecordedMessage> statuses = StatusesOf(all);
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        if (statuses[i].wParam != 0) {
            delivered.emplace_back(statuses[i].wParam, RegistersOf(*statuses[i].reply));
        } else if (i > 0) {
            EXPECT_NE(statuses[i].reply, statuses[i - 1].reply) << "untagged and unchanged";
        }
    }
    EXPECT_EQ(delivered, expected);
    EXPECT_EQ(bus->Unit(UnitLocation).registers, model.registers);
    EXPECT_EQ(RegistersOf(*statuses.back().reply), model.registers);
}

} // namespace
