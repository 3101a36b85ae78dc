// lang.dll: the program's texts, looked up by identifier. The program loads the DLL from
// its own folder and calls GetValueForID for every text it shows. The English table below
// is the list of identifiers; every translation answers the same ones (checked at compile
// time), in the user's language when the system's ANSI code page can show it.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "tools/lang/code_page.h"
#include "tools/lang/entry.h"
#include "tools/lang/translations.h"

namespace {

using keldra::lang::Entry;
using keldra::lang::kTranslations;
using keldra::lang::Translation;

// ASCII, so the same in every code page. Sorted by identifier in byte order (checked below)
// for the binary search; each translation lists the same identifiers in the same order.
// The program glues some texts to numbers and paths as they are, so their blanks are part
// of the text: " problems found" follows a number.
constexpr std::array kTexts{
    Entry{"DCmain_MsgMemError",
          "There is not enough memory to continue the search for junk files. Close some "
          "programs and scan again."},
    Entry{"OCM_Close", "Close"},
    Entry{"OCM_DCap", "Disk Scan"},
    Entry{"OCM_DRes", "Disk Scan Results"},
    Entry{"OCM_DoneNP", "Done, no problems found"},
    Entry{"OCM_DoneNS", "Done, nothing to clean"},
    Entry{"OCM_DoneStat", "Done"},
    Entry{"OCM_ESM", "Enable Scheduled Maintenance"},
    Entry{"OCM_FA", "Fix all problems automatically"},
    Entry{"OCM_FB", "Fix problems"},
    Entry{"OCM_FSM", "Scheduled Maintenance"},
    Entry{"OCM_LC1", "File path"},
    Entry{"OCM_LC2", "File Size (bytes)"},
    Entry{"OCM_MCap", "Keldra Maintenance"},
    Entry{"OCM_MStat", " MB recovered"},
    Entry{"OCM_PStat", " problems found"},
    Entry{"OCM_RCap", "Registry Scan"},
    Entry{"OCM_RRes", "Registry Scan Results"},
    Entry{"OCM_SIn", "Searching in "},
    Entry{"OCM_SMC", "Scheduled maintenance starts in "},
    Entry{"OCM_SMH", " h "},
    Entry{"OCM_SMM", " min"},
    Entry{"OCM_Sched", "Scheduler..."},
    Entry{"OCM_ShC",
          "You can schedule Maintenance to be run at specified time each day or week. If this "
          "option is enabled, Maintenance will automatically start up with Windows and perform "
          "operations at specified time."},
    Entry{"OCM_ShL1", "Run Maintenance"},
    Entry{"OCM_ShL2", "at"},
    Entry{"OCM_ShL3", "hours"},
    Entry{"OCM_ShL4", "minutes"},
    Entry{"OCM_lblDesc0", "Optimizes memory to free it up and make your applications run faster."},
    Entry{"OCM_lblDesc1",
          "Searches for invalid registry entries. Fix and repair your Windows registry."},
    Entry{"OCM_lblDesc2", "Defragments and compacts the registry."},
    Entry{"OCM_lblDesc3", "Cleans your hard drive from unused and temporary files."},
    Entry{"OCM_lblProc0", "Optimizing memory..."},
    Entry{"OCM_lblProc1", "Processing registry problems..."},
    Entry{"OCM_lblProc2", "Compacting registry..."},
    Entry{"OCM_lblProc3", "Clearing junk and temporary files..."},
    Entry{"OSM_AML1", "Daily"},
    Entry{"OSM_AML2", "Every 3 days"},
    Entry{"OSM_AML3", "Weekly"},
    Entry{"OSM_KLT", "Keldra Maintenance"},
    Entry{"OSM_PrevInst",
          "Keldra Maintenance is already running. Click its icon in the notification area to "
          "open it."},
    Entry{"OSM_SCap", "Keldra Scheduler"},
    Entry{"OSM_SE", "Cancel"},
    Entry{"OSM_SN", "Scan Now"},
    Entry{"OWM_1", "Welcome to Keldra Maintenance!"},
    // One text in two pieces: a piece may not exceed the 255-byte buffer.
    Entry{"OWM_2a",
          "Keldra Maintenance performs maintenance tasks (registry cleaning/compressing, "
          "cleaning your drive from temp and junk files) automatically in the background. You "
          "can check current scan's status by clicking on its System tray icon (appears when "
          "scan "},
    Entry{"OWM_2b",
          "starts). By default, all encountered problems will be fixed automatically, but you "
          "can disable this option; also, to view detailed list of registry and disk problems, "
          "click on the respective entry after the scan. Use Scheduler to schedule "
          "maintenance."},
    Entry{"OWM_3", "Do not show this message in the future (recommended)."},
    Entry{"RDRC_Reason0", "File or folder not found"},
    Entry{"RDRC_Reason1", "Empty type library key"},
    Entry{"RDRC_Reason10", "Shared DLL not found"},
    Entry{"RDRC_Reason11", "Font file not found"},
    Entry{"RDRC_Reason12", "Empty file association"},
    Entry{"RDRC_Reason2", "Type library not registered"},
    Entry{"RDRC_Reason3", "Empty class identifier"},
    Entry{"RDRC_Reason4", "Class not registered"},
    Entry{"RDRC_Reason5", "Empty program identifier"},
    Entry{"RDRC_Reason6", "Program identifier not registered"},
    Entry{"RDRC_Reason7", "Empty in-process server"},
    Entry{"RDRC_Reason8", "Empty 16-bit in-process server"},
    Entry{"RDRC_lvInvalidLocCH1", "Invalid data location"},
    Entry{"RDRC_lvInvalidLocCH2", "Value name"},
    Entry{"RDRC_lvInvalidLocCH3", "Value data"},
    Entry{"RDRC_lvInvalidLocCH4", "Reason"},
    Entry{"RDRC_lvInvalidLocCH5", "Reg type"},
    Entry{"RDRC_lvInvalidLocCH6", "Attributes"},
    // The command-line switches and undoing the latest repair.
    Entry{"UCM_RestBad",
          "The backup file cannot be read, so nothing was restored. Keldra Maintenance "
          "restores only from a backup it can read in full:"},
    Entry{"UCM_RestCame", " values that the latest repair removed came back."},
    Entry{"UCM_RestDenied", " - no right to write there: start it as administrator"},
    Entry{"UCM_RestError", " - the registry refused it, error "},
    Entry{"UCM_RestExisting", "These exist again and were left as they are:"},
    Entry{"UCM_RestFailed", "These could not be restored:"},
    Entry{"UCM_RestFrom", "Backup file: "},
    Entry{"UCM_RestLine", ", line "},
    Entry{"UCM_RestMore", "Others not listed here: "},
    Entry{"UCM_RestNone",
          "There is no repair to undo: no backup file of Keldra Maintenance was found."},
    Entry{"UCM_RestOf", " of "},
    Entry{"UCM_Usage",
          "Keldra Maintenance runs one maintenance pass when it starts without a switch. "
          "Switches:"},
    Entry{"UCM_UsageAuto",
          "-auto  start at Windows logon: wait in the notification area for today's scheduled "
          "pass, or end when none is due"},
    Entry{"UCM_UsageHelp", "-?  show this list (also /? and -help)"},
    Entry{"UCM_UsageRestore",
          "-restore  put back the registry values that the latest repair removed"},
    Entry{"msg_OverError", "Not Enough Memory"},
};

// The caller's buffer holds 255 bytes and the terminating NUL.
constexpr std::size_t kMaxText = 255;
// A notification icon's tip holds 63 characters and the NUL.
constexpr std::size_t kMaxTip = 63;

constexpr const Entry* Find(std::string_view id) {
    const auto* it =
        std::lower_bound(kTexts.begin(), kTexts.end(), id,
                         [](const Entry& e, std::string_view key) { return e.id < key; });
    return it != kTexts.end() && it->id == id ? &*it : nullptr;
}

constexpr bool SortedAndUnique() {
    for (std::size_t i = 1; i < kTexts.size(); ++i) {
        if (!(kTexts[i - 1].id < kTexts[i].id)) {
            return false;
        }
    }
    return true;
}
static_assert(SortedAndUnique(), "kTexts must be sorted by identifier, each identifier once");

// Characters of a UTF-8 text, or nothing when it is not valid UTF-8. In the single-byte
// code page of its language each character is one byte.
constexpr std::optional<std::size_t> CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) {
                return std::nullopt;
            }
        }
        i += length;
    }
    return count;
}

constexpr bool Fits(std::string_view text, std::size_t limit) {
    const auto count = CharacterCount(text);
    return !text.empty() && count && *count <= limit && text.find('\0') == std::string_view::npos;
}

constexpr std::string_view TextOf(std::span<const Entry> table, std::string_view id) {
    for (const Entry& e : table) {
        if (e.id == id) {
            return e.text;
        }
    }
    return {};
}

// The program writes these texts right after a number or before one, a path or the second
// half of the welcome text, with nothing in between.
constexpr bool JoinsWithBlanks(std::span<const Entry> table) {
    for (const std::string_view id : {"OCM_PStat", "OCM_MStat", "OCM_SMH", "OCM_SMM"}) {
        if (!TextOf(table, id).starts_with(' ')) {
            return false;
        }
    }
    for (const std::string_view id : {"OCM_SMC", "OCM_SMH", "OCM_SIn", "OWM_2a"}) {
        if (!TextOf(table, id).ends_with(' ')) {
            return false;
        }
    }
    return true;
}

// Where a table first differs from the English list of identifiers: kTexts.size() when it
// has every identifier in the same order and no other. A translation missing for a new
// identifier stops the build here, at its position.
constexpr std::size_t FirstDifference(std::span<const Entry> table) {
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        if (i >= table.size() || table[i].id != kTexts[i].id) {
            return i;
        }
    }
    return table.size() == kTexts.size() ? kTexts.size() : kTexts.size() + 1;
}

constexpr bool AllFit(std::span<const Entry> table) {
    return std::all_of(table.begin(), table.end(),
                       [](const Entry& e) { return Fits(e.text, kMaxText); }) &&
           Fits(TextOf(table, "OSM_KLT"), kMaxTip);
}

static_assert(AllFit(kTexts), "every text must be non-empty and fit the caller's 255 bytes");
static_assert(Find("OSM_KLT") != nullptr && Find("OSM_KLT")->text.size() <= kMaxTip,
              "the tray tip is cut after 63 characters");
static_assert(JoinsWithBlanks(kTexts), "the blanks around joined numbers belong to the texts");

// One check per language, so that the compiler names the table that fails.
template <std::size_t I>
constexpr bool Complete() {
    constexpr const Translation& T = kTranslations[I];
    static_assert(FirstDifference(T.texts) == kTexts.size(),
                  "a translation lacks an identifier of kTexts (or has another) at this index");
    static_assert(AllFit(T.texts),
                  "every translated text must be valid UTF-8, non-empty and at most 255 "
                  "characters (the tray tip 63)");
    static_assert(JoinsWithBlanks(T.texts),
                  "the blanks around joined numbers belong to the translated texts too");
    return true;
}
static_assert(Complete<0>() && Complete<1>() && Complete<2>() && Complete<3>() && Complete<4>() &&
              kTranslations.size() == 5);

// The "Language" setting of the program's per-user settings, lower case, or "".
std::string LanguageSetting() {
    wchar_t data[32] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER,
                     L"Software\\VB and VBA Program Settings\\Keldra Maintenance\\Options",
                     L"Language", RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) {
        return {};
    }
    std::string code;
    for (const wchar_t* c = data; *c != L'\0' && *c != L'-' && *c != L'_'; ++c) {
        if (*c >= 0x80) {
            return {};
        }
        code += static_cast<char>(*c >= L'A' && *c <= L'Z' ? *c - L'A' + L'a' : *c);
    }
    return code;
}

// The translation asked for: the setting when it names one ("en" names English), else the
// user's interface language; nullptr for English.
const Translation* Wanted() {
    const std::string setting = LanguageSetting();
    if (setting == "en") {
        return nullptr;
    }
    for (const Translation& t : kTranslations) {
        if (t.code == setting) {
            return &t;
        }
    }
    const unsigned short primary = PRIMARYLANGID(GetUserDefaultUILanguage());
    for (const Translation& t : kTranslations) {
        if (t.primaryLanguage == primary) {
            return &t;
        }
    }
    return nullptr;
}

// The translation's text of entry `index` in the system's ANSI code page, or nothing when
// that code page cannot show every one of its texts: a window half in one language and half
// in '?' helps nobody, so such a system gets English.
std::optional<std::string> Translated(const Translation& t, std::size_t index) {
    std::optional<std::string> wanted;
    for (std::size_t i = 0; i < t.texts.size(); ++i) {
        auto text = keldra::lang::FromUtf8(t.texts[i].text, CP_ACP);
        if (!text || text->size() > kMaxText) {
            return std::nullopt;
        }
        if (i == index) {
            wanted = std::move(text);
        }
    }
    return wanted;
}

}  // namespace

// id: NUL-terminated identifier. buffer: 255 writable bytes plus one for the NUL. The third
// argument is reserved and always 0. Returns 1 and writes the text for a known identifier,
// in the system's ANSI code page; returns 0 and leaves the buffer alone otherwise.
extern "C" SHORT WINAPI GetValueForID(const char* id, char* buffer, INT /*reserved*/) {
    if (id == nullptr || buffer == nullptr) {
        return 0;
    }
    const Entry* entry = Find(id);
    if (entry == nullptr) {
        return 0;
    }
    std::string_view text = entry->text;
    std::optional<std::string> translated;
    try {
        if (const Translation* t = Wanted()) {
            translated = Translated(*t, static_cast<std::size_t>(entry - kTexts.data()));
        }
    } catch (...) {
        // Out of memory: the English text needs none, and nothing may unwind into the caller.
        translated.reset();
    }
    if (translated) {
        text = *translated;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return 1;
}
