// Helper program of the process cases. Without a known option it writes what it sees to
// "helper-ran.txt" in its current directory; with one it answers by its exit code.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/win32/win32_language.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_ui.h"

namespace {

using keldra::platform::win32::Win32Process;

void WriteAtExitMarker() {
    std::ofstream("atexit-ran.txt") << "ran\n";
}

int Report() {
    const Win32Process process(L"Local\\KeldraAdapterHelper.Report");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    std::ofstream out("helper-ran.txt", std::ios::binary);
    out << "cmdline=" << process.CommandLine() << "\n"
        << "folder=" << process.ProgramFolder() << "\n"
        << "name=" << process.ProgramName() << "\n"
        << "show="
        << ((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? static_cast<int>(startup.wShowWindow)
                                                          : -1)
        << "\n";
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring option = count > 1 ? args[1] : L"";
    const std::wstring value = count > 2 ? args[2] : L"";
    LocalFree(args);
    if (option == L"--instance") {
        // 1 if another holder of the named mutex was there first.
        const Win32Process process(value);
        return process.PreviousInstance() ? 1 : 0;
    }
    if (option == L"--lang") {
        // 0 if the default search found "Fix problems" for OCM_FB, 1 if nothing, 2 if
        // something else.
        keldra::platform::win32::Win32Language language;
        keldra::platform::LanguagePort::Buffer buffer{};
        if (!language.GetValueForID("OCM_FB", buffer)) {
            return 1;
        }
        return std::string(buffer.data()) == "Fix problems" ? 0 : 2;
    }
    if (option == L"--end-now") {
        std::atexit(&WriteAtExitMarker);
        Win32Process process(L"Local\\KeldraAdapterHelper.EndNow");
        process.EndNow(std::stoi(value));
    }
    if (option == L"--handler-exit") {
        // A click handler throws ProcessExit: the window procedure must end the process
        // with its code rather than swallow it.
        std::atexit(&WriteAtExitMarker);
        keldra::platform::win32::Win32Ui ui;
        auto window = ui.NewWindow("frmHelper", {});
        auto& button = window->AddControl(keldra::platform::ui::ControlKind::Button, "cmd",
                                          {0, 0, 1500, 375}, "Exit", {});
        const int code = std::stoi(value);
        button.OnClick = [code] { throw keldra::platform::ProcessExit{code}; };
        window->Show();
        SendMessageW(static_cast<keldra::platform::win32::Win32Control&>(button).Handle(), BM_CLICK,
                     0, 0);
        return 99;
    }
    return Report();
}
