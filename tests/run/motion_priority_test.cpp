// Real-time priority around every motion, through a scheduling seam that grants or refuses: the
// ticks run under SCHED_FIFO where it is granted, the thread gets back exactly what it had on a
// normal end, a stop, an error and a signal's stop, and a refusal runs the cut at normal priority
// with the one step that allows it.
#include "machine/motion_priority.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

#include "manual/manual_mover.h"
#include "platform/realtime_priority.h"
#include "run/cut_runner.h"
#include "run/run_fixture.h"
#include "script/script_runner.h"
#include "support/test_support.h"
#include "troubleshoot/port_troubleshooter.h"

namespace corvane {
namespace {

using test::FakeScheduling;

volatile std::sig_atomic_t gSignalled = 0;
void onSignal(int) {
    gSignalled = 1;
}

enum class Ending { Normal, Stop, Error, Signal };

TEST(MotionPriority, ACutRunsRealTimeAndGivesTheThreadBackHoweverItEnds) {
    for (const bool refuse : {false, true}) {
        for (const Ending ending : {Ending::Normal, Ending::Stop, Ending::Error, Ending::Signal}) {
            SCOPED_TRACE(static_cast<int>(ending));
            SCOPED_TRACE(refuse ? "refused" : "granted");
            test::RunnerBench b;
            b.writeSet({1, 2, 3, 4, 5, 6}, {2, 4, 6});
            FakeScheduling sched;
            sched.policy = SCHED_BATCH;  // whatever the thread had comes back, not a default
            sched.refuseWith = refuse ? EPERM : 0;
            b.ws.scheduling = &sched;
            CutRunner runner(b.ws);
            std::vector<int> policies;
            std::vector<bool> realtime;
            gSignalled = 0;
            auto previous = std::signal(SIGUSR1, onSignal);
            runner.onTick = [&](const CutStats& stats) {
                policies.push_back(sched.policy);
                realtime.push_back(b.ws.motion.realtime);
                if (stats.ticks == 3 && ending == Ending::Stop) runner.requestStop();
                if (stats.ticks == 3 && ending == Ending::Signal) std::raise(SIGUSR1);
            };
            // The signal handler only sets a flag; the loop's yield turns it into Stop.
            runner.yield = [&] {
                if (gSignalled != 0) runner.requestStop();
            };
            runner.onSegmentDone = [&](int) {
                if (ending == Ending::Error) throw std::runtime_error("mark failed");
            };
            const CutOutcome out = runner.run(Fixed4::fromInt(1));
            std::signal(SIGUSR1, previous);

            const CutEnd expected = ending == Ending::Normal  ? CutEnd::Completed
                                    : ending == Ending::Error ? CutEnd::Failed
                                                              : CutEnd::Stopped;
            EXPECT_EQ(out.end, expected);
            ASSERT_FALSE(policies.empty());
            for (size_t k = 0; k < policies.size(); ++k) {
                EXPECT_EQ(policies[k], refuse ? SCHED_BATCH : SCHED_FIFO) << "tick " << k;
                EXPECT_EQ(realtime[k], !refuse) << "tick " << k;
            }
            EXPECT_EQ(sched.policy, SCHED_BATCH);
            EXPECT_EQ(sched.priority, 0);
            EXPECT_FALSE(b.ws.motion.realtime);
            if (refuse) {
                EXPECT_NE(out.priorityRefusal.find("no permission"), std::string::npos);
                EXPECT_NE(out.priorityRefusal.find("sudo adduser $USER corvane"),
                          std::string::npos);
                EXPECT_EQ(out.priority, "normal (SCHED_BATCH)");
            } else {
                EXPECT_TRUE(out.priorityRefusal.empty());
                EXPECT_EQ(out.priority, "real-time (SCHED_FIFO 40)");
            }
        }
    }
}

// Every other source of ticks holds the priority too, and a motion inside a motion (a jog from
// a cut's pause) leaves the outer one real-time.
TEST(MotionPriority, ScriptsJogsAndTheTroubleshooterRaiseItAndNestingKeepsIt) {
    test::RunnerBench b;
    FakeScheduling sched;
    b.ws.scheduling = &sched;
    b.ws.settings.fields.resetDefaults();
    b.ws.settings.derive();
    std::vector<int> seen;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out) seen.push_back(sched.policy);
    });

    ScriptRunner script(b.ws);
    EXPECT_EQ(script.run({"move,x," + std::string(kDirForward) + ",0.02"}).end,
              ScriptEnd::Completed);
    ManualMover mover;
    EXPECT_EQ(mover.distanceMove(b.ws, 0x03, 2), MoveOutcome::Completed);
    PortStepper stepper;
    stepper.run(b.ws, 0x03, [&] { stepper.requestStop(); });
    ASSERT_GE(seen.size(), 5u);
    for (int policy : seen) EXPECT_EQ(policy, SCHED_FIFO);
    EXPECT_EQ(sched.policy, SCHED_OTHER);

    {
        const MotionPriority outer(b.ws);
        {
            const MotionPriority inner(b.ws);
            EXPECT_TRUE(inner.granted());
        }
        EXPECT_EQ(sched.policy, SCHED_FIFO) << "the inner motion dropped the outer one's priority";
        EXPECT_TRUE(b.ws.motion.realtime);
    }
    EXPECT_EQ(sched.policy, SCHED_OTHER);
    EXPECT_FALSE(b.ws.motion.realtime);
}

}  // namespace
}  // namespace corvane
