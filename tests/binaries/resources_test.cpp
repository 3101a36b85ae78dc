// The resources linked into the program (here: into the test) and the scan clip beside it.
#include <windows.h>

#include <commctrl.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "binaries/beside.h"
#include "keldra_version.h"
#include "platform/win32/handles.h"

namespace keldra::testing {
namespace {

using platform::win32::UniqueHBitmap;
using platform::win32::UniqueHIcon;
using platform::win32::UniqueHwnd;

std::span<const BYTE> ResourceBytes(const wchar_t* name, const wchar_t* type) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    const auto* data = static_cast<const BYTE*>(LockResource(loaded));
    return data ? std::span<const BYTE>(data, SizeofResource(nullptr, found))
                : std::span<const BYTE>();
}

template <typename T>
T Read(std::span<const BYTE> bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) {
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    }
    return value;
}

struct GroupEntry {
    int size;
    int bits;
    WORD id;
};

// The directory of an icon group as the resource compiler stored it.
std::vector<GroupEntry> IconGroup(const wchar_t* name) {
    const auto group = ResourceBytes(name, RT_GROUP_ICON);
    std::vector<GroupEntry> entries;
    if (group.size() < 6 || Read<WORD>(group, 2) != 1) {
        return entries;
    }
    const WORD count = Read<WORD>(group, 4);
    for (WORD i = 0; i < count; ++i) {
        const std::size_t at = 6 + 14 * std::size_t{i};
        const int width = Read<BYTE>(group, at);
        entries.push_back(
            {width == 0 ? 256 : width, Read<WORD>(group, at + 6), Read<WORD>(group, at + 12)});
    }
    return entries;
}

// One image of a group: its header agrees with the directory, it makes an icon, and its
// corners are see-through while its middle is not.
void CheckIconImage(const GroupEntry& e) {
    SCOPED_TRACE(::testing::Message() << e.size << " px, " << e.bits << " bit");
    const auto image = ResourceBytes(MAKEINTRESOURCEW(e.id), RT_ICON);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    const auto bih = Read<BITMAPINFOHEADER>(image, 0);
    EXPECT_EQ(bih.biWidth, e.size);
    EXPECT_EQ(bih.biHeight, 2 * e.size);
    ASSERT_EQ(bih.biBitCount, e.bits);

    {
        const UniqueHIcon icon(CreateIconFromResourceEx(
            const_cast<BYTE*>(image.data()), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
            e.size, e.size, LR_DEFAULTCOLOR));
        EXPECT_NE(icon.get(), nullptr);
    }

    const std::size_t colors = e.bits <= 8 ? (bih.biClrUsed ? bih.biClrUsed : 1u << e.bits) : 0;
    const std::size_t pixels = bih.biSize + colors * 4;
    const std::size_t stride = ((e.size * e.bits + 31) / 32) * 4;
    const std::size_t mask = pixels + stride * e.size;
    const std::size_t mask_stride = ((e.size + 31) / 32) * 4;
    ASSERT_GE(image.size(), mask + mask_stride * e.size);
    // Rows are stored bottom-up; the mask bit is 1 where the icon is transparent.
    auto transparent = [&](int x, int y) {
        const BYTE byte = image[mask + mask_stride * (e.size - 1 - y) + x / 8];
        return (byte & (0x80 >> (x % 8))) != 0;
    };
    const int last = e.size - 1;
    EXPECT_TRUE(transparent(0, 0) && transparent(last, 0) && transparent(0, last) &&
                transparent(last, last));
    EXPECT_FALSE(transparent(e.size / 2, e.size / 2));
    if (e.bits == 32) {
        // Anti-aliased: besides clear and solid pixels there are partly covered ones.
        int clear = 0, solid = 0, partial = 0;
        for (int i = 0; i < e.size * e.size; ++i) {
            const BYTE alpha = image[pixels + 4 * static_cast<std::size_t>(i) + 3];
            (alpha == 0 ? clear : alpha == 255 ? solid : partial)++;
        }
        EXPECT_GT(clear, 0);
        EXPECT_GT(solid, e.size * e.size / 3);
        EXPECT_GT(partial, e.size);
    }
}

void CheckLoadsAt(const wchar_t* name, int size) {
    SCOPED_TRACE(::testing::Message() << size << " px");
    const UniqueHIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ASSERT_NE(icon.get(), nullptr) << "error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    // The icon's copies of its bitmaps are the caller's; the colour one goes first.
    const UniqueHBitmap mask(info.hbmMask);
    const UniqueHBitmap color(info.hbmColor);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, size);
}

TEST(Resources, ProgramIconLoadsAtEachSize) {
    for (const int size : {48, 32, 16}) {
        CheckLoadsAt(L"AAA", size);
    }
}

TEST(Resources, ProgramIconHasTrueColourAnd256ColourImagesAtEachSize) {
    const auto entries = IconGroup(L"AAA");
    ASSERT_EQ(entries.size(), 6u);
    std::set<std::pair<int, int>> kinds;
    for (const auto& e : entries) {
        kinds.emplace(e.size, e.bits);
        CheckIconImage(e);
    }
    const std::set<std::pair<int, int>> expected{{48, 8},  {48, 32}, {32, 8},
                                                 {32, 32}, {16, 8},  {16, 32}};
    EXPECT_EQ(kinds, expected);
}

TEST(Resources, TrayIconHas16And32PixelImagesWithAlpha) {
    const auto entries = IconGroup(L"TRAY");
    ASSERT_EQ(entries.size(), 2u);
    std::set<int> sizes;
    for (const auto& e : entries) {
        sizes.insert(e.size);
        EXPECT_EQ(e.bits, 32);
        CheckIconImage(e);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
    CheckLoadsAt(L"TRAY", 16);
    CheckLoadsAt(L"TRAY", 32);
}

// The colour of one pixel of a 32-bit icon image, as (r, g, b, alpha); rows bottom-up.
std::array<int, 4> IconPixel(const GroupEntry& e, int x, int y) {
    const auto image = ResourceBytes(MAKEINTRESOURCEW(e.id), RT_ICON);
    const std::size_t at =
        sizeof(BITMAPINFOHEADER) + 4 * (static_cast<std::size_t>(e.size - 1 - y) * e.size + x);
    if (e.bits != 32 || at + 4 > image.size()) {
        return {};
    }
    return {image[at + 2], image[at + 1], image[at], image[at + 3]};
}

TEST(Resources, RegistryErrorRowIconIsAWhiteCrossOnRedAt16And32Pixels) {
    const auto entries = IconGroup(L"IMREGERROR");
    ASSERT_EQ(entries.size(), 2u);
    std::set<int> sizes;
    for (const auto& e : entries) {
        sizes.insert(e.size);
        EXPECT_EQ(e.bits, 32);
        CheckIconImage(e);
        SCOPED_TRACE(::testing::Message() << e.size << " px");
        // The cross meets in the middle; the disc around it is red.
        const auto middle = IconPixel(e, e.size / 2, e.size / 2);
        EXPECT_GT(std::min({middle[0], middle[1], middle[2]}), 200) << "white";
        const auto disc = IconPixel(e, e.size / 2, e.size / 8 + 1);
        EXPECT_EQ(disc[3], 255);
        EXPECT_GT(disc[0], 150) << "red";
        EXPECT_LT(disc[1], 110);
        EXPECT_LT(disc[2], 110);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
    CheckLoadsAt(L"IMREGERROR", 16);
    CheckLoadsAt(L"IMREGERROR", 32);
}

// One banner per DPI, each the size of the picture control there (7,200 x 1,410 twips).
TEST(Resources, BannerIsTrueColourAt96And144And192Dpi) {
    for (const auto& [name, dpi] :
         {std::pair{L"BANNER", 96}, std::pair{L"BANNER_144", 144}, std::pair{L"BANNER_192", 192}}) {
        SCOPED_TRACE(dpi);
        const UniqueHBitmap banner(static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        ASSERT_NE(banner.get(), nullptr) << "error " << GetLastError();
        DIBSECTION dib{};
        EXPECT_EQ(GetObjectW(banner.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, MulDiv(7200, dpi, 1440));
        EXPECT_EQ(dib.dsBm.bmHeight, MulDiv(1410, dpi, 1440));
        EXPECT_EQ(dib.dsBmih.biBitCount, 24);
    }
}

TEST(Resources, ManifestAsksForCommonControls6AndDpiAwareness) {
    const auto bytes = ResourceBytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(bytes.empty());
    const std::string_view xml(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (const std::string_view part :
         {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
          ">PerMonitorV2<", ">true<", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(xml.find(part), std::string_view::npos) << part;
    }
}

// The version information of a binary: every one of the build carries the build's version.
void ExpectVersionInformation(const std::wstring& path, std::wstring_view originalName,
                              DWORD fileType) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

    void* fixed_ptr = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed_ptr, &fixed_size));
    ASSERT_GE(fixed_size, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixed_ptr);
    constexpr DWORD kMs = (KELDRA_VERSION_MAJOR << 16) | KELDRA_VERSION_MINOR;
    constexpr DWORD kLs = KELDRA_VERSION_PATCH << 16;
    EXPECT_EQ(fixed->dwFileVersionMS, kMs);
    EXPECT_EQ(fixed->dwFileVersionLS, kLs);
    EXPECT_EQ(fixed->dwProductVersionMS, kMs);
    EXPECT_EQ(fixed->dwProductVersionLS, kLs);
    EXPECT_EQ(fixed->dwFileType, fileType);

    const std::wstring version = std::to_wstring(KELDRA_VERSION_MAJOR) + L"." +
                                 std::to_wstring(KELDRA_VERSION_MINOR) + L"." +
                                 std::to_wstring(KELDRA_VERSION_PATCH) + L".0";
    const std::pair<const wchar_t*, std::wstring_view> strings[] = {
        {L"CompanyName", L"Keldra"},
        {L"ProductName", L"Keldra Maintenance"},
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"OriginalFilename", originalName}};
    for (const auto& [key, expected] : strings) {
        void* value = nullptr;
        UINT chars = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(VerQueryValueW(info.data(), query.c_str(), &value, &chars)) << key;
        EXPECT_EQ(std::wstring_view(static_cast<const wchar_t*>(value)), expected);
    }
    void* description = nullptr;
    UINT chars = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\FileDescription",
                               &description, &chars));
    EXPECT_GT(chars, 1u);
}

TEST(Resources, VersionInformationOnEveryBinaryNamesTheProductAndTheBuildVersion) {
    // This test carries keldra.exe's resources; the helpers lie beside it.
    std::vector<wchar_t> path(MAX_PATH);
    ASSERT_NE(GetModuleFileNameW(nullptr, path.data(), MAX_PATH), 0u);
    ExpectVersionInformation(path.data(), L"keldra.exe", VFT_APP);
    ExpectVersionInformation(BesideTestProgram(L"lang.dll"), L"lang.dll", VFT_DLL);
    ExpectVersionInformation(BesideTestProgram(L"freemem.exe"), L"freemem.exe", VFT_APP);
}

// False when even a plain window cannot be made, as under Wine without a graphics driver.
bool CanCreateWindows() {
    const UniqueHwnd probe(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr));
    return static_cast<bool>(probe);
}

TEST(Resources, ScanClipOpensAndPlaysInAnAnimationControl) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_ANIMATE_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    // Hidden: the control parses the clip on ACM_OPEN whether it shows or not.
    const UniqueHwnd window(CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_POPUP, 0, 0, 41, 41, nullptr,
                                            nullptr, GetModuleHandleW(nullptr), nullptr));
    HWND animation = window.get();
    if (animation == nullptr && !CanCreateWindows()) {
        GTEST_SKIP() << "no window can be created here: Wine without a display or graphics "
                        "driver (a sandbox without [HKCU\\Software\\Wine\\Drivers] "
                        "\"Graphics\"=\"null\" and without DISPLAY)";
    }
    ASSERT_NE(animation, nullptr) << "error " << GetLastError();
    const std::wstring clip = BesideTestProgram(L"cpuscan.avi");
    EXPECT_EQ(SendMessageW(animation, ACM_OPENW, 0, reinterpret_cast<LPARAM>(clip.c_str())), TRUE);
    // Play every frame, looping.
    EXPECT_EQ(SendMessageW(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF)),
              TRUE);
    SendMessageW(animation, ACM_STOP, 0, 0);
    // The control does check what it opens: another file is refused.
    const std::wstring not_a_clip = BesideTestProgram(L"lang.dll");
    EXPECT_EQ(SendMessageW(animation, ACM_OPENW, 0, reinterpret_cast<LPARAM>(not_a_clip.c_str())),
              FALSE);
}

constexpr DWORD Fourcc(const char (&code)[5]) {
    return static_cast<DWORD>(static_cast<BYTE>(code[0])) |
           static_cast<DWORD>(static_cast<BYTE>(code[1])) << 8 |
           static_cast<DWORD>(static_cast<BYTE>(code[2])) << 16 |
           static_cast<DWORD>(static_cast<BYTE>(code[3])) << 24;
}

struct Chunk {
    DWORD id = 0;
    DWORD list_type = 0;  // for RIFF and LIST chunks
    std::size_t data = 0;
    std::size_t size = 0;
};

// The chunks directly inside [begin, end); empty if one of them overruns the end.
std::vector<Chunk> Chunks(std::span<const BYTE> file, std::size_t begin, std::size_t end) {
    std::vector<Chunk> chunks;
    for (std::size_t at = begin; at + 8 <= end;) {
        Chunk c{Read<DWORD>(file, at), 0, at + 8, Read<DWORD>(file, at + 4)};
        if (c.data + c.size > end) {
            return {};
        }
        if (c.id == Fourcc("RIFF") || c.id == Fourcc("LIST")) {
            c.list_type = Read<DWORD>(file, c.data);
        }
        chunks.push_back(c);
        at = c.data + c.size + (c.size & 1);
    }
    return chunks;
}

const Chunk* Find(const std::vector<Chunk>& chunks, DWORD id, DWORD list_type = 0) {
    const auto it = std::find_if(chunks.begin(), chunks.end(), [&](const Chunk& c) {
        return c.id == id && (list_type == 0 || c.list_type == list_type);
    });
    return it != chunks.end() ? &*it : nullptr;
}

std::vector<BYTE> ReadWholeFile(const std::wstring& path) {
    HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        return {};
    }
    const platform::win32::UniqueKernelHandle file(raw);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart >= (1 << 24)) {
        return {};
    }
    std::vector<BYTE> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size()) {
        return {};
    }
    return bytes;
}

// Walked by hand the way the animation control reads a clip: the headers, then one chunk per
// frame in 'movi', exactly as many as the main header promises (or the control refuses it).
TEST(Resources, ScanClipHasTheLayoutTheAnimationControlReads) {
    const std::vector<BYTE> bytes = ReadWholeFile(BesideTestProgram(L"cpuscan.avi"));
    const std::span<const BYTE> file(bytes);
    ASSERT_GE(file.size(), 12u);
    ASSERT_EQ(Read<DWORD>(file, 0), Fourcc("RIFF"));
    ASSERT_EQ(Read<DWORD>(file, 4) + 8u, file.size());
    ASSERT_EQ(Read<DWORD>(file, 8), Fourcc("AVI "));
    const auto top = Chunks(file, 12, file.size());
    const Chunk* hdrl = Find(top, Fourcc("LIST"), Fourcc("hdrl"));
    const Chunk* movi = Find(top, Fourcc("LIST"), Fourcc("movi"));
    ASSERT_TRUE(hdrl && movi);
    const auto headers = Chunks(file, hdrl->data + 4, hdrl->data + hdrl->size);
    const Chunk* avih = Find(headers, Fourcc("avih"));
    const Chunk* strl = Find(headers, Fourcc("LIST"), Fourcc("strl"));
    ASSERT_TRUE(avih && strl);
    ASSERT_GE(avih->size, sizeof(MainAVIHeader));
    const auto avi = Read<MainAVIHeader>(file, avih->data);
    const auto stream_chunks = Chunks(file, strl->data + 4, strl->data + strl->size);
    const Chunk* strh = Find(stream_chunks, Fourcc("strh"));
    const Chunk* strf = Find(stream_chunks, Fourcc("strf"));
    ASSERT_TRUE(strh && strf);
    // 56 bytes on disk; MinGW's AVIStreamHeader declares the frame rectangle with LONGs.
    ASSERT_GE(strh->size, 56u);
    ASSERT_GE(strf->size, sizeof(BITMAPINFOHEADER));
    const DWORD stream_type = Read<DWORD>(file, strh->data);
    const DWORD stream_handler = Read<DWORD>(file, strh->data + 4);
    const auto format = Read<BITMAPINFOHEADER>(file, strf->data);

    EXPECT_EQ(avi.dwStreams, 1u) << "the clip must have no sound";
    EXPECT_EQ(avi.dwWidth, 41u);
    EXPECT_EQ(avi.dwHeight, 41u);
    EXPECT_GE(avi.dwMicroSecPerFrame, 80000u);  // about 10 frames a second
    EXPECT_LE(avi.dwMicroSecPerFrame, 125000u);
    EXPECT_GE(avi.dwTotalFrames, 8u);
    EXPECT_LE(avi.dwTotalFrames, 16u);
    EXPECT_EQ(stream_type, Fourcc("vids"));
    // Uncompressed: the control then needs no codec.
    EXPECT_TRUE(stream_handler == 0 || stream_handler == Fourcc("DIB "));
    EXPECT_EQ(format.biCompression, static_cast<DWORD>(BI_RGB));
    ASSERT_TRUE(format.biBitCount == 8 || format.biBitCount == 24) << format.biBitCount;
    EXPECT_EQ(format.biWidth, 41);
    EXPECT_EQ(format.biHeight, 41);

    const auto frames = Chunks(file, movi->data + 4, movi->data + movi->size);
    ASSERT_EQ(frames.size(), avi.dwTotalFrames);
    const std::size_t frame_size =
        ((static_cast<std::size_t>(format.biWidth) * format.biBitCount + 31) / 32) * 4 *
        static_cast<std::size_t>(format.biHeight);
    for (const Chunk& frame : frames) {
        EXPECT_GE(frame.size, frame_size);
    }
    // It moves: every frame differs from the one before it, the first from the last too.
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto a = file.subspan(frames[i].data, frame_size);
        const auto b = file.subspan(frames[(i + 1) % frames.size()].data, frame_size);
        EXPECT_FALSE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << "frame " << i;
    }
}

// The system's own AVI reader agrees.
TEST(Resources, ScanClipReadsBackThroughTheAviFileFunctions) {
    const std::wstring clip = BesideTestProgram(L"cpuscan.avi");
    AVIFileInit();
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenW(&file, clip.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr), AVIERR_OK);
    AVIFILEINFOW file_info{};
    EXPECT_EQ(AVIFileInfoW(file, &file_info, sizeof file_info), AVIERR_OK);
    EXPECT_EQ(file_info.dwStreams, 1u);
    PAVISTREAM video = nullptr;
    EXPECT_EQ(AVIFileGetStream(file, &video, streamtypeVIDEO, 0), AVIERR_OK);
    if (video != nullptr) {
        AVISTREAMINFOW info{};
        EXPECT_EQ(AVIStreamInfoW(video, &info, sizeof info), AVIERR_OK);
        EXPECT_GE(info.dwLength, 8u);
        EXPECT_LE(info.dwLength, 16u);
        EXPECT_EQ(info.rcFrame.right - info.rcFrame.left, 41);
        EXPECT_EQ(info.rcFrame.bottom - info.rcFrame.top, 41);
        const double fps = info.dwScale ? static_cast<double>(info.dwRate) / info.dwScale : 0;
        EXPECT_GE(fps, 8.0);
        EXPECT_LE(fps, 12.5);
        AVIStreamRelease(video);
    }
    AVIFileRelease(file);
    AVIFileExit();
}

}  // namespace
}  // namespace keldra::testing
