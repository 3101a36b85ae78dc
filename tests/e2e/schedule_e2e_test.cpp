// Scheduled maintenance with the real keldra.exe: switched on in the scheduler window,
// registered for logon, and a start with "-auto" that waits in the tray for its minute and
// can be brought back from there meanwhile.
// Slow: it waits for the wall clock to reach the start minute.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace keldra::e2e {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunName = L"Keldra Maintenance";

void RemoveRunEntries() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        UniqueHKey key;
        if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
            RegDeleteValueW(key.get(), kRunName);
        }
    }
}

// Minutes since midnight and the second, of the local time.
struct ClockTime {
    int minuteOfDay;
    int second;
};

ClockTime LocalNow() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wHour * 60 + t.wMinute, t.wSecond};
}

// The children of a window of one class, left to right.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className) {
    std::vector<HWND> found;
    for (HWND child : Children(parent)) {
        if (_wcsicmp(ClassOf(child).c_str(), className.c_str()) == 0) {
            found.push_back(child);
        }
    }
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return found;
}

// The first child whose text begins with `prefix`, or nullptr.
HWND ChildStartingWith(HWND parent, const std::wstring& prefix) {
    for (HWND child : Children(parent)) {
        if (TextOf(child).rfind(prefix, 0) == 0) {
            return child;
        }
    }
    return nullptr;
}

void SetText(HWND control, const std::wstring& text) {
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

class EndToEndSchedule : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "needs a display (run under Xvfb: with-sandbox.sh --display)";
        }
        ResetSettings();
        RemoveRunEntries();
    }
    void TearDown() override {
        ResetSettings();
        RemoveRunEntries();
    }

    // "Scheduler...": the box ticked registers the logon start.
    void SwitchOnInTheScheduler(const Program& first, HWND main, HWND& scheduler) const {
        Click(ChildWithText(main, Lang("OCM_Sched")));
        ASSERT_TRUE(WaitUntil(
            [&] {
                scheduler = ProgramWindowWith(first.Id(), Lang("OCM_ESM"));
                return scheduler != nullptr && IsWindowVisible(scheduler) != FALSE;
            },
            10))
            << "the scheduler window";
        EXPECT_EQ(TextOf(scheduler), Lang("OSM_SCap"));
        Click(ChildWithText(scheduler, Lang("OCM_ESM")));
        ASSERT_TRUE(WaitUntil([] { return Setting(L"AutoMaint") == L"1"; }, 10));
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunName), registered_)
            << "the logon start, for the machine (the sandbox user may write it)";
    }

    // The start set three minutes ahead, after typing over the hour; the window closed.
    void SetTheStartThreeMinutesAhead(HWND scheduler) {
        const std::vector<HWND> boxes = ChildrenOfClass(scheduler, L"Edit");
        ASSERT_EQ(boxes.size(), 2u) << "the hour and minute boxes";
        // Typing over the hour: the letter is dropped and the caret stays where the user types.
        SendMessageTimeoutW(boxes[0], EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, nullptr);
        for (const wchar_t key : std::wstring(L"1a5")) {
            SendMessageTimeoutW(boxes[0], WM_CHAR, key, 1, SMTO_ABORTIFHUNG, 5000, nullptr);
        }
        EXPECT_EQ(TextOf(boxes[0]), L"15");
        EXPECT_TRUE(WaitUntil([] { return Setting(L"Hour") == L"15"; }, 5));

        start_ = LocalNow().minuteOfDay + 3;
        const std::wstring hour = std::to_wstring(start_ / 60);
        const std::wstring minute = std::to_wstring(start_ % 60);
        SetText(boxes[0], hour);
        SetText(boxes[1], minute);
        ASSERT_TRUE(
            WaitUntil([&] { return Setting(L"Hour") == hour && Setting(L"Min") == minute; }, 10));
        Sleep(300);
        Screenshot(scheduler, L"scheduler.bmp");
        PostMessageW(scheduler, WM_CLOSE, 0, 0);
    }

    // Closing armed today's start in this program too; Cancel ends it.
    static void CancelEndsTheArmedProgram(const Program& first, HWND main) {
        HWND scanNow = ChildWithText(main, Lang("OSM_SN"));
        ASSERT_NE(scanNow, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return HasVisibleStyle(scanNow); }, 10))
            << "\"Scan Now\" shown";
        Click(ChildWithText(main, Lang("OSM_SE")));
        ASSERT_EQ(first.ExitCode(10), 0) << "Cancel ends the first program";
        EXPECT_EQ(Setting(L"Type"), L"0");
        EXPECT_EQ(Setting(L"AutoSchedule"), L"1");
    }

    // The logon start shows its countdown and goes to the tray, without a welcome.
    static void WaitsInTheTray(const Program& atLogon, HWND& waiting, HWND& countdown) {
        ASSERT_TRUE(WaitUntil(
            [&] { return (waiting = ProgramWindowWith(atLogon.Id(), Lang("OCM_FB"))) != nullptr; },
            10));
        EXPECT_TRUE(WaitUntil(
            [&] { return (countdown = ChildStartingWith(waiting, Lang("OCM_SMC"))) != nullptr; },
            10))
            << "the countdown";
        if (countdown != nullptr) {
            const std::wstring text = TextOf(countdown);
            EXPECT_NE(text.find(Lang("OCM_SMH")), std::wstring::npos) << text.c_str();
        }
        EXPECT_TRUE(HasVisibleStyle(ChildWithText(waiting, Lang("OSM_SN")))) << "\"Scan Now\"";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(waiting) == FALSE; }, 10))
            << "it waits in the tray";
        EXPECT_EQ(ProgramWindowWith(atLogon.Id(), Lang("OWM_3")), nullptr) << "no welcome window";
    }

    // A click on the tray icon brings the window back while the start waits, and it stays:
    // "Scan Now" in reach and the countdown going on.
    void TheTrayBringsItBack(const Program& atLogon, HWND waiting, HWND countdown) const {
        ASSERT_TRUE(ClickTrayIcon(atLogon.Id()));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(waiting) != FALSE; }, 10))
            << "shown from the tray";
        HWND scanNowWaiting = ChildWithText(waiting, Lang("OSM_SN"));
        ASSERT_NE(scanNowWaiting, nullptr);
        ASSERT_NE(countdown, nullptr);
        Sleep(1500);
        EXPECT_TRUE(IsWindowVisible(waiting)) << "not hidden again by its activation";
        EXPECT_TRUE(IsWindowVisible(scanNowWaiting)) << "\"Scan Now\" visible";
        const std::wstring before = TextOf(countdown);
        Screenshot(waiting, L"main-waiting.bmp");
        Sleep(61 * 1000);
        EXPECT_TRUE(IsWindowVisible(waiting)) << "still shown a minute later";
        EXPECT_TRUE(IsWindowVisible(scanNowWaiting));
        const std::wstring after = TextOf(countdown);
        EXPECT_NE(after, before) << "the countdown goes on: " << after.c_str();
        EXPECT_EQ(after.rfind(Lang("OCM_SMC"), 0), 0u) << after.c_str();
        ASSERT_LT(LocalNow().minuteOfDay, start_) << "the start minute must not have come yet";
    }

    // It runs at the start minute, fixes whatever the check box says, and ends.
    void RunsAtTheStartMinuteAndEnds(const Program& atLogon) const {
        EXPECT_TRUE(atLogon.Running());
        EXPECT_EQ(atLogon.ExitCode(4 * 60), 0);
        const ClockTime ended = LocalNow();
        EXPECT_GE(ended.minuteOfDay, start_) << "not before the start minute";
        EXPECT_LE(ended.minuteOfDay, start_ + 1) << "within the start minute, with its pass";

        // The last run is the start of that pass, in the fixed form; a run started right at a
        // minute's end may store the next minute.
        const std::wstring lastRun = Setting(L"LastRun");
        ASSERT_EQ(lastRun.size(), 19u) << lastRun.c_str();
        const int storedMinute =
            std::stoi(lastRun.substr(11, 2)) * 60 + std::stoi(lastRun.substr(14, 2));
        EXPECT_GE(storedMinute, start_) << lastRun.c_str();
        EXPECT_LE(storedMinute, start_ + 1) << lastRun.c_str();
        EXPECT_EQ(lastRun[4], L'-');
        EXPECT_EQ(lastRun[10], L' ');
    }

    const std::wstring registered_ = L"\"" + Beside(L"keldra.exe") + L"\" -auto";
    int start_ = 0;  // the start minute, minutes since midnight
};

TEST_F(EndToEndSchedule, SwitchedOnItRegistersTheLogonStartWhichWaitsRunsFixesAndEnds) {
    // The start minute lies three minutes ahead, which leaves a minute to watch the
    // countdown; close to midnight, wait for the new day so that it is still today's.
    if (LocalNow().minuteOfDay >= 23 * 60 + 55) {
        ASSERT_TRUE(WaitUntil([] { return LocalNow().minuteOfDay < 60; }, 6 * 60));
    }
    StoreSetting(L"AutoFix", L"0");
    StoreSetting(L"WelcScreen", L"1");

    // A normal start: the pass runs at once and the window waits, hidden.
    Program first(Command());
    ASSERT_TRUE(first.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (main = ProgramWindowWith(first.Id(), Lang("OCM_FB"))) != nullptr; }, 20));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(ChildWithText(main, Lang("OCM_FB"))); }, 60))
        << "the pass ends";

    HWND scheduler = nullptr;
    ASSERT_NO_FATAL_FAILURE(SwitchOnInTheScheduler(first, main, scheduler));
    ASSERT_NO_FATAL_FAILURE(SetTheStartThreeMinutesAhead(scheduler));
    ASSERT_NO_FATAL_FAILURE(CancelEndsTheArmedProgram(first, main));

    // Windows starts the program at logon with the registered command line.
    const std::wstring command = ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunName);
    ASSERT_EQ(command, registered_);
    Program atLogon(command);
    ASSERT_TRUE(atLogon.Started());
    ASSERT_TRUE(WaitUntil([&] { return !TopWindows(atLogon.Id(), L"KeldraTrayHost").empty(); }, 20))
        << "the tray icon";
    HWND waiting = nullptr;
    HWND countdown = nullptr;
    ASSERT_NO_FATAL_FAILURE(WaitsInTheTray(atLogon, waiting, countdown));
    ASSERT_NO_FATAL_FAILURE(TheTrayBringsItBack(atLogon, waiting, countdown));
    RunsAtTheStartMinuteAndEnds(atLogon);
}

TEST_F(EndToEndSchedule, WithTheScheduleOffALogonStartEndsAtOnceWithoutAWindow) {
    StoreSetting(L"AutoMaint", L"0");
    Program atLogon(Command() + L" -auto");
    ASSERT_TRUE(atLogon.Started());
    bool shown = false;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows(atLogon.Id(), L"KeldraWindow")) {
                shown = shown || IsWindowVisible(w) != FALSE;
            }
            return !atLogon.Running();
        },
        20);
    EXPECT_EQ(atLogon.ExitCode(1), 0);
    EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace keldra::e2e
