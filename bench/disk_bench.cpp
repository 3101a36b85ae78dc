// The disk stage against one bare enumeration of the same tree, on a large generated
// tree of a sandbox drive.
//
//   keldra_bench.exe disk [folders] [filesPerFolder] [drive] [junk percent]
//
// Seeds <drive>\keldra-bench-tree (folders in two levels, every eighth file a junk name of
// one of the rules, or the given percentage of them, one hidden file in every tenth folder), then
// times, alternately, a bare recursive FindFirstFileExW enumeration of the drive and the junk
// search of that drive (the Internet-cache rule included, as the first drive of a pass has it).
// Prints the best of three of each, their ratio, and the growth of the peak private memory during a
// search per file listed.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "disk/frm_disk_scan_details.h"
#include "disk/junk_files.h"
#include "disk/mod_disk_clean.h"
#include "platform/event_pump.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_ui.h"
#include "sysinfo/user_control1.h"

namespace {

constexpr const wchar_t* kJunkNames[] = {L"%05d.tmp", L"%05d.bak", L"~%05d.doc", L"%05d.gid",
                                         L"%05d.old", L"%05d.ex$", L"%05d.dmp",  L"%05d.fts"};

bool Touch(const std::wstring& path, DWORD bytes) {
    const keldra::platform::win32::UniqueFileHandle file(CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    if (bytes != 0) {
        SetFilePointer(file.get(), static_cast<LONG>(bytes), nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
    }
    return true;
}

// Creates the tree unless a previous run left it complete.
// Whether file number f of a folder gets a junk name: every eighth, or `percent` of them
// spread evenly.
bool IsJunk(int f, int percent) {
    if (percent <= 0) {
        return f % 8 == 7;
    }
    return ((f + 1) * percent) / 100 != (f * percent) / 100;
}

void Seed(const std::wstring& root, int folders, int filesPerFolder, int percent) {
    const std::wstring marker = root + L"\\done-" + std::to_wstring(folders) + L"-" +
                                std::to_wstring(filesPerFolder) + L"-" + std::to_wstring(percent);
    if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    CreateDirectoryW(root.c_str(), nullptr);
    const int top = std::max(1, folders / 100);
    int made = 0;
    for (int t = 0; t < top && made < folders; ++t) {
        const std::wstring level1 = root + L"\\Group" + std::to_wstring(t);
        CreateDirectoryW(level1.c_str(), nullptr);
        for (int s = 0; s < folders / top && made < folders; ++s, ++made) {
            const std::wstring folder = level1 + L"\\Folder" + std::to_wstring(s);
            CreateDirectoryW(folder.c_str(), nullptr);
            for (int f = 0; f < filesPerFolder; ++f) {
                wchar_t name[32];
                if (IsJunk(f, percent)) {
                    std::swprintf(name, 32, kJunkNames[percent <= 0 ? (f / 8) % 8 : f % 8], f);
                } else {
                    std::swprintf(name, 32, L"file%05d.dat", f);
                }
                Touch(folder + L"\\" + name, static_cast<DWORD>(f * 37 % 4096));
            }
            if (made % 10 == 0) {
                const std::wstring hidden = folder + L"\\hidden.tmp";
                Touch(hidden, 1);
                SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
            }
        }
        std::printf("  %d folders\r", made);
        std::fflush(stdout);
    }
    Touch(marker, 0);
    std::printf("\n");
}

// One bare enumeration: every entry of every folder, links not followed.
void BareWalk(const std::wstring& folder, std::size_t& files, std::size_t& folders) {
    ++folders;
    WIN32_FIND_DATAW data;
    const keldra::platform::win32::UniqueFindHandle find(
        FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        return;
    }
    std::vector<std::wstring> subfolders;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                subfolders.push_back(folder + L"\\" + name);
            }
        } else {
            ++files;
        }
    } while (FindNextFileW(find.get(), &data));
    for (const auto& sub : subfolders) {
        BareWalk(sub, files, folders);
    }
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

SIZE_T PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}

// The real files, but trusting the listings as on Windows, where they show every link:
// what the stage costs without Wine's check of each file it lists.
class TrustingListings final : public keldra::platform::FilePort {
  public:
    explicit TrustingListings(keldra::platform::FilePort& inner) : inner_(inner) {}
    using Status = keldra::platform::FileStatus;
    using Entries = std::vector<keldra::platform::FolderEntry>;
    Status ListFolder(std::string_view f, Entries& e) override { return inner_.ListFolder(f, e); }
    Status ListFolderNoFollow(std::string_view f, Entries& e) override {
        return inner_.ListFolderNoFollow(f, e);
    }
    Status GetAttributes(std::string_view p, std::uint32_t& a) override {
        return inner_.GetAttributes(p, a);
    }
    Status SetAttributes(std::string_view p, std::uint32_t a) override {
        return inner_.SetAttributes(p, a);
    }
    Status TruncateFile(std::string_view p) override { return inner_.TruncateFile(p); }
    Status FileSize(std::string_view p, std::uint64_t& b) override { return inner_.FileSize(p, b); }
    Status HardLinkCount(std::string_view p, std::uint32_t& l) override {
        return inner_.HardLinkCount(p, l);
    }
    Status RenameFile(std::string_view f, std::string_view t) override {
        return inner_.RenameFile(f, t);
    }
    Status RemoveFile(std::string_view p) override { return inner_.RemoveFile(p); }
    Status Inspect(std::string_view p, keldra::platform::OpenedFacts& f) override {
        return inner_.Inspect(p, f);
    }
    Status ResolvedPath(std::string_view p, std::string& r) override {
        return inner_.ResolvedPath(p, r);
    }
    Status OpenForRemoval(std::string_view p, keldra::platform::OpenedFacts& f,
                          std::unique_ptr<keldra::platform::OpenedFile>& file) override {
        return inner_.OpenForRemoval(p, f, file);
    }
    bool ListingsShowFileLinks() const override { return true; }
    Status OpenWalkedFolder(std::string_view f,
                            std::unique_ptr<keldra::platform::WalkedFolder>& o) override {
        return inner_.OpenWalkedFolder(f, o);
    }

  private:
    keldra::platform::FilePort& inner_;
};

// The port's own share of the stage: every folder opened and listed as the walk does it
// (subfolders from their parent's handle), nothing matched or checked.
void PortWalk(keldra::platform::WalkedFolder& folder, std::size_t& files) {
    std::vector<keldra::platform::FolderEntry> entries;
    if (folder.List(entries) != 0) {
        return;
    }
    for (const auto& entry : entries) {
        if (!entry.IsFolder()) {
            ++files;
            continue;
        }
        std::unique_ptr<keldra::platform::WalkedFolder> sub;
        if (!entry.reparsePoint && folder.OpenSubfolder(entry.name, entry.fileId, sub) == 0) {
            PortWalk(*sub, files);
        }
    }
}

// The listed files by folder, as the walk meets them.
std::vector<std::pair<std::string, std::vector<std::string>>> ByFolder(
    const keldra::disk::JunkList& junk) {
    std::vector<std::pair<std::string, std::vector<std::string>>> folders;
    for (const auto& file : junk.JunkFiles) {
        const auto cut = file.Path.rfind('\\');
        std::string folder = file.Path.substr(0, cut == 2 ? 3 : cut);
        if (folders.empty() || folders.back().first != folder) {
            folders.push_back({std::move(folder), {}});
        }
        folders.back().second.push_back(file.Path.substr(cut + 1));
    }
    return folders;
}

// Wine's check of each listed file as the walk makes it, and its open and close alone (what
// any check through a handle costs).
struct FileCheckTimes {
    double walk = 0;
    double openClose = 0;
    std::size_t inPlace = 0;
};

FileCheckTimes FileChecks(keldra::platform::FilePort& files, const keldra::disk::JunkList& junk) {
    FileCheckTimes times;
    const auto folders = ByFolder(junk);
    auto start = std::chrono::steady_clock::now();
    for (const auto& [folder, names] : folders) {
        std::unique_ptr<keldra::platform::WalkedFolder> opened;
        if (files.OpenWalkedFolder(folder, opened) != 0) {
            continue;
        }
        for (const auto& name : names) {
            bool same = false;
            if (opened->ResolvesInPlace(name, same) == 0 && same) {
                ++times.inPlace;
            }
        }
    }
    times.walk = Seconds(start);
    start = std::chrono::steady_clock::now();
    for (const auto& file : junk.JunkFiles) {
        const keldra::platform::win32::UniqueFileHandle opened(CreateFileW(
            keldra::platform::win32::PlatformPath(file.Path).c_str(), FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    }
    times.openClose = Seconds(start);
    return times;
}

// Removal: the opens it cannot do without, the checks it makes before it acts (every
// folder on the way, then the file opened for removal and its facts read), and the
// whole removal of every listed file, which empties the tree.
void RemovalBench(keldra::platform::FilePort& files, keldra::disk::ModDiskClean& clean,
                  keldra::disk::JunkList& junk, double stage) {
    const auto& list = junk.JunkFiles;
    auto start = std::chrono::steady_clock::now();
    for (const auto& file : list) {
        const std::wstring path = keldra::platform::win32::PlatformPath(file.Path);
        const keldra::platform::win32::UniqueFileHandle opened(CreateFileW(
            path.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_WRITE, nullptr,
            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_WRITE_THROUGH, nullptr));
    }
    const double opens = Seconds(start);
    start = std::chrono::steady_clock::now();
    std::size_t passed = 0;
    for (const auto& file : list) {
        bool plain = true;
        for (auto at = file.Path.find('\\', 3); at != std::string::npos && plain;
             at = file.Path.find('\\', at + 1)) {
            std::uint32_t attributes = 0;
            plain = files.GetAttributes(file.Path.substr(0, at), attributes) == 0 &&
                    (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        }
        keldra::platform::OpenedFacts facts;
        std::unique_ptr<keldra::platform::OpenedFile> opened;
        if (plain && files.OpenForRemoval(file.Path, facts, opened) == 0 &&
            facts.identity == file.Identity) {
            ++passed;
        }
    }
    const double checks = Seconds(start);
    const std::size_t all = list.size();
    // The whole removal of a sample: each file is also emptied with write-through, which
    // costs the disk's time, not the checks'.
    junk.Truncate(std::min<std::int64_t>(junk.JunkCount, 10000));
    start = std::chrono::steady_clock::now();
    clean.DestroyJunk();
    const double removal = Seconds(start);
    std::size_t left = 0;
    for (const auto& file : list) {
        left += GetFileAttributesW(keldra::platform::win32::PlatformPath(file.Path).c_str()) !=
                INVALID_FILE_ATTRIBUTES;
    }
    std::printf(
        "removal: %zu files: opening each for removal %.2f s; the checks before acting (folders "
        "on the way, open, facts) %.2f s, %zu passed; the checks beyond the open %.2f s = %.0f "
        "%% of the stage\n",
        all, opens, checks, passed, checks - opens, 100.0 * (checks - opens) / stage);
    std::printf("removal: the whole removal of %zu of them %.2f s (%.0f us each), %zu left\n",
                list.size(), removal, 1e6 * removal / static_cast<double>(list.size()), left);
}

struct Figures {
    std::size_t walkedFiles;
    std::size_t walkedFolders;
    double bare;
    double paced;
    double everyFolder;
    double trusted;
    double portWalk;
    SIZE_T peakGrowth;
    bool display;
};

void PrintFigures(const Figures& f, keldra::platform::FilePort& files,
                  const keldra::disk::JunkList& junk) {
    std::size_t listBytes = junk.JunkFiles.capacity() * sizeof(keldra::disk::JunkFile);
    for (const auto& file : junk.JunkFiles) {
        listBytes += file.Path.capacity() + 1;
    }
    const double listed = static_cast<double>(std::max<std::int64_t>(junk.JunkCount, 1));
    std::printf("disk: %zu files in %zu folders walked, %lld junk files listed (%.1f MB)\n",
                f.walkedFiles, f.walkedFolders, static_cast<long long>(junk.JunkCount),
                static_cast<double>(junk.JunkBytes) / (1024.0 * 1024.0));
    std::printf("disk: bare walk %.2f s, junk search %.2f s, ratio %.2f%s\n", f.bare, f.paced,
                f.paced / f.bare,
                f.display ? " (with the label and the results window)" : " (without windows)");
    std::printf("disk: junk search with events at every folder %.2f s, ratio %.2f\n", f.everyFolder,
                f.everyFolder / f.bare);
    if (!files.ListingsShowFileLinks()) {
        std::printf(
            "disk: junk search trusting the listings as on Windows %.2f s, ratio %.2f; "
            "Wine's check of each listed file %.0f %% of the stage\n",
            f.trusted, f.trusted / f.bare, 100.0 * (f.paced - f.trusted) / f.paced);
    }
    std::printf("disk: memory per listed file: %.0f bytes in the list, %.0f bytes of peak growth\n",
                static_cast<double>(listBytes) / listed,
                static_cast<double>(f.peakGrowth) / listed);
    std::printf(
        "steps: the port's walk alone (every folder opened and listed as the search does) "
        "%.2f s = %.2f x the bare walk; the search's own work besides it %.2f s\n",
        f.portWalk, f.portWalk / f.bare,
        (files.ListingsShowFileLinks() ? f.paced : f.trusted) - f.portWalk);
    if (!files.ListingsShowFileLinks()) {
        const FileCheckTimes times = FileChecks(files, junk);
        std::printf(
            "steps: Wine's check of the %lld listed files as the walk makes it %.2f s "
            "(%.1f us each, %zu in place), of which opening and closing %.2f s (%.1f us)\n",
            static_cast<long long>(junk.JunkCount), times.walk, 1e6 * times.walk / listed,
            times.inPlace, times.openClose, 1e6 * times.openClose / listed);
    }
}

}  // namespace

// The best of three rounds of each measure: the bare walk, the port's walk alone, the
// stage as the program paces its events, with events at every folder, and trusting the
// listings as on Windows; and the growth of the peak memory in the first paced stage.
struct Best {
    double bare = 1e9;
    double portWalk = 1e9;
    double paced = 1e9;
    double everyFolder = 1e9;
    double trusted = 1e9;
    SIZE_T peakGrowth = 0;
};

Best BestOfThree(const std::wstring& drive, keldra::platform::win32::Win32Files& files,
                 keldra::disk::JunkList& junk, keldra::disk::ModDiskClean& pacedStage,
                 keldra::disk::ModDiskClean& eagerStage,
                 keldra::disk::ModDiskClean& trustingStage) {
    const std::vector<std::string> designation{keldra::platform::win32::Narrow(drive)};
    const auto time = [](double& best, const auto& measure) {
        const auto start = std::chrono::steady_clock::now();
        measure();
        best = std::min(best, Seconds(start));
    };
    Best best;
    for (int round = 0; round < 3; ++round) {
        time(best.bare, [&] {
            std::size_t f = 0;
            std::size_t d = 0;
            BareWalk(drive + L"\\", f, d);
        });
        time(best.portWalk, [&] {
            std::unique_ptr<keldra::platform::WalkedFolder> top;
            if (files.OpenWalkedFolder(keldra::platform::win32::Narrow(drive) + "\\", top) == 0) {
                std::size_t listedFiles = 0;
                PortWalk(*top, listedFiles);
            }
        });
        junk.Clear();
        const SIZE_T peakBefore = PeakPrivateBytes();
        time(best.paced, [&] { pacedStage.SearchDrives(designation); });
        if (round == 0) {
            best.peakGrowth = PeakPrivateBytes() - peakBefore;
        }
        junk.Clear();
        time(best.everyFolder, [&] { eagerStage.SearchDrives(designation); });
        if (!files.ListingsShowFileLinks()) {
            junk.Clear();
            time(best.trusted, [&] { trustingStage.SearchDrives(designation); });
        }
    }
    return best;
}

int DiskBench(int argc, wchar_t** argv) {
    const int folders = argc > 2 ? _wtoi(argv[2]) : 5000;
    const int filesPerFolder = argc > 3 ? _wtoi(argv[3]) : 40;
    const std::wstring drive = argc > 4 ? argv[4] : L"D:";
    const int percent = argc > 5 ? _wtoi(argv[5]) : 0;
    const std::wstring root = drive + L"\\keldra-bench-tree";
    std::printf("seeding %d folders with %d files each on %ls...\n", folders, filesPerFolder,
                drive.c_str());
    std::fflush(stdout);
    Seed(root, folders, filesPerFolder, percent);

    keldra::platform::win32::Win32FileSystem fileSystem;
    keldra::platform::win32::Win32Files files;
    keldra::platform::win32::Win32Ui ui;
    keldra::platform::win32::Win32Process process;
    const keldra::sysinfo::UserControl1 shd(fileSystem);
    bool cancelled = false;
    keldra::disk::JunkList junk;
    // With a display, the search also writes the folder in progress into a label and
    // appends to the results window's list, as in the program.
    const bool display = std::getenv("DISPLAY") != nullptr;
    std::unique_ptr<keldra::platform::ui::Window> window;
    keldra::platform::ui::Control* label = nullptr;
    const bool allEnd = false;
    std::unique_ptr<keldra::disk::FrmDiskScanDetails> results;
    if (display) {
        window = ui.NewWindow("bench", {});
        label = &window->AddControl(keldra::platform::ui::ControlKind::Label, "lblSchedStart",
                                    {0, 0, 4800, 615}, "", {});
        results = std::make_unique<keldra::disk::FrmDiskScanDetails>(
            ui, [](std::string_view id) { return std::string(id); }, junk, allEnd);
    }
    TrustingListings trusting(files);
    const auto stage = [&](std::uint32_t interval, keldra::platform::FilePort& port) {
        auto pump = std::make_shared<keldra::platform::EventPump>(ui, process, interval);
        return std::make_unique<keldra::disk::ModDiskClean>(
            keldra::disk::ModDiskClean::Services{
                fileSystem, port, process, shd, [pump] { pump->Point(); },
                [](std::string_view) { return std::string("Searching in "); }, nullptr,
                [&](std::string_view text) {
                    if (label != nullptr) {
                        label->SetText(text);
                    }
                },
                [&] {
                    if (results) {
                        results->Load();
                    }
                }},
            cancelled, junk);
    };
    std::size_t walkedFiles = 0;
    std::size_t walkedFolders = 0;
    BareWalk(drive + L"\\", walkedFiles, walkedFolders);

    auto pacedStage = stage(10, files);
    auto eagerStage = stage(0, files);
    auto trustingStage = stage(10, trusting);
    const Best best = BestOfThree(drive, files, junk, *pacedStage, *eagerStage, *trustingStage);
    PrintFigures({walkedFiles, walkedFolders, best.bare, best.paced, best.everyFolder, best.trusted,
                  best.portWalk, best.peakGrowth, display},
                 files, junk);
    std::fflush(stdout);
    RemovalBench(files, *pacedStage, junk, best.paced);
    return 0;
}
