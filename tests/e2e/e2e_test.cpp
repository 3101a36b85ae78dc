// The real keldra.exe in the sandbox prefix, driven from outside the way a user meets it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e_support.h"

namespace keldra::e2e {
namespace {

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "needs a display (run under Xvfb: with-sandbox.sh --display)";
        }
        ResetSettings();
    }
    void TearDown() override { ResetSettings(); }
};

TEST_F(EndToEnd, AFirstStartWelcomesRunsHiddenAndShowsTheResultsFromTheTray) {
    StoreSetting(L"AutoFix", L"0");
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());

    HWND welcome = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (welcome = ProgramWindowWith(keldra.Id(), Lang("OWM_3"))) != nullptr; }, 20))
        << "the welcome window";
    HWND main = ProgramWindowWith(keldra.Id(), Lang("OCM_FB"));
    ASSERT_NE(main, nullptr) << "the main window";
    EXPECT_EQ(TextOf(main), Lang("OCM_MCap"));
    EXPECT_NE(ChildWithText(main, Lang("OCM_lblProc1")), nullptr);
    EXPECT_NE(ChildWithText(main, Lang("OCM_PStat")), nullptr) << "texts come from lang.dll";
    EXPECT_NE(ChildWithText(welcome, Lang("OWM_1")), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(welcome) != FALSE; }, 5));
    Screenshot(welcome, L"welcome.bmp");

    // The user closes the welcome window; the window hides and the pass runs.
    PostMessageW(welcome, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }, 10));
    EXPECT_FALSE(TopWindows(keldra.Id(), L"KeldraTrayHost").empty()) << "the tray icon's host";
    // The pass: the memory stage starts the optimiser three times, then the program
    // pauses two seconds after each of the first three stages. From the first result row
    // on, the time is two of those pauses and the stages between them.
    // The rows are found once by their first captions and then watched through their
    // style alone: reading texts would send the program messages and cost it the very
    // processor time measured here.
    HWND memoryRow = ChildWithText(main, Lang("OCM_DoneStat"));
    HWND diskRow = ChildWithText(main, Lang("OCM_MStat"));
    ASSERT_NE(memoryRow, nullptr);
    ASSERT_NE(diskRow, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return HasVisibleStyle(memoryRow); }, 30)) << "the memory row";
    const double cpuBefore = keldra.CpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return HasVisibleStyle(diskRow); }, 30))
        << "the pass ends with the disk row";
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double cpu = keldra.CpuSeconds() - cpuBefore;
    RecordProperty("pauses_wall_seconds", std::to_string(wall));
    RecordProperty("pauses_cpu_seconds", std::to_string(cpu));
    std::printf("two pauses: %.2f s wall, %.3f s processor\n", wall, cpu);
    EXPECT_GE(wall, 3.5) << "two pauses of two seconds";
    EXPECT_LT(cpu, wall / 4) << "the pauses must sleep, not spin";

    // Back from the tray: the four result rows.
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    for (const char* id : {"OCM_DoneStat", "OCM_DoneNS"}) {
        HWND row = ChildWithText(main, Lang(id));
        ASSERT_NE(row, nullptr) << id;
        EXPECT_TRUE(IsWindowVisible(row)) << id;
    }
    // The registry row: whatever dead references the fresh prefix holds, or none.
    HWND registryRow = ChildWithText(main, Lang("OCM_DoneNP"));
    if (registryRow == nullptr) {
        registryRow = ChildEndingWith(main, Lang("OCM_PStat"));
    }
    ASSERT_NE(registryRow, nullptr);
    EXPECT_TRUE(IsWindowVisible(registryRow));
    HWND fix = ChildWithText(main, Lang("OCM_FB"));
    EXPECT_TRUE(IsWindowEnabled(fix));
    Sleep(300);  // let it paint
    Screenshot(main, L"main.bmp");

    Click(ChildWithText(main, Lang("OSM_SE")));
    EXPECT_EQ(keldra.ExitCode(10), 0) << "Cancel ends with 0";
}

TEST_F(EndToEnd, ASecondStartReportsTheRunningInstanceAndEnds) {
    StoreSetting(L"AutoFix", L"0");
    StoreSetting(L"WelcScreen", L"1");
    Program first(Command());
    ASSERT_TRUE(WaitUntil([&] { return !TopWindows(first.Id(), L"KeldraTrayHost").empty(); }, 20));

    Program second(Command());
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            // The box exists a moment before its text does.
            const auto boxes = TopWindows(second.Id(), L"#32770");
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr && GetDlgItem(box, 0xFFFF) != nullptr &&
                   !TextOf(GetDlgItem(box, 0xFFFF)).empty();
        },
        20))
        << "the message box of the second instance";
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), Lang("OSM_PrevInst"));
    EXPECT_EQ(TextOf(box), Lang("OCM_MCap"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.ExitCode(10), 0);
    EXPECT_TRUE(first.Running()) << "the running instance is not touched";

    HWND main = ProgramWindowWith(first.Id(), Lang("OCM_FB"));
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.ExitCode(10), 0) << "closing ends with 0";
}

TEST_F(EndToEnd, WithAutomaticFixingTheFirstStartEndsByItself) {
    Program keldra(Command());
    HWND welcome = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (welcome = ProgramWindowWith(keldra.Id(), Lang("OWM_3"))) != nullptr; }, 20));
    PostMessageW(welcome, WM_CLOSE, 0, 0);
    EXPECT_EQ(keldra.ExitCode(40), 0);
}

}  // namespace
}  // namespace keldra::e2e
