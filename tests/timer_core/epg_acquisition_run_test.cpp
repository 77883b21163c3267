// One run of the timed EPG acquisition over a scripted world: which viewers it starts on which
// devices, the order in which it polls them, what it posts for each Status it reads, when it
// gives up, and every pause it makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "timer_core/recording/epg_acquisition.h"

namespace timer_core {
namespace {

using Log = std::vector<std::string>;

// Viewers are numbered 100 + device. Kinds and Status values are read from scripts; a script's
// last value repeats, nullopt reads as unreadable.
class ScriptedPort : public EpgAcquisitionPort {
  public:
    TunerCounts tuners{1, 1};
    bool foreignViewer = false;
    std::map<int, std::optional<std::int32_t>> kindOfDevice;
    std::set<int> failingDevices;
    std::map<platform::DWORD, std::deque<std::optional<std::int32_t>>> statuses;
    // The pause (counted from 1) that the stop cuts short; 0: never stopped.
    int stopAtPause = 0;
    Log log;
    std::vector<std::wstring> debug;

    TunerCounts Tuners() override { return tuners; }
    bool IsAnyViewerRunning() override { return foreignViewer || !running_.empty(); }
    platform::DWORD StartViewer(int device) override {
        log.push_back("start " + std::to_string(device));
        if (failingDevices.contains(device)) return 0;
        const auto pid = static_cast<platform::DWORD>(100 + device);
        running_.insert(pid);
        return pid;
    }
    bool ReadTunerKind(platform::DWORD pid, std::int32_t* kind) override {
        const auto value = kindOfDevice[static_cast<int>(pid) - 100];
        if (value) *kind = *value;
        return value.has_value();
    }
    bool ReadStatus(platform::DWORD pid, std::int32_t* status) override {
        std::deque<std::optional<std::int32_t>>& script = statuses[pid];
        const std::optional<std::int32_t> value = script.empty() ? 0 : script.front();
        if (script.size() > 1) script.pop_front();
        log.push_back("status " + std::to_string(pid) + " " +
                      (value ? std::to_string(*value) : std::string("-")));
        if (value) *status = *value;
        return value.has_value();
    }
    void PostCaptureStart(platform::DWORD pid) override { Note("0x432", pid); }
    void PostViewerClose(platform::DWORD pid) override { Note("0x434", pid); }
    void CloseViewerWindow(platform::DWORD pid) override { Note("close window", pid); }
    void TerminateViewer(platform::DWORD pid) override {
        if (pid == 0) return;
        Note("terminate", pid);
        running_.erase(pid);
    }
    void EndViewer(platform::DWORD pid) override {
        Note("end", pid);
        running_.erase(pid);
    }
    void PostAcquired() override { log.push_back("0x474"); }
    void Debug(const std::wstring& line) override { debug.push_back(line); }
    bool Pause(platform::DWORD ms) override {
        log.push_back("pause " + std::to_string(ms));
        if (++pauses_ == stopAtPause) stopped_ = true;
        return stopped_;
    }
    bool Stopped() override { return stopped_; }
    void RememberWindowPositions() override { log.push_back("remember positions"); }
    void RestoreWindowPositions() override { log.push_back("restore positions"); }

    // The log without pauses and the bookends, for tests about what the run did.
    Log Actions() const {
        Log actions;
        for (const std::string& line : log) {
            if (line.starts_with("pause") || line.ends_with("positions")) continue;
            actions.push_back(line);
        }
        return actions;
    }
    int Count(const std::string& line) const {
        return static_cast<int>(std::count(log.begin(), log.end(), line));
    }

  private:
    void Note(const std::string& what, platform::DWORD pid) {
        log.push_back(what + " " + std::to_string(pid));
    }

    std::set<platform::DWORD> running_;
    int pauses_ = 0;
    bool stopped_ = false;
};

using Script = std::deque<std::optional<std::int32_t>>;

TEST(EpgAcquisitionRunTest, TwoTunersBsCsOnDeviceZeroArePolledTerrestrialFirstUntilBothFinish) {
    ScriptedPort port;
    port.kindOfDevice = {{0, 2}, {1, 1}};
    port.statuses[100] = Script{0, 1, 1, 3};  // BS/CS
    port.statuses[101] = Script{0, 1, 3};     // terrestrial
    RunEpgAcquisition(port, 42000);
    EXPECT_EQ(port.log, (Log{
                            "remember positions",
                            "pause 42000",  //
                            "start 0",
                            "pause 4000",
                            "start 1",
                            "pause 4000",   //
                            "pause 10000",  //
                            "status 101 0",
                            "0x432 101",
                            "status 100 0",
                            "0x432 100",
                            "pause 10000",  //
                            "status 101 1",
                            "status 100 1",
                            "pause 10000",
                            "status 101 3",
                            "0x434 101",
                            "terminate 101",
                            "status 100 1",
                            "pause 10000",  //
                            "status 100 3",
                            "0x434 100",
                            "terminate 100",
                            "0x474",
                            "terminate 101",
                            "terminate 100",
                            "restore positions",
                        }));
}

TEST(EpgAcquisitionRunTest, ASecondTerrestrialTunerIsClosedAndTheRunEndsWithoutBsCs) {
    ScriptedPort port;
    port.kindOfDevice = {{0, 1}, {1, 1}};
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Actions(),
              (Log{"start 0", "start 1", "0x434 101", "terminate 101", "0x474", "terminate 100"}));

    // With more devices the search goes on to the next one.
    ScriptedPort three;
    three.tuners = {2, 1};
    three.kindOfDevice = {{0, 1}, {1, 1}, {2, 2}};
    three.statuses[100] = Script{3};
    three.statuses[102] = Script{3};
    RunEpgAcquisition(three, 0);
    EXPECT_EQ(three.Actions(),
              (Log{"start 0", "start 1", "0x434 101", "terminate 101", "start 2", "status 100 3",
                   "0x434 100", "terminate 100", "status 102 3", "0x434 102", "terminate 102",
                   "0x474", "terminate 100", "terminate 102"}));
}

TEST(EpgAcquisitionRunTest, StatusBackToZeroAfterThreeCapturingReadsIsACancelWithoutReload) {
    ScriptedPort port;
    port.tuners = {1, 0};
    port.kindOfDevice = {{0, 1}};
    port.statuses[100] = Script{0, 0, 1, 1, 1, 0};
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Actions(), (Log{"start 0", "status 100 0", "0x432 100", "status 100 0",
                                   "0x432 100", "status 100 1", "status 100 1", "status 100 1",
                                   "status 100 0", "terminate 100"}));
    EXPECT_EQ(port.Count("0x474"), 0);
}

TEST(EpgAcquisitionRunTest, TheTerrestrialCountStartsAgainOnZeroTheBsCsCountGoesOn) {
    // A collection that keeps falling back to 0 between capturing reads.
    const Script flapping{0, 1, 0, 1, 0, 1, 0, 1, 3};
    ScriptedPort terrestrial;
    terrestrial.tuners = {1, 0};
    terrestrial.kindOfDevice = {{0, 1}};
    terrestrial.statuses[100] = flapping;
    RunEpgAcquisition(terrestrial, 0);
    EXPECT_EQ(terrestrial.Count("0x432 100"), 4);
    EXPECT_EQ(terrestrial.Count("0x474"), 1);

    ScriptedPort satellite;
    satellite.tuners = {0, 1};
    satellite.kindOfDevice = {{0, 2}};
    satellite.statuses[100] = flapping;
    RunEpgAcquisition(satellite, 0);
    EXPECT_EQ(satellite.Count("0x432 100"), 3);  // the fourth 0 follows three capturing reads
    EXPECT_EQ(satellite.Count("0x474"), 0);
    EXPECT_EQ(satellite.Actions().back(), "terminate 100");
}

TEST(EpgAcquisitionRunTest, ACollectionSlowToBeginIsNotCancelledByTheOtherTunersReads) {
    ScriptedPort port;
    port.kindOfDevice = {{0, 1}, {1, 2}};
    port.statuses[100] = Script{0, 1, 1, 1, 1, 3};
    port.statuses[101] = Script{0, 0, 0, 0, 1, 3};
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Count("0x432 101"), 4);
    EXPECT_EQ(port.Count("0x474"), 1);
}

TEST(EpgAcquisitionRunTest, SixUnreadableStatusReadsCloseTheViewerThroughItsWindow) {
    ScriptedPort port;
    port.tuners = {1, 0};
    port.kindOfDevice = {{0, 1}};
    port.statuses[100] = Script{std::nullopt};
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Actions(), (Log{"start 0", "status 100 -", "status 100 -", "status 100 -",
                                   "status 100 -", "status 100 -", "status 100 -",
                                   "close window 100", "terminate 100", "0x474", "terminate 100"}));
}

TEST(EpgAcquisitionRunTest, AViewerThatCannotBeStartedOrAskedEndsTheRunWithAReload) {
    ScriptedPort none;
    none.failingDevices = {0};
    RunEpgAcquisition(none, 0);
    EXPECT_EQ(none.Actions(), (Log{"start 0", "0x474"}));

    // Neither the viewer whose plug-in does not answer nor one that reports no tuner kind it
    // knows keeps its tuner after the run.
    ScriptedPort unreadable;
    unreadable.kindOfDevice = {{0, 1}, {1, std::nullopt}};
    RunEpgAcquisition(unreadable, 0);
    EXPECT_EQ(unreadable.Actions(), (Log{"start 0", "start 1", "close window 101", "terminate 101",
                                         "0x474", "terminate 100"}));

    ScriptedPort unknownKind;
    unknownKind.kindOfDevice = {{0, 0}};
    RunEpgAcquisition(unknownKind, 0);
    EXPECT_EQ(unknownKind.Actions(), (Log{"start 0", "0x434 100", "terminate 100", "0x474"}));
}

TEST(EpgAcquisitionRunTest, AViewerAlreadyRunningForARecordingCancelsTheRun) {
    ScriptedPort port;
    port.foreignViewer = true;
    RunEpgAcquisition(port, 1000);
    EXPECT_EQ(port.log, (Log{"remember positions", "pause 1000", "restore positions"}));
}

TEST(EpgAcquisitionRunTest, ATimeJustPassedStartsAtOnceAndAStopEndsTheRunWithoutReload) {
    ScriptedPort late;
    late.stopAtPause = 1;
    RunEpgAcquisition(late, -30000);
    EXPECT_EQ(late.log, (Log{"remember positions", "pause 0", "restore positions"}));

    // Stopped while the second viewer starts up: nothing more is started, asked or posted; the
    // first viewer is asked to close, the second, whose kind was never read, is ended.
    ScriptedPort stopped;
    stopped.kindOfDevice = {{0, 1}, {1, 2}};
    stopped.stopAtPause = 3;
    RunEpgAcquisition(stopped, 0);
    EXPECT_EQ(stopped.log, (Log{"remember positions", "pause 0", "start 0", "pause 4000", "start 1",
                                "pause 4000", "close window 100", "end 101", "terminate 100",
                                "restore positions"}));
}

TEST(EpgAcquisitionRunTest, AStopWhileCollectingAsksBothViewersToCloseWithoutAReload) {
    ScriptedPort port;
    port.kindOfDevice = {{0, 1}, {1, 2}};
    port.statuses[100] = Script{0, 1};
    port.statuses[101] = Script{0, 1};
    port.stopAtPause = 6;  // the delay, two starts, three poll cycles
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Count("0x474"), 0);
    const Log actions = port.Actions();
    const Log end(actions.end() - 4, actions.end());
    EXPECT_EQ(end, (Log{"close window 100", "close window 101", "terminate 100", "terminate 101"}));
}

// A plug-in that refuses the collection (no capture folder, say) answers the first request with
// Status 2: its kind is done and its viewer closed at once, the other kind goes on, and the run
// ends with a reload of what there is.
TEST(EpgAcquisitionRunTest, ARefusedCollectionIsAskedForOnceAndItsViewerClosed) {
    ScriptedPort port;
    port.kindOfDevice = {{0, 1}, {1, 2}};
    port.statuses[100] = Script{0, 2};
    port.statuses[101] = Script{0, 1, 1, 3};
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Count("0x432 100"), 1);
    EXPECT_EQ(port.Actions(),
              (Log{"start 0", "start 1", "status 100 0", "0x432 100", "status 101 0", "0x432 101",
                   "status 100 2", "0x434 100", "terminate 100", "status 101 1", "status 101 1",
                   "status 101 3", "0x434 101", "terminate 101", "0x474", "terminate 100",
                   "terminate 101"}));
    EXPECT_EQ(port.debug, std::vector<std::wstring>{L"EPG acquisition: the collection on "
                                                    L"FriioView 100 failed or was refused (Status "
                                                    L"2)"});
}

// Each way a run fails leaves one debug line that says what went wrong; a run that succeeds
// leaves none.
TEST(EpgAcquisitionRunTest, EveryFailureSaysWhyInTheDebugLog) {
    using Lines = std::vector<std::wstring>;
    const auto debugOf = [](ScriptedPort port) {
        RunEpgAcquisition(port, 0);
        return port.debug;
    };
    ScriptedPort good;
    good.kindOfDevice = {{0, 1}, {1, 2}};
    good.statuses[100] = Script{0, 3};
    good.statuses[101] = Script{0, 3};
    EXPECT_EQ(debugOf(good), Lines{});

    ScriptedPort port;
    port.failingDevices = {0};
    EXPECT_EQ(debugOf(port), Lines{L"EPG acquisition: FriioView did not start on device 0"});
    port = ScriptedPort{};
    port.kindOfDevice = {{0, 1}, {1, std::nullopt}};
    EXPECT_EQ(debugOf(port),
              Lines{L"EPG acquisition: FriioView 101 on device 1: its tuner kind cannot be read; "
                    L"closing it"});
    port = ScriptedPort{};
    port.kindOfDevice = {{0, 7}};
    EXPECT_EQ(debugOf(port),
              Lines{L"EPG acquisition: FriioView 100 on device 0 reports tuner kind 7; closing it"});
    port = ScriptedPort{};
    port.kindOfDevice = {{0, 1}, {1, 1}};
    EXPECT_EQ(debugOf(port), Lines{L"EPG acquisition: no BS/CS tuner among devices 0 to 1"});
    port = ScriptedPort{};
    port.foreignViewer = true;
    EXPECT_EQ(debugOf(port),
              Lines{L"EPG acquisition: a FriioView it did not start holds the terrestrial tuner; "
                    L"it ends"});

    port = ScriptedPort{};
    port.tuners = {1, 0};
    port.kindOfDevice = {{0, 1}};
    port.statuses[100] = Script{std::nullopt};
    EXPECT_EQ(debugOf(port),
              Lines{L"EPG acquisition: the Status of FriioView 100 cannot be read; closing it"});
    port.statuses[100] = Script{0, 1, 1, 1, 0};
    EXPECT_EQ(debugOf(port),
              Lines{L"EPG acquisition: the collection on FriioView 100 was cancelled"});
    port.statuses[100] = Script{0, 1, 9};
    EXPECT_EQ(debugOf(port),
              Lines{L"EPG acquisition: the collection on FriioView 100 ended with Status 9"});
    port.statuses[100] = Script{0, 1};
    port.stopAtPause = 4;  // the delay, the start, two poll cycles
    EXPECT_EQ(debugOf(port), Lines{L"EPG acquisition: stopped before it ended; closing its viewers"});
}

TEST(EpgAcquisitionRunTest, WithoutTunersOfAKindTheRunDoesNotWaitForIt) {
    ScriptedPort port;
    port.tuners = {0, 0};
    port.kindOfDevice = {{0, 1}};
    RunEpgAcquisition(port, 0);
    EXPECT_EQ(port.Actions(), (Log{"start 0", "0x474", "terminate 100"}));
}

}  // namespace
}  // namespace timer_core
