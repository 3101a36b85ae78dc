// The process port over Win32: command line, folders, starting programs, the instance flag,
// ending at once, time.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/win32_process.h"
#include "schedule/last_run.h"
#include "support.h"

namespace keldra::testing {
namespace {

using platform::StartWindow;
using platform::win32::ArgumentsOf;
using platform::win32::UniqueKernelHandle;
using platform::win32::Win32Process;

// Every case has a mutex name of its own, so that runs side by side do not meet.
std::wstring UniqueMutexName(std::wstring_view what) {
    return L"Local\\KeldraAdapterTest." + std::wstring(what) + L"." +
           std::to_wstring(GetCurrentProcessId());
}

std::filesystem::path Helper() {
    return BesideProgram(L"keldra_adapter_helper.exe");
}

TEST(Win32Process, ArgumentsFollowTheProgramNameQuotedOrNot) {
    EXPECT_EQ(ArgumentsOf(LR"("C:\Program Files\Keldra\keldra.exe" -auto x)"), L"-auto x");
    EXPECT_EQ(ArgumentsOf(LR"(C:\keldra\keldra.exe -auto x)"), L"-auto x");
    EXPECT_EQ(ArgumentsOf(L"keldra.exe \t  -auto  x "), L"-auto  x ") << "only leading blanks go";
    EXPECT_EQ(ArgumentsOf(LR"("C:\a b\keldra.exe")"), L"");
    EXPECT_EQ(ArgumentsOf(L"keldra.exe"), L"");
    EXPECT_EQ(ArgumentsOf(L""), L"");
    // The name runs to the first blank outside quotes, as the C runtime reads argv[0].
    EXPECT_EQ(ArgumentsOf(LR"("C:\a b"\k.exe "q r")"), LR"("q r")");
}

TEST(Win32Process, CommandLineAndFolderOfAProgramInANonAsciiFolderWithBlanks) {
    const TempFolder folder(L"Programme für Prüfung");
    const auto copy = folder.Path() / L"keldra helper.exe";
    std::filesystem::copy_file(Helper(), copy);
    ASSERT_EQ(RunAndWait(copy, L"-auto x", folder.Path()), 0);
    const std::string report = ReadFile(folder.Path() / "helper-ran.txt");
    EXPECT_EQ(ReportValue(report, "cmdline"), "-auto x");
    EXPECT_EQ(ReportValue(report, "folder"), folder.Utf8());
    EXPECT_EQ(ReportValue(report, "name"), "keldra helper");
}

TEST(Win32Process, ProgramFolderIsTheRunningProgramsFolderWithoutTrailingBackslash) {
    const Win32Process process(UniqueMutexName(L"Folder"));
    const std::string folder = process.ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(
        std::filesystem::exists(std::filesystem::path(Wide(folder)) / L"keldra_adapter_tests.exe"));
    EXPECT_EQ(std::filesystem::path(Wide(folder)), ProgramFolder());
}

TEST(Win32Process, StartRunsAProgramWithTheRequestedWindowAndNoArguments) {
    const CurrentDirectoryGuard restore;
    Win32Process process(UniqueMutexName(L"Start"));
    for (const auto& [window, show] : {std::pair{StartWindow::Hidden, SW_HIDE},
                                       std::pair{StartWindow::NormalFocus, SW_SHOWNORMAL}}) {
        // The child inherits the current directory, where it leaves its report.
        const TempFolder folder(L"start");
        ASSERT_TRUE(process.SetCurrentDirectory(folder.Utf8()));
        ASSERT_TRUE(process.Start(Narrow(Helper().wstring()), window));
        ASSERT_TRUE(WaitForFile(folder.Path() / "helper-ran.txt", 10000))
            << "the started program left no report within 10 s";
        const std::string report = ReadFile(folder.Path() / "helper-ran.txt");
        EXPECT_EQ(ReportValue(report, "cmdline"), "");
        EXPECT_EQ(ReportValue(report, "show"), std::to_string(show));
        ASSERT_TRUE(process.SetCurrentDirectory(Narrow(ProgramFolder().wstring())));
    }
}

TEST(Win32Process, StartOfAMissingProgramFailsAtOnceWithoutABox) {
    Win32Process process(UniqueMutexName(L"Missing"));
    // An error box would block this thread until someone closed it: the time shows none.
    const DWORD start = GetTickCount();
    EXPECT_FALSE(process.Start("C:\\keldra-nowhere\\missing.exe", StartWindow::Hidden));
    EXPECT_FALSE(process.Start(Narrow((ProgramFolder() / "missing.exe").wstring()),
                               StartWindow::NormalFocus));
    EXPECT_FALSE(process.Start("", StartWindow::Hidden));
    EXPECT_LT(GetTickCount() - start, 3000u);
}

TEST(Win32Process, CurrentDirectoryRoundTripsANonAsciiFolder) {
    const CurrentDirectoryGuard restore;
    Win32Process process(UniqueMutexName(L"Directory"));
    const TempFolder folder(L"Verzeichnis Ωμέγα 日本");
    ASSERT_TRUE(process.SetCurrentDirectory(folder.Utf8()));
    EXPECT_EQ(process.CurrentDirectory(), folder.Utf8());
    EXPECT_EQ(std::filesystem::current_path(), folder.Path());
    EXPECT_FALSE(process.SetCurrentDirectory(folder.Utf8() + "\\missing"));
    EXPECT_EQ(process.CurrentDirectory(), folder.Utf8()) << "a failed change changes nothing";
}

TEST(Win32Process, PreviousInstanceIsTakenOnceFromTheNamedMutex) {
    const std::wstring name = UniqueMutexName(L"Instance");
    const std::wstring helperArguments = L"--instance \"" + name + L"\"";
    ASSERT_EQ(RunAndWait(Helper(), helperArguments), 0) << "nobody holds the name yet";
    auto first = std::make_unique<Win32Process>(name);
    EXPECT_FALSE(first->PreviousInstance());
    EXPECT_EQ(RunAndWait(Helper(), helperArguments), 1) << "a second process sees the first";
    {
        const Win32Process second(name);
        EXPECT_TRUE(second.PreviousInstance());
        first.reset();
        EXPECT_TRUE(second.PreviousInstance()) << "the flag is not looked at again";
    }
    EXPECT_EQ(RunAndWait(Helper(), helperArguments), 0) << "the name goes with its holders";
}

TEST(Win32Process, DefaultInstanceNameIsTheProgramsOwn) {
    const Win32Process process;
    const UniqueKernelHandle opened(
        OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\KeldraMaintenance.Instance"));
    EXPECT_NE(opened.get(), nullptr);
}

TEST(Win32Process, EndNowEndsAtOnceWithTheCodeAndRunsNothingAfter) {
    const TempFolder folder(L"endnow");
    EXPECT_EQ(RunAndWait(Helper(), L"--end-now 7", folder.Path()), 7);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "atexit-ran.txt"))
        << "exit handlers ran: the process was not terminated";
}

TEST(Win32Process, ExitErrorModeKeepsFaultBoxesAway) {
    const UINT saved = GetErrorMode();
    SetErrorMode(0);
    Win32Process process(UniqueMutexName(L"ErrorMode"));
    process.SetExitErrorMode();
    EXPECT_NE(GetErrorMode() & SEM_NOGPFAULTERRORBOX, 0u);
    SetErrorMode(saved);
}

TEST(Win32Process, TickCountAndNowFollowTheClock) {
    Win32Process process(UniqueMutexName(L"Clock"));
    const std::uint32_t before = process.TickCount();
    Sleep(200);
    const std::uint32_t waited = process.TickCount() - before;
    EXPECT_GE(waited, 150u);
    EXPECT_LT(waited, 5000u);

    // Local time by another road: the system time through the time zone.
    FILETIME utc{};
    FILETIME local{};
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    const platform::DateTime now = process.Now();
    FILETIME nowTime{};
    const SYSTEMTIME nowSystem{static_cast<WORD>(now.year),
                               static_cast<WORD>(now.month),
                               0,
                               static_cast<WORD>(now.day),
                               static_cast<WORD>(now.hour),
                               static_cast<WORD>(now.minute),
                               static_cast<WORD>(now.second),
                               0};
    ASSERT_TRUE(SystemTimeToFileTime(&nowSystem, &nowTime)) << "Now() is no valid date";
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    EXPECT_LT(std::llabs(ticks(nowTime) - ticks(local)), 3LL * 10'000'000) << "more than 3 s apart";
}

TEST(Win32Process, ProgramNameIsTheFileNameWithoutFolderOrExtension) {
    const Win32Process process(UniqueMutexName(L"Name"));
    EXPECT_EQ(process.ProgramName(), "keldra_adapter_tests");
}

// The user's regional settings for the length of a case, given back afterwards.
class RegionalSettings {
  public:
    RegionalSettings() {
        for (auto& [item, value] : saved_) {
            wchar_t text[128] = {};
            GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, text, 128);
            value = text;
        }
    }
    ~RegionalSettings() {
        for (const auto& [item, value] : saved_) {
            SetLocaleInfoW(LOCALE_USER_DEFAULT, item, value.c_str());
        }
    }
    RegionalSettings(const RegionalSettings&) = delete;
    RegionalSettings& operator=(const RegionalSettings&) = delete;

    bool Set(const wchar_t* shortDate, const wchar_t* longTime, const wchar_t* am,
             const wchar_t* pm) {
        return SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortDate) &&
               SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, longTime) &&
               SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S1159, am) &&
               SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S2359, pm);
    }

    bool SetGroupSeparator(const wchar_t* separator) {
        return SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator) != FALSE;
    }

  private:
    std::pair<LCTYPE, std::wstring> saved_[5] = {{LOCALE_SSHORTDATE, L""},
                                                 {LOCALE_STIMEFORMAT, L""},
                                                 {LOCALE_S1159, L""},
                                                 {LOCALE_S2359, L""},
                                                 {LOCALE_STHOUSAND, L""}};
};

// A date and time as older versions stored it: the user's short date, a blank, and the
// long time, as Windows writes them.
std::string AsTheUserWritesIt(const SYSTEMTIME& t) {
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 128, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &t, nullptr, time, 128);
    return Narrow(std::wstring(date) + L" " + time);
}

TEST(Win32Process, TheUsersDateFormatsReadBackWhatWindowsWritesForThem) {
    const Win32Process process(UniqueMutexName(L"Formats"));
    RegionalSettings restore;
    const SYSTEMTIME evening{2026, 3, 6, 7, 21, 5, 4, 0};
    const SYSTEMTIME morning{2026, 11, 4, 25, 9, 45, 0, 0};
    const platform::DateTime eveningRead{2026, 3, 7, 21, 5, 4};
    const platform::DateTime morningRead{2026, 11, 25, 9, 45, 0};

    // As the prefix has them.
    EXPECT_EQ(schedule::ParseLastRun(AsTheUserWritesIt(evening), process.UserDateFormats()),
              eveningRead)
        << AsTheUserWritesIt(evening);

    struct Settings {
        const wchar_t* shortDate;
        const wchar_t* longTime;
        const wchar_t* am;
        const wchar_t* pm;
    };
    for (const Settings& s : {Settings{L"dd.MM.yyyy", L"HH:mm:ss", L"", L""},
                              Settings{L"yyyy/MM/dd", L"tt hh:mm:ss", L"vorm.", L"nachm."},
                              Settings{L"d-M-yy", L"h.mm.ss tt", L"a", L"p"}}) {
        ASSERT_TRUE(restore.Set(s.shortDate, s.longTime, s.am, s.pm));
        const platform::DateFormats formats = process.UserDateFormats();
        EXPECT_EQ(formats.shortDate, Narrow(s.shortDate));
        EXPECT_EQ(formats.longTime, Narrow(s.longTime));
        EXPECT_EQ(formats.am, Narrow(s.am));
        EXPECT_EQ(formats.pm, Narrow(s.pm));
        for (const auto& [written, read] :
             {std::pair{evening, eveningRead}, std::pair{morning, morningRead}}) {
            const std::string text = AsTheUserWritesIt(written);
            EXPECT_EQ(schedule::ParseLastRun(text, formats), read) << text;
        }
    }
}

// The separator between digit groups, as Windows itself puts it into a number.
std::string SeparatorWindowsWrites() {
    wchar_t text[64] = {};
    GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, L"1234567", nullptr, text, 64);
    const std::wstring written(text);
    const std::size_t first = written.find_first_not_of(L"0123456789", 1);
    const std::size_t next = written.find_first_of(L"0123456789", first);
    return Narrow(written.substr(first, next - first));
}

TEST(Win32Process, TheUsersGroupSeparatorIsTheOneWindowsPutsIntoNumbers) {
    const Win32Process process(UniqueMutexName(L"Separator"));
    RegionalSettings restore;
    EXPECT_EQ(process.UserGroupSeparator(), SeparatorWindowsWrites()) << "as the prefix has it";
    for (const wchar_t* separator : {L".", L"\u00A0", L"'"}) {
        ASSERT_TRUE(restore.SetGroupSeparator(separator));
        EXPECT_EQ(process.UserGroupSeparator(), SeparatorWindowsWrites());
        EXPECT_EQ(process.UserGroupSeparator(), Narrow(separator));
    }
}

}  // namespace
}  // namespace keldra::testing
