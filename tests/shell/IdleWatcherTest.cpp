#include "shell/IdleWatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = IdleNews::Kind;
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

// One step of a case: news from the session, the saver's end, or a signal.
struct Step {
    enum class What { News, SaverEnded, Signal, StartFails } what;
    IdleNews news{Kind::Idle};
    std::optional<int> status;
};
Step News(Kind kind, unsigned holder = 0) {
    return {Step::What::News, IdleNews::Of(kind, holder), std::nullopt};
}
Step Ended(std::optional<int> status) {
    return {Step::What::SaverEnded, IdleNews::Of(Kind::Idle), status};
}
const Step kSignal{Step::What::Signal, IdleNews::Of(Kind::Idle), std::nullopt};
const Step kStartFails{Step::What::StartFails, IdleNews::Of(Kind::Idle), std::nullopt};

}  // namespace

TEST(IdleWatcher, DecidesWhenTheSaverRunsFromWhatTheSessionTells) {
    const struct {
        const char* what;
        std::vector<Step> steps;
        const char* said;  // what the watcher asked, in order, after the first arm (from the last input)
        bool running;
        bool finished = false;
    } cases[] = {
        {"idle starts the saver", {News(Kind::Idle)}, "start ", true},
        {"active ends it", {News(Kind::Idle), News(Kind::Active)}, "start stop ", true},
        {"... and once it has ended, the next idle starts it again",
         {News(Kind::Idle), News(Kind::Active), Ended(0), News(Kind::Idle)},
         "start stop start ",
         true},
        {"active before idle starts nothing", {News(Kind::Active)}, "", false},
        {"held off, idle starts nothing", {News(Kind::HeldOff, kVideo), News(Kind::Idle)}, "", false},
        {"released while idle: a new period, then the saver",
         {News(Kind::HeldOff, kVideo), News(Kind::Idle), News(Kind::Released, kVideo), News(Kind::Idle)},
         "rearm start ",
         true},
        {"released while another still holds: nothing",
         {News(Kind::HeldOff, kVideo), News(Kind::HeldOff, kLogind), News(Kind::Idle),
          News(Kind::Released, kVideo)},
         "",
         false},
        {"released while active: no new period",
         {News(Kind::HeldOff, kVideo), News(Kind::Released, kVideo)},
         "",
         false},
        {"an inhibitor while the saver runs ends it, and no new period starts while it holds",
         {News(Kind::Idle), News(Kind::HeldOff, kVideo), Ended(0)},
         "start stop ",
         false},
        {"locked: the saver ends and none starts",
         {News(Kind::Idle), News(Kind::Locked, kLogind), Ended(0), News(Kind::Idle)},
         "start stop ",
         false},
        {"unlocked while idle: a new period, then the saver",
         {News(Kind::Locked, kLogind), News(Kind::Idle), News(Kind::Unlocked, kLogind), News(Kind::Idle)},
         "rearm start ",
         true},
        {"a lock asked for ends the saver; the session is not taken as locked",
         {News(Kind::Idle), News(Kind::LockRequested), Ended(0)},
         "start stop rearm ",
         false},
        {"a saver that ends by itself while idle: a new period",
         {News(Kind::Idle), Ended(0), News(Kind::Idle)},
         "start rearm start ",
         true},
        {"a saver that fails is not started again before input and a new idle period",
         {News(Kind::Idle), Ended(1), News(Kind::Idle), News(Kind::Active), News(Kind::Idle)},
         "start start ",
         true},
        {"... nor one that a signal killed",
         {News(Kind::Idle), Ended(std::nullopt), News(Kind::Idle)},
         "start ",
         false},
        {"a saver asked to end is no failure, however it ends (killed before it could take the signal)",
         {News(Kind::Idle), News(Kind::Active), Ended(std::nullopt), News(Kind::Idle)},
         "start stop start ",
         true},
        {"a saver that cannot be started waits for the next idle period",
         {kStartFails, News(Kind::Idle), News(Kind::Idle)},
         "start(fails) ",
         false},
        {"one saver at a time", {News(Kind::Idle), News(Kind::Idle)}, "start ", true},
        {"a signal ends the saver, and the watcher once it is gone",
         {News(Kind::Idle), kSignal, Ended(0)},
         "start stop ",
         false,
         true},
        {"... and nothing starts after it", {kSignal, News(Kind::Idle)}, "", false, true},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        CIdleWatcher watcher(kTimeout, recorder, recorder);
        watcher.Start();
        EXPECT_EQ(recorder.said, "arm ") << c.what;
        recorder.said.clear();
        for (const Step& step : c.steps) {
            switch (step.what) {
                case Step::What::News:
                    watcher.Notice(step.news);
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
        EXPECT_EQ(recorder.said, c.said) << c.what;
        EXPECT_EQ(watcher.SaverRunning(), c.running) << c.what;
        EXPECT_EQ(watcher.Finished(), c.finished) << c.what;
    }
}
