#include "shell/IdleWatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = IdleEvent::Kind;
constexpr std::chrono::milliseconds kTimeout(3000);
constexpr unsigned kVideo = 1;   // an inhibitor
constexpr unsigned kLogind = 2;  // another holder, or logind's lock

// Writes down what the watcher asks of the idle source and the saver.
class Recorder : public IIdleTimer, public ISaverChild {
  public:
    void Arm(std::chrono::milliseconds timeout, PeriodFrom from) override {
        said += timeout != kTimeout ? "arm? " : from == PeriodFrom::LastInput ? "arm " : "rearm ";
    }
    bool Start() override {
        said += startFails ? "start(fails) " : "start ";
        return !startFails;
    }
    void Stop() override { said += "stop "; }

    std::string said;
    bool startFails = false;
};

// One step of a case: an event of the session, the saver's end, or a signal.
struct Step {
    enum class What { Event, SaverEnded, Signal, StartFails } what;
    IdleEvent event{Kind::Idle};
    std::optional<int> status;
};
Step Event(Kind kind, unsigned holder = 0) {
    return {Step::What::Event, IdleEvent::Of(kind, holder), std::nullopt};
}
Step Ended(std::optional<int> status) {
    return {Step::What::SaverEnded, IdleEvent::Of(Kind::Idle), status};
}
const Step kSignal{Step::What::Signal, IdleEvent::Of(Kind::Idle), std::nullopt};
const Step kStartFails{Step::What::StartFails, IdleEvent::Of(Kind::Idle), std::nullopt};

struct WatcherCase {
    const char* what;
    std::vector<Step> steps;
    const char* said;  // what the watcher asked, in order, after the first arm (from the last input)
    bool running;
    bool finished = false;
};

const WatcherCase kWatcherCases[] = {
    {"idle starts the saver", {Event(Kind::Idle)}, "start ", true},
    {"active ends it", {Event(Kind::Idle), Event(Kind::Active)}, "start stop ", true},
    {"... and once it has ended, the next idle starts it again",
     {Event(Kind::Idle), Event(Kind::Active), Ended(0), Event(Kind::Idle)},
     "start stop start ",
     true},
    {"active before idle starts nothing", {Event(Kind::Active)}, "", false},
    {"held off, idle starts nothing", {Event(Kind::HeldOff, kVideo), Event(Kind::Idle)}, "", false},
    {"released while idle: a new period, then the saver",
     {Event(Kind::HeldOff, kVideo), Event(Kind::Idle), Event(Kind::Released, kVideo), Event(Kind::Idle)},
     "rearm start ",
     true},
    {"released while another still holds: nothing",
     {Event(Kind::HeldOff, kVideo), Event(Kind::HeldOff, kLogind), Event(Kind::Idle),
      Event(Kind::Released, kVideo)},
     "",
     false},
    {"released while active: no new period",
     {Event(Kind::HeldOff, kVideo), Event(Kind::Released, kVideo)},
     "",
     false},
    {"an inhibitor while the saver runs ends it, and no new period starts while it holds",
     {Event(Kind::Idle), Event(Kind::HeldOff, kVideo), Ended(0)},
     "start stop ",
     false},
    {"locked: the saver ends and none starts",
     {Event(Kind::Idle), Event(Kind::Locked, kLogind), Ended(0), Event(Kind::Idle)},
     "start stop ",
     false},
    {"unlocked while idle: a new period, then the saver",
     {Event(Kind::Locked, kLogind), Event(Kind::Idle), Event(Kind::Unlocked, kLogind), Event(Kind::Idle)},
     "rearm start ",
     true},
    {"a lock asked for ends the saver; the session is not taken as locked",
     {Event(Kind::Idle), Event(Kind::LockRequested), Ended(0)},
     "start stop rearm ",
     false},
    {"a saver that ends by itself while idle: a new period",
     {Event(Kind::Idle), Ended(0), Event(Kind::Idle)},
     "start rearm start ",
     true},
    {"a saver that fails is not started again before input and a new idle period",
     {Event(Kind::Idle), Ended(1), Event(Kind::Idle), Event(Kind::Active), Event(Kind::Idle)},
     "start start ",
     true},
    {"... nor one that a signal killed",
     {Event(Kind::Idle), Ended(std::nullopt), Event(Kind::Idle)},
     "start ",
     false},
    {"a saver asked to end is no failure, however it ends (killed before it could take the signal)",
     {Event(Kind::Idle), Event(Kind::Active), Ended(std::nullopt), Event(Kind::Idle)},
     "start stop start ",
     true},
    {"a saver that cannot be started waits for the next idle period",
     {kStartFails, Event(Kind::Idle), Event(Kind::Idle)},
     "start(fails) ",
     false},
    {"one saver at a time", {Event(Kind::Idle), Event(Kind::Idle)}, "start ", true},
    {"a signal ends the saver, and the watcher once it is gone",
     {Event(Kind::Idle), kSignal, Ended(0)},
     "start stop ",
     false,
     true},
    {"... and nothing starts after it", {kSignal, Event(Kind::Idle)}, "", false, true},
};

// Takes the step to the watcher, or to the fake saver.
void Take(const Step& step, CIdleWatcher& watcher, Recorder& recorder) {
    switch (step.what) {
        case Step::What::Event:
            watcher.Handle(step.event);
            break;
        case Step::What::SaverEnded:
            watcher.SaverEnded(step.status);
            break;
        case Step::What::Signal:
            watcher.Stop();
            break;
        case Step::What::StartFails:
            recorder.startFails = true;
            break;
    }
}

}  // namespace

TEST(IdleWatcher, DecidesWhenTheSaverRunsFromWhatTheSessionTells) {
    for (const auto& c : kWatcherCases) {
        Recorder recorder;
        CIdleWatcher watcher(kTimeout, recorder, recorder);
        watcher.Start();
        EXPECT_EQ(recorder.said, "arm ") << c.what;
        recorder.said.clear();
        for (const Step& step : c.steps) {
            Take(step, watcher, recorder);
        }
        EXPECT_EQ(recorder.said, c.said) << c.what;
        EXPECT_EQ(watcher.SaverRunning(), c.running) << c.what;
        EXPECT_EQ(watcher.Finished(), c.finished) << c.what;
    }
}
