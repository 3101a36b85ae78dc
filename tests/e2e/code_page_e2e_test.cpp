// The real keldra.exe on a system whose ANSI code page is Windows-1251, with a translated
// language library that writes its texts in that code page: the captions must read as the
// Cyrillic words, not as Western letters. The ctest entry of this suite starts Wine with
// LC_ALL=ru_RU.UTF-8, which gives the processes of the sandbox code page 1251.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "e2e_support.h"

namespace keldra::e2e {
namespace {

// Minutes since midnight, local time.
int MinuteOfDay() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return t.wHour * 60 + t.wMinute;
}

// The folder of this test, without a trailing backslash.
std::wstring TestFolder() {
    const std::wstring beside = Beside(L"x");
    return beside.substr(0, beside.size() - 2);
}

class CyrillicEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        if (GetACP() != 1251) {
            GTEST_SKIP() << "needs the ANSI code page 1251 (Wine started with "
                            "LC_ALL=ru_RU.UTF-8); this process has "
                         << GetACP();
        }
        // The program in a folder of its own, with the Cyrillic library as its lang.dll.
        folder_ = TestFolder() + L"\\cyrillic";
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(
            CopyFileW(Beside(L"keldra.exe").c_str(), (folder_ + L"\\keldra.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(Beside(L"keldra_cyrillic_lang.dll").c_str(),
                              (folder_ + L"\\lang.dll").c_str(), FALSE));
    }
    void TearDown() override {
        ProgramTest::TearDown();
        if (!folder_.empty()) {
            DeleteFileW((folder_ + L"\\keldra.exe").c_str());
            DeleteFileW((folder_ + L"\\lang.dll").c_str());
            RemoveDirectoryW(folder_.c_str());
        }
    }

    std::wstring folder_;
};

TEST_F(CyrillicEndToEnd, CaptionsFromALibraryInCodePage1251ReadAsCyrillic) {
    // A logon start that waits for a start half an hour ahead: the window is reached
    // through the tray and no pass runs meanwhile.
    int start = MinuteOfDay() + 30;
    if (start >= 24 * 60) {
        start = 23 * 60 + 59;
    }
    ASSERT_LT(MinuteOfDay(), start) << "too close to midnight for a start later today";
    StoreSetting(L"AutoMaint", L"1");
    StoreSetting(L"Type", L"0");
    StoreSetting(L"Hour", std::to_wstring(start / 60).c_str());
    StoreSetting(L"Min", std::to_wstring(start % 60).c_str());
    Program keldra(L"\"" + folder_ + L"\\keldra.exe\" -auto");
    ASSERT_TRUE(keldra.Started());

    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (main = ProgramWindowWith(keldra.Id(), L"Исправить проблемы")) != nullptr; },
        20))
        << "the main window with its \"Fix problems\" button in Russian";
    ASSERT_TRUE(WaitUntil([&] { return !TopWindows(keldra.Id(), L"KeldraTrayHost").empty(); }, 10));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }, 10)) << "in the tray";
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));

    EXPECT_EQ(TextOf(main), L"Обслуживание Keldra");
    for (const wchar_t* caption :
         {L"Оптимизация памяти...", L"Поиск ошибок реестра...",
          L"Исправлять все проблемы автоматически", L"Планировщик...", L"Отмена", L"Сканировать"}) {
        EXPECT_NE(ChildWithText(main, caption), nullptr) << "no control reads this caption";
    }
    // "Starts in 0 h 30 min": the countdown is glued from three texts and two numbers.
    const wchar_t* const startsIn = L"Запуск через ";
    HWND countdown = nullptr;
    for (HWND child : Children(main)) {
        if (wcsncmp(TextOf(child).c_str(), startsIn, wcslen(startsIn)) == 0) {
            countdown = child;
        }
    }
    ASSERT_NE(countdown, nullptr) << "the countdown";
    const std::wstring countdownText = TextOf(countdown);
    EXPECT_NE(wcsstr(countdownText.c_str(), L" ч "), nullptr);
    EXPECT_NE(wcsstr(countdownText.c_str(), L" мин"), nullptr);
    Sleep(1500);
    EXPECT_TRUE(IsWindowVisible(main)) << "not hidden again by its activation";
    Screenshot(main, L"main-cyrillic.bmp");

    Click(ChildWithText(main, L"Отмена"));
    EXPECT_EQ(keldra.ExitCode(10), 0);
}

}  // namespace
}  // namespace keldra::e2e
