// lang.dll as the program uses it: loaded from the program's folder, GetValueForID found by
// name and called with a zeroed 255-byte buffer plus its NUL and 0 as the third argument.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "binaries/beside.h"
#include "platform/win32/handles.h"

namespace keldra::testing {
namespace {

using platform::win32::UniqueHKey;
using platform::win32::UniqueHModule;

using GetValueForIdFn = SHORT(WINAPI*)(const char*, char*, INT);

constexpr std::size_t kBuffer = 256;  // 255 bytes of text and the NUL
constexpr char kGuard = '\x5A';

// Every identifier the program asks for.
constexpr std::string_view kIdentifiers[] = {"OCM_MCap",
                                             "OCM_lblProc0",
                                             "OCM_lblProc1",
                                             "OCM_lblProc2",
                                             "OCM_lblProc3",
                                             "OCM_lblDesc0",
                                             "OCM_lblDesc1",
                                             "OCM_lblDesc2",
                                             "OCM_lblDesc3",
                                             "OCM_FA",
                                             "OCM_FB",
                                             "OCM_Sched",
                                             "OSM_SE",
                                             "OSM_SN",
                                             "OCM_DoneStat",
                                             "OCM_PStat",
                                             "OCM_MStat",
                                             "OCM_DoneNP",
                                             "OCM_DoneNS",
                                             "OCM_SMC",
                                             "OCM_SMH",
                                             "OCM_SMM",
                                             "OSM_PrevInst",
                                             "OSM_KLT",
                                             "OCM_SIn",
                                             "DCmain_MsgMemError",
                                             "msg_OverError",
                                             "OWM_1",
                                             "OWM_2a",
                                             "OWM_2b",
                                             "OWM_3",
                                             "OCM_RCap",
                                             "OCM_RRes",
                                             "OCM_Close",
                                             "RDRC_Reason0",
                                             "RDRC_Reason1",
                                             "RDRC_Reason2",
                                             "RDRC_Reason3",
                                             "RDRC_Reason4",
                                             "RDRC_Reason5",
                                             "RDRC_Reason6",
                                             "RDRC_Reason7",
                                             "RDRC_Reason8",
                                             "RDRC_Reason10",
                                             "RDRC_Reason11",
                                             "RDRC_Reason12",
                                             "RDRC_lvInvalidLocCH1",
                                             "RDRC_lvInvalidLocCH2",
                                             "RDRC_lvInvalidLocCH3",
                                             "RDRC_lvInvalidLocCH4",
                                             "RDRC_lvInvalidLocCH5",
                                             "RDRC_lvInvalidLocCH6",
                                             "OCM_DCap",
                                             "OCM_DRes",
                                             "OCM_LC1",
                                             "OCM_LC2",
                                             "OSM_SCap",
                                             "OCM_ShC",
                                             "OCM_ShL1",
                                             "OCM_ShL2",
                                             "OCM_ShL3",
                                             "OCM_ShL4",
                                             "OCM_ESM",
                                             "OCM_FSM",
                                             "OSM_AML1",
                                             "OSM_AML2",
                                             "OSM_AML3"};

// The texts the window's design fixes word for word.
constexpr std::pair<std::string_view, std::string_view> kDesignTexts[] = {
    {"OCM_MCap", "Keldra Maintenance"},
    {"OCM_lblProc0", "Optimizing memory..."},
    {"OCM_lblProc1", "Processing registry problems..."},
    {"OCM_lblProc2", "Compacting registry..."},
    {"OCM_lblProc3", "Clearing junk and temporary files..."},
    {"OCM_lblDesc0", "Optimizes memory to free it up and make your applications run faster."},
    {"OCM_lblDesc1",
     "Searches for invalid registry entries. Fix and repair your Windows registry."},
    {"OCM_lblDesc2", "Defragments and compacts the registry."},
    {"OCM_lblDesc3", "Cleans your hard drive from unused and temporary files."},
    {"OCM_FA", "Fix all problems automatically"},
    {"OCM_FB", "Fix problems"},
    {"OCM_Sched", "Scheduler..."},
    {"OSM_SE", "Cancel"},
    {"OSM_SN", "Scan Now"},
    {"OCM_DoneStat", "Done"},
    {"OCM_PStat", " problems found"},
    {"OCM_MStat", " MB recovered"},
    {"OWM_1", "Welcome to Keldra Maintenance!"},
    {"OWM_3", "Do not show this message in the future (recommended)."},
    {"OCM_RCap", "Registry Scan"},
    {"OCM_RRes", "Registry Scan Results"},
    {"OCM_Close", "Close"},
    {"RDRC_lvInvalidLocCH1", "Invalid data location"},
    {"RDRC_lvInvalidLocCH2", "Value name"},
    {"RDRC_lvInvalidLocCH3", "Value data"},
    {"RDRC_lvInvalidLocCH4", "Reason"},
    {"RDRC_lvInvalidLocCH5", "Reg type"},
    {"RDRC_lvInvalidLocCH6", "Attributes"},
    {"RDRC_Reason0", "File or folder not found"},
    {"RDRC_Reason1", "Empty type library key"},
    {"RDRC_Reason2", "Type library not registered"},
    {"RDRC_Reason3", "Empty class identifier"},
    {"RDRC_Reason4", "Class not registered"},
    {"RDRC_Reason5", "Empty program identifier"},
    {"RDRC_Reason6", "Program identifier not registered"},
    {"RDRC_Reason7", "Empty in-process server"},
    {"RDRC_Reason8", "Empty 16-bit in-process server"},
    {"RDRC_Reason10", "Shared DLL not found"},
    {"RDRC_Reason11", "Font file not found"},
    {"RDRC_Reason12", "Empty file association"},
    {"OCM_DCap", "Disk Scan"},
    {"OCM_DRes", "Disk Scan Results"},
    {"OCM_LC1", "File path"},
    {"OCM_LC2", "File Size (bytes)"},
    {"OSM_SCap", "Keldra Scheduler"},
    {"OCM_ShC",
     "You can schedule Maintenance to be run at specified time each day or week. If this option "
     "is enabled, Maintenance will automatically start up with Windows and perform operations "
     "at specified time."},
    {"OCM_ShL1", "Run Maintenance"},
    {"OCM_ShL2", "at"},
    {"OCM_ShL3", "hours"},
    {"OCM_ShL4", "minutes"},
    {"OCM_ESM", "Enable Scheduled Maintenance"},
    {"OCM_FSM", "Scheduled Maintenance"},
    {"OSM_AML1", "Daily"},
    {"OSM_AML2", "Every 3 days"},
    {"OSM_AML3", "Weekly"},
};

constexpr std::string_view kWelcome =
    "Keldra Maintenance performs maintenance tasks (registry cleaning/compressing, cleaning "
    "your drive from temp and junk files) automatically in the background. You can check "
    "current scan's status by clicking on its System tray icon (appears when scan starts). By "
    "default, all encountered problems will be fixed automatically, but you can disable this "
    "option; also, to view detailed list of registry and disk problems, click on the "
    "respective entry after the scan. Use Scheduler to schedule maintenance.";

struct Answer {
    SHORT result = -1;
    std::string text;           // up to the first NUL
    bool terminated = false;    // a NUL within the 256 bytes
    bool untouched = false;     // all 256 bytes still zero
    bool guard_intact = false;  // nothing written past the 256 bytes
};

constexpr const wchar_t* kOptions =
    L"Software\\VB and VBA Program Settings\\Keldra Maintenance\\Options";

// The per-user "Language" setting; nullptr removes it.
void SetLanguage(const wchar_t* code) {
    UniqueHKey options;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kOptions, options.put()), ERROR_SUCCESS);
    if (code == nullptr) {
        RegDeleteValueW(options.get(), L"Language");
    } else {
        RegSetValueExW(options.get(), L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(code),
                       static_cast<DWORD>((wcslen(code) + 1) * sizeof(wchar_t)));
    }
}

// Bytes of the system's ANSI code page as UTF-16.
std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

class LangDll : public ::testing::Test {
  protected:
    void SetUp() override {
        // The English table, whatever the language of the machine running the test.
        SetLanguage(english_ ? L"en" : nullptr);
        module_.reset(LoadLibraryW(BesideTestProgram(L"lang.dll").c_str()));
        ASSERT_NE(module_.get(), nullptr)
            << "lang.dll beside the test did not load, error " << GetLastError();
        get_ = reinterpret_cast<GetValueForIdFn>(
            reinterpret_cast<void*>(GetProcAddress(module_.get(), "GetValueForID")));
        ASSERT_NE(get_, nullptr) << "lang.dll exports no GetValueForID";
    }
    void TearDown() override {
        module_.reset();
        SetLanguage(nullptr);
    }

    Answer Ask(const char* id) const {
        std::array<char, kBuffer + 16> buffer{};
        std::fill(buffer.begin() + kBuffer, buffer.end(), kGuard);
        Answer a;
        a.result = get_(id, buffer.data(), 0);
        const char* begin = buffer.data();
        const char* nul = std::find(begin, begin + kBuffer, '\0');
        a.terminated = nul != begin + kBuffer;
        a.text.assign(begin, nul);
        a.untouched =
            std::all_of(buffer.begin(), buffer.begin() + kBuffer, [](char c) { return c == '\0'; });
        a.guard_intact =
            std::all_of(buffer.begin() + kBuffer, buffer.end(), [](char c) { return c == kGuard; });
        return a;
    }
    std::string Text(std::string_view id) const { return Ask(std::string(id).c_str()).text; }

    std::wstring Wide(std::string_view id) const { return FromAnsi(Text(id)); }

    bool english_ = true;
    UniqueHModule module_;
    GetValueForIdFn get_ = nullptr;
};

TEST_F(LangDll, DesignTextsComeBackWordForWord) {
    for (const auto& [id, text] : kDesignTexts) {
        const Answer a = Ask(std::string(id).c_str());
        EXPECT_EQ(a.result, 1) << id;
        EXPECT_EQ(a.text, text) << id;
        EXPECT_TRUE(a.terminated && a.guard_intact) << id;
    }
}

TEST_F(LangDll, EveryIdentifierOfTheProgramHasPrintableText) {
    for (const std::string_view id : kIdentifiers) {
        const Answer a = Ask(std::string(id).c_str());
        EXPECT_EQ(a.result, 1) << id;
        EXPECT_FALSE(a.text.empty()) << id;
        EXPECT_TRUE(a.terminated) << id;
        EXPECT_TRUE(a.guard_intact) << id << " wrote past the 256-byte buffer";
        // Plain ASCII is the same in code page 1252; a UTF-8 sequence would show as garbage.
        EXPECT_TRUE(
            std::all_of(a.text.begin(), a.text.end(), [](char c) { return c >= ' ' && c <= '~'; }))
            << id << ": " << a.text;
    }
}

TEST_F(LangDll, TextsJoinedWithNumbersReadWell) {
    EXPECT_EQ("7" + Text("OCM_PStat"), "7 problems found");
    EXPECT_EQ("1" + Text("OCM_MStat"), "1 MB recovered");
    EXPECT_EQ(Text("OCM_SMC") + "1" + Text("OCM_SMH") + "21" + Text("OCM_SMM"),
              "Scheduled maintenance starts in 1 h 21 min");
    // The folder being searched follows directly.
    const std::string searching = Text("OCM_SIn");
    ASSERT_FALSE(searching.empty());
    EXPECT_EQ(searching.back(), ' ');
}

TEST_F(LangDll, WelcomeTextIsSplitIntoTwoPiecesThatFit) {
    const Answer a = Ask("OWM_2a");
    const Answer b = Ask("OWM_2b");
    EXPECT_FALSE(a.text.empty());
    EXPECT_FALSE(b.text.empty());
    EXPECT_LE(a.text.size(), 255u);
    EXPECT_LE(b.text.size(), 255u);
    EXPECT_EQ(a.text + b.text, kWelcome);
}

TEST_F(LangDll, TrayTipFitsTheNotificationIcon) {
    const Answer a = Ask("OSM_KLT");
    EXPECT_EQ(a.result, 1);
    EXPECT_FALSE(a.text.empty());
    EXPECT_LE(a.text.size(), 63u);
}

TEST_F(LangDll, UnknownIdentifierWritesNothing) {
    // Identifiers compare exactly: case, blanks and prefixes count.
    for (const char* id : {"", "OCM_mcap", "ocm_MCap", "OCM_MCap ", "OCM_MCa", "OCM_MCapX",
                           "NoSuchText", "zzz", "AAA"}) {
        const Answer a = Ask(id);
        EXPECT_EQ(a.result, 0) << '"' << id << '"';
        EXPECT_TRUE(a.untouched) << '"' << id << "\" wrote " << a.text;
        EXPECT_TRUE(a.guard_intact) << '"' << id << '"';
    }
}

TEST_F(LangDll, ExportsOnlyGetValueForIdByName) {
    const auto* base = reinterpret_cast<const BYTE*>(module_.get());
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, base, sizeof dos);
    IMAGE_NT_HEADERS nt;
    std::memcpy(&nt, base + dos.e_lfanew, sizeof nt);
    const IMAGE_DATA_DIRECTORY dir = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    IMAGE_EXPORT_DIRECTORY exports;
    std::memcpy(&exports, base + dir.VirtualAddress, sizeof exports);
    ASSERT_EQ(exports.NumberOfNames, 1u);
    DWORD name_rva = 0;
    std::memcpy(&name_rva, base + exports.AddressOfNames, sizeof name_rva);
    EXPECT_STREQ(reinterpret_cast<const char*>(base + name_rva), "GetValueForID");
}

// The language chosen and the code page of the texts. The ctest entries run this suite in
// Wine processes started with LC_ALL=de_DE.UTF-8, pl_PL.UTF-8 and ru_RU.UTF-8 as well, which
// gives them that user interface language and the ANSI code page 1252, 1250 and 1251.
class LangChoice : public LangDll {
  protected:
    LangChoice() { english_ = false; }
};

struct Language {
    const wchar_t* code;
    unsigned short primary;
    // Whether each of the three code pages can show every letter of the language:
    // 1252 (Western), 1250 (Central European), 1251 (Cyrillic).
    bool in1252, in1250, in1251;
    const wchar_t* fixButton;
    const wchar_t* problems;   // "7" and OCM_PStat
    const wchar_t* recovered;  // "1" and OCM_MStat
    const wchar_t* countdown;  // OCM_SMC "1" OCM_SMH "21" OCM_SMM
};

// German letters (ä ö ü ß) are all in 1250 too; French è and Spanish ñ are not.
const Language kLanguages[] = {
    {L"en", LANG_ENGLISH, true, true, true, L"Fix problems", L"7 problems found", L"1 MB recovered",
     L"Scheduled maintenance starts in 1 h 21 min"},
    {L"de", LANG_GERMAN, true, true, false, L"Probleme beheben", L"7 Probleme gefunden",
     L"1 MB freigegeben", L"Die geplante Wartung beginnt in 1 Std. 21 Min."},
    {L"fr", LANG_FRENCH, true, false, false, L"Tout corriger", L"7 problèmes trouvés",
     L"1 Mo d'espace libéré", L"La maintenance planifiée démarre dans 1 h 21 min"},
    {L"es", LANG_SPANISH, true, false, false, L"Corregir todo", L"7 problemas encontrados",
     L"1 MB recuperados", L"El mantenimiento programado empieza dentro de 1 h 21 min"},
    {L"pl", LANG_POLISH, false, true, false, L"Napraw problemy", L"7 – znalezione problemy",
     L"1 MB odzyskano", L"Zaplanowana konserwacja rozpocznie się za 1 godz. 21 min"},
    {L"ru", LANG_RUSSIAN, false, false, true, L"Исправить всё", L"7 — найденные проблемы",
     L"1 МБ освобождено", L"Обслуживание по расписанию начнётся через 1 ч 21 мин"},
};

const Language& English() {
    return kLanguages[0];
}

bool Shown(const Language& l) {
    switch (GetACP()) {
        case 1252:
            return l.in1252;
        case 1250:
            return l.in1250;
        case 1251:
            return l.in1251;
        default:
            return &l == &English();
    }
}

// What a user of this language gets on this system: the language, or English where the
// code page cannot show it.
const Language& Expected(const Language& l) {
    return Shown(l) ? l : English();
}

TEST_F(LangChoice, FollowsTheUserInterfaceLanguageWhereTheCodePageShowsIt) {
    const unsigned short primary = PRIMARYLANGID(GetUserDefaultUILanguage());
    const Language* language = &English();
    for (const Language& l : kLanguages) {
        if (l.primary == primary) {
            language = &l;
        }
    }
    const Language& expected = Expected(*language);
    EXPECT_EQ(Wide("OCM_FB"), expected.fixButton)
        << "interface language " << primary << ", code page " << GetACP();
    // An unknown setting leaves the choice to the interface language.
    SetLanguage(L"xx");
    EXPECT_EQ(Wide("OCM_FB"), expected.fixButton);
}

TEST_F(LangChoice, SettingChoosesAnyLanguageTheCodePageShows) {
    for (const Language& l : kLanguages) {
        for (const std::wstring& code : {std::wstring(l.code), std::wstring(l.code) + L"-XX"}) {
            SetLanguage(code.c_str());
            const Language& expected = Expected(l);
            EXPECT_EQ(Wide("OCM_FB"), expected.fixButton) << code << ", code page " << GetACP();
            EXPECT_EQ(FromAnsi("7" + Text("OCM_PStat")), expected.problems) << code;
            EXPECT_EQ(FromAnsi("1" + Text("OCM_MStat")), expected.recovered) << code;
            EXPECT_EQ(FromAnsi(Text("OCM_SMC") + "1" + Text("OCM_SMH") + "21" + Text("OCM_SMM")),
                      expected.countdown)
                << code;
        }
    }
}

TEST_F(LangChoice, EveryIdentifierHasTextInEveryLanguageShown) {
    for (const Language& l : kLanguages) {
        if (!Shown(l)) {
            continue;
        }
        SetLanguage(l.code);
        ASSERT_EQ(Wide("OCM_FB"), l.fixButton);
        for (const std::string_view id : kIdentifiers) {
            const Answer a = Ask(std::string(id).c_str());
            EXPECT_EQ(a.result, 1) << id;
            EXPECT_FALSE(a.text.empty()) << l.code << ' ' << id;
            EXPECT_LE(a.text.size(), 255u) << l.code << ' ' << id;
            EXPECT_TRUE(a.terminated && a.guard_intact) << l.code << ' ' << id;
            // The bytes are text of this code page, not UTF-8 read as such.
            EXPECT_FALSE(FromAnsi(a.text).empty()) << l.code << ' ' << id;
            EXPECT_EQ(a.text.find('?'), std::string::npos) << l.code << ' ' << id;
        }
        EXPECT_LE(Text("OSM_KLT").size(), 63u) << l.code;
    }
}

}  // namespace
}  // namespace keldra::testing
