#pragma once
// The running process as the program sees it: its command line and folder, other
// programs it starts, the instance flag, the current directory, ending at once, time.

#include <cstdint>
#include <string>
#include <string_view>

// <windows.h> defines a macro of this name; in a file that includes it first it would
// rename the member below there only.
#undef SetCurrentDirectory

namespace keldra::platform {

// Thrown by the simulated process where the real one would end, so that a test sees the
// exit code. Code that skips failing statements must let it pass untouched.
struct ProcessExit {
    int exitCode = 0;
};

// A local date and time, to the second.
struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

enum class StartWindow { Hidden, NormalFocus };

// How the user's regional settings write a date and a time, as Windows format pictures
// ("M/d/yyyy", "h:mm:ss tt") with the two designators of the 12-hour clock. Older
// versions stored dates in this form, so it is needed to read them back.
struct DateFormats {
    std::string shortDate = "M/d/yyyy";
    std::string longTime = "h:mm:ss tt";
    std::string am = "AM";
    std::string pm = "PM";
    friend bool operator==(const DateFormats&, const DateFormats&) = default;
};

class ProcessPort {
  public:
    virtual ~ProcessPort() = default;

    // The arguments after the program's own name, as one text.
    virtual std::string CommandLine() const = 0;
    // The folder the program file is in, without a trailing backslash.
    virtual std::string ProgramFolder() const = 0;
    // The program file's name without its folder and extension ("keldra").
    virtual std::string ProgramName() const = 0;
    // Starts a program without waiting for it; false when it could not be started (a
    // missing file shows no error box).
    virtual bool Start(std::string_view path, StartWindow window) = 0;
    // Whether another instance of the program was running when this one started.
    virtual bool PreviousInstance() const = 0;
    virtual bool SetCurrentDirectory(std::string_view path) = 0;
    virtual std::string CurrentDirectory() const = 0;
    // Ends the process at once: no unload handler, nothing after it runs.
    [[noreturn]] virtual void EndNow(int exitCode) = 0;
    // Keeps a fault while the process winds down from showing an error box.
    virtual void SetExitErrorMode() = 0;
    // Milliseconds since the system started; wraps after 49.7 days.
    virtual std::uint32_t TickCount() const = 0;
    virtual DateTime Now() const = 0;
    // The user's short date and long time formats.
    virtual DateFormats UserDateFormats() const = 0;
    // The user's digit-group separator ("," where the locale gives none).
    virtual std::string UserGroupSeparator() const = 0;
};

}  // namespace keldra::platform
