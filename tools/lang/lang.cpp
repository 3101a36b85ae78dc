// lang.dll: the program's texts (English), looked up by identifier. The program loads the
// DLL from its own folder and calls GetValueForID for every text it shows.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace {

struct Entry {
    std::string_view id;
    std::string_view text;
};

// Code page 1252. Sorted by identifier in byte order (checked below) for the binary search.
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

constexpr bool AllFit() {
    return std::all_of(kTexts.begin(), kTexts.end(), [](const Entry& e) {
        return !e.text.empty() && e.text.size() <= kMaxText &&
               e.text.find('\0') == std::string_view::npos;
    });
}
static_assert(AllFit(), "every text must be non-empty and fit the caller's 255 bytes");
static_assert(Find("OSM_KLT") != nullptr && Find("OSM_KLT")->text.size() <= kMaxTip,
              "the tray tip is cut after 63 characters");

}  // namespace

// id: NUL-terminated identifier. buffer: 255 writable bytes plus one for the NUL. The third
// argument is reserved and always 0. Returns 1 and writes the text for a known identifier;
// returns 0 and leaves the buffer alone otherwise.
extern "C" SHORT WINAPI GetValueForID(const char* id, char* buffer, INT /*reserved*/) {
    if (id == nullptr || buffer == nullptr) {
        return 0;
    }
    const Entry* entry = Find(id);
    if (entry == nullptr) {
        return 0;
    }
    std::memcpy(buffer, entry->text.data(), entry->text.size());
    buffer[entry->text.size()] = '\0';
    return 1;
}
