// keldra_driver.exe: plays the first-time user for the demo run. Starts the installed
// program, takes pictures of its windows, closes the welcome window, brings the main
// window back from the tray once during the pass, and waits for the program to end.
//
//   keldra_driver.exe "<program folder>" <artifacts folder>
//
// Exit code: the program's, or 90 + a step number when a step timed out.
#include <cstdio>
#include <string>

#include "automation.h"

namespace {

using namespace keldra::e2e;

void Say(const char* what) {
    std::printf("driver: %s\n", what);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: keldra_driver <program folder> <artifacts folder>\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring artifacts = argv[2];
    CreateDirectoryW(artifacts.c_str(), nullptr);

    Program keldra(L"\"" + folder + L"\\keldra.exe\"");
    if (!keldra.Started()) {
        Say("could not start keldra.exe");
        return 91;
    }
    Say("started keldra.exe");
    HWND welcome = nullptr;
    if (WaitUntil(
            [&] {
                return (welcome = ProgramWindowWith(keldra.Id(), LangText(folder, "OWM_3"))) !=
                       nullptr;
            },
            30)) {
        WaitUntil([&] { return IsWindowVisible(welcome) != FALSE; }, 5);
        Sleep(500);
        SaveScreenshot(welcome, artifacts + L"\\welcome.bmp");
        Say("closing the welcome window, as a user would");
        PostMessageW(welcome, WM_CLOSE, 0, 0);
    } else {
        Say("no welcome window (already seen)");
    }
    // During the pass the window waits hidden; one look at it from the tray.
    HWND main = nullptr;
    if (WaitUntil(
            [&] {
                main = ProgramWindowWith(keldra.Id(), LangText(folder, "OCM_FB"));
                return main != nullptr && IsWindowVisible(main) == FALSE;
            },
            30) &&
        ClickTrayIcon(keldra.Id())) {
        Say("opened the window from the tray icon");
        if (WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5)) {
            Sleep(1500);
            SaveScreenshot(main, artifacts + L"\\main-during-pass.bmp");
        }
    }
    // What the pass found, read off the result rows the moment the last one shows (the
    // program may fix and end right after).
    if (main != nullptr) {
        HWND registryRow = ChildWithText(main, LangText(folder, "OCM_PStat"));
        HWND diskRow = ChildWithText(main, LangText(folder, "OCM_MStat"));
        const auto shown = [](HWND row) {
            return row != nullptr && (GetWindowLongW(row, GWL_STYLE) & WS_VISIBLE) != 0;
        };
        if (WaitUntil([&] { return shown(diskRow) || !keldra.Running(); }, 600) &&
            keldra.Running()) {
            std::printf("driver: found: registry \"%ls\", junk \"%ls\"\n",
                        TextOf(registryRow).c_str(), TextOf(diskRow).c_str());
        }
    }
    Say("waiting for the pass to fix and end");
    const long code = keldra.ExitCode(600);
    if (code < 0) {
        Say("the program did not end in time");
        return 93;
    }
    std::printf("driver: keldra.exe ended with exit code %ld\n", code);
    return static_cast<int>(code);
}
