// The real keldra.exe with the real lang.dll for a German, a Polish and a Russian user. The
// ctest entries of this suite start Wine with LC_ALL=de_DE.UTF-8, pl_PL.UTF-8 and
// ru_RU.UTF-8, which gives the processes that interface language and the ANSI code page
// 1252, 1250 and 1251. The welcome window, the main window, both results windows and the
// scheduler must read, as UTF-16, as the translations; screenshots show whether they fit.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace keldra::e2e {
namespace {

constexpr const wchar_t* kSeedKey = L"Software\\KeldraLanguageCase";
constexpr const wchar_t* kJunkFolder = L"D:\\keldra-language";
constexpr const wchar_t* kJunk = L"D:\\keldra-language\\left.tmp";

struct Expected {
    LANGID primary;
    UINT codePage;
    const wchar_t* name;  // in the screenshots' names
    // Written down here from the translation, not read from the library.
    const wchar_t* fixButton;
    const wchar_t* registryHeading;
    const wchar_t* diskHeading;
};

// French and Spanish are not among the ctest entries (their code page is German's), but the
// case runs for them too when started with LC_ALL=fr_FR.UTF-8 or es_ES.UTF-8.
const Expected kExpected[] = {
    {LANG_FRENCH, 1252, L"fr", L"Tout corriger", L"Résultats de l'analyse du registre",
     L"Résultats de l'analyse du disque"},
    {LANG_SPANISH, 1252, L"es", L"Corregir todo", L"Resultados del análisis del registro",
     L"Resultados del análisis del disco"},
    {LANG_GERMAN, 1252, L"de", L"Probleme beheben", L"Ergebnisse der Registrierungsprüfung",
     L"Ergebnisse der Datenträgerprüfung"},
    {LANG_POLISH, 1250, L"pl", L"Napraw problemy", L"Wyniki skanowania rejestru",
     L"Wyniki skanowania dysku"},
    {LANG_RUSSIAN, 1251, L"ru", L"Исправить всё", L"Результаты проверки реестра",
     L"Результаты проверки диска"},
};

class LanguageEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        const LANGID primary = PRIMARYLANGID(GetUserDefaultUILanguage());
        for (const Expected& e : kExpected) {
            if (e.primary == primary && e.codePage == GetACP()) {
                expected_ = &e;
            }
        }
        if (expected_ == nullptr) {
            GTEST_SKIP() << "needs a German, Polish or Russian user with the code page of the "
                            "language (Wine started with LC_ALL=de_DE.UTF-8, pl_PL.UTF-8 or "
                            "ru_RU.UTF-8); this process has language "
                         << primary << " and code page " << GetACP();
        }
        // A first start: the welcome window, with the longest text, comes first.
        StoreSetting(L"WelcScreen", L"0");
        platform::win32::UniqueHKey key;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kSeedKey, key.put()), ERROR_SUCCESS);
        const std::wstring dead = L"C:\\keldra-language-case\\gone.exe";
        RegSetValueExW(key.get(), L"Dead", 0, REG_SZ, reinterpret_cast<const BYTE*>(dead.c_str()),
                       static_cast<DWORD>((dead.size() + 1) * sizeof(wchar_t)));
        CreateDirectoryW(kJunkFolder, nullptr);
        const platform::win32::UniqueFileHandle file(
            CreateFileW(kJunk, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.get(), "junk", 4, &written, nullptr);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSeedKey);
        DeleteFileW(kJunk);
        RemoveDirectoryW(kJunkFolder);
        ProgramTest::TearDown();
    }

    std::wstring Shot(const wchar_t* window) const {
        return std::wstring(window) + L"-" + expected_->name + L".bmp";
    }

    const Expected* expected_ = nullptr;
};

// Opens a results window from its row of the main window.
HWND OpenResults(DWORD id, HWND row, const std::wstring& heading) {
    ClickLabel(row);
    HWND window = nullptr;
    WaitUntil(
        [&] {
            window = ProgramWindowWith(id, heading);
            return window != nullptr && IsWindowVisible(window) != FALSE;
        },
        10);
    return window;
}

// The first window of a first start, in the language.
void ExpectWelcomeInTheLanguage(const Program& keldra, const std::wstring& shot) {
    HWND welcome = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            welcome = ProgramWindowWith(keldra.Id(), Lang("OWM_3"));
            return welcome != nullptr && IsWindowVisible(welcome) != FALSE;
        },
        30))
        << "the welcome window";
    EXPECT_NE(ChildWithText(welcome, Lang("OWM_1")), nullptr);
    EXPECT_NE(ChildWithText(welcome, Lang("OWM_2a") + Lang("OWM_2b")), nullptr);
    Sleep(300);
    Screenshot(welcome, shot.c_str());
    PostMessageW(welcome, WM_CLOSE, 0, 0);
}

// The main window after the pass: every caption translated, the rows with their numbers.
void ExpectMainInTheLanguage(HWND main, HWND& registryRow, HWND& diskRow) {
    EXPECT_EQ(TextOf(main), Lang("OCM_MCap"));
    for (const char* id : {"OCM_lblProc0", "OCM_lblProc1", "OCM_lblProc2", "OCM_lblProc3",
                           "OCM_lblDesc0", "OCM_lblDesc1", "OCM_lblDesc2", "OCM_lblDesc3", "OCM_FA",
                           "OCM_FB", "OCM_Sched", "OSM_SE", "OCM_DoneStat"}) {
        EXPECT_NE(ChildWithText(main, Lang(id)), nullptr) << id << ": " << Lang(id).size();
    }
    // The rows glue a number to the translated text; at least the seeded value was found.
    registryRow = ChildEndingWith(main, Lang("OCM_PStat"));
    ASSERT_NE(registryRow, nullptr);
    const std::wstring registryText = TextOf(registryRow);
    EXPECT_TRUE(iswdigit(registryText[0]) && registryText.size() > Lang("OCM_PStat").size())
        << "a number, then the text";
    diskRow = ChildEndingWith(main, Lang("OCM_MStat"));
    ASSERT_NE(diskRow, nullptr);
    EXPECT_EQ(TextOf(diskRow), L"0" + Lang("OCM_MStat")) << "4 bytes are 0 MB";
}

// The registry results window, its seeded row's reason translated.
void ExpectRegistryResultsInTheLanguage(HWND registry) {
    EXPECT_EQ(TextOf(registry), Lang("OCM_RCap"));
    EXPECT_NE(ChildWithText(registry, Lang("OCM_Close")), nullptr);
    bool seededRow = false;
    for (const auto& row : ListViewRows(ChildOfClass(registry, L"SysListView32"), 6)) {
        if (row[0].find(L"KeldraLanguageCase") != std::wstring::npos) {
            seededRow = true;
            EXPECT_EQ(row[3], Lang("RDRC_Reason0")) << "the reason, translated";
        }
    }
    EXPECT_TRUE(seededRow);
}

// The scheduler, whose long explanation has to fit its label; closed again.
void ExpectSchedulerInTheLanguage(const Program& keldra, HWND main, const std::wstring& shot) {
    Click(ChildWithText(main, Lang("OCM_Sched")));
    HWND scheduler = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            scheduler = ProgramWindowWith(keldra.Id(), Lang("OCM_ESM"));
            return scheduler != nullptr && IsWindowVisible(scheduler) != FALSE;
        },
        10));
    EXPECT_EQ(TextOf(scheduler), Lang("OSM_SCap"));
    EXPECT_NE(ChildWithText(scheduler, Lang("OCM_ShC")), nullptr);
    Sleep(300);
    Screenshot(scheduler, shot.c_str());
    PostMessageW(scheduler, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(scheduler) == FALSE; }, 10));
}

TEST_F(LanguageEndToEnd, MainAndResultsWindowsReadInTheUsersLanguage) {
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    ASSERT_NO_FATAL_FAILURE(ExpectWelcomeInTheLanguage(keldra, Shot(L"welcome")));

    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    EXPECT_EQ(Lang("OCM_FB"), expected_->fixButton) << "the library answers in the language";
    EXPECT_NE(ChildWithText(main, expected_->fixButton), nullptr);
    HWND registryRow = nullptr;
    HWND diskRow = nullptr;
    ASSERT_NO_FATAL_FAILURE(ExpectMainInTheLanguage(main, registryRow, diskRow));
    Sleep(300);
    Screenshot(main, Shot(L"main").c_str());

    HWND registry = OpenResults(keldra.Id(), registryRow, Lang("OCM_RRes"));
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(Lang("OCM_RRes"), expected_->registryHeading);
    ExpectRegistryResultsInTheLanguage(registry);
    Sleep(300);
    Screenshot(registry, Shot(L"registry-results").c_str());
    Click(ChildWithText(registry, Lang("OCM_Close")));

    HWND disk = OpenResults(keldra.Id(), diskRow, Lang("OCM_DRes"));
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(Lang("OCM_DRes"), expected_->diskHeading);
    EXPECT_EQ(TextOf(disk), Lang("OCM_DCap"));
    EXPECT_NE(ChildWithText(disk, Lang("OCM_Close")), nullptr);
    Sleep(300);
    Screenshot(disk, Shot(L"disk-results").c_str());
    Click(ChildWithText(disk, Lang("OCM_Close")));

    ASSERT_NO_FATAL_FAILURE(ExpectSchedulerInTheLanguage(keldra, main, Shot(L"scheduler")));
    Click(ChildWithText(main, Lang("OSM_SE")));
    EXPECT_EQ(keldra.ExitCode(10), 0);
}

}  // namespace
}  // namespace keldra::e2e
