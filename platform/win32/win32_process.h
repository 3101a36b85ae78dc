#pragma once
// The process port over the wide Win32 functions. The instance flag comes from a named
// mutex created by the constructor and held for the object's life: a second copy of the
// program finds it already there.

#include <string>
#include <string_view>
#include <utility>

// First: it undefines the <windows.h> macro named like a member of the port.
#include "platform/win32/handles.h"

#include "platform/process_port.h"

namespace keldra::platform::win32 {

// The program's instance mutex. "Local\" keeps it to the user's session, so that another
// user of the same machine is not told the program is running.
inline constexpr std::wstring_view kInstanceMutexName = L"Local\\KeldraMaintenance.Instance";

class Win32Process final : public ProcessPort {
  public:
    // Tests pass a name of their own so that runs side by side do not see each other.
    explicit Win32Process(std::wstring_view instanceMutexName = kInstanceMutexName);
    Win32Process(const Win32Process&) = delete;
    Win32Process& operator=(const Win32Process&) = delete;

    std::string CommandLine() const override;
    std::string ProgramFolder() const override;
    std::string ProgramName() const override;
    bool Start(std::string_view path, StartWindow window) override;
    bool PreviousInstance() const override { return previousInstance_; }
    bool SetCurrentDirectory(std::string_view path) override;
    std::string CurrentDirectory() const override;
    [[noreturn]] void EndNow(int exitCode) override;
    void SetExitErrorMode() override;
    std::uint32_t TickCount() const override;
    DateTime Now() const override;
    DateFormats UserDateFormats() const override;
    std::string UserGroupSeparator() const override;

  private:
    UniqueKernelHandle instanceMutex_;
    bool previousInstance_ = false;
};

// The arguments part of a command line as Windows hands it over: the program name (quoted
// or not) and the blanks after it are dropped.
std::wstring_view ArgumentsOf(std::wstring_view commandLine);

// The full path of the program file; empty if unknown.
std::wstring ProgramFilePath();

// The folder of the program file, without a trailing backslash; empty if unknown.
std::wstring ProgramFolderPath();

// Ends the process with the code at once, as EndNow does.
[[noreturn]] void TerminateNow(int exitCode) noexcept;

// Runs a handler of the logic from a window procedure or another Win32 callback, where no
// exception may unwind into Windows. An exception the logic left unhandled is dropped, as
// an event handler's failure should not take the program down; a ProcessExit means the
// logic wanted the process to end, so it ends.
template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const ProcessExit& exit) {
        TerminateNow(exit.exitCode);
    } catch (...) {
        OutputDebugStringW(L"Keldra: an event handler failed; the event was dropped\n");
    }
}

}  // namespace keldra::platform::win32
