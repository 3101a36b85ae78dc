#pragma once
// The language port over "lang.dll": the library is looked for on the first call, by full
// path in each folder in turn, and stays loaded for the adapter's life.
//
// While no library with GetValueForID has been found, every call looks again. A missing
// library costs two failed opens a call, which a few hundred captions at start-up
// can afford, and the program sets its current directory to its own folder only after
// it may already have asked for a text: a library that appears later is still picked up.

#include <optional>
#include <string>
#include <vector>

#include "platform/language_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

class Win32Language final : public LanguagePort {
  public:
    // Looks in the current directory (as it is at the time of the call), then in the
    // program's folder.
    Win32Language() = default;
    // Looks only in these folders (UTF-8), in this order.
    explicit Win32Language(std::vector<std::string> folders);
    Win32Language(const Win32Language&) = delete;
    Win32Language& operator=(const Win32Language&) = delete;

    bool GetValueForID(std::string_view id, Buffer& buffer) override;
    // Decoded in the ANSI code page of the system (CP_ACP).
    std::u16string AnsiToUtf16(std::string_view ansi) const override;

    static constexpr const wchar_t* kLibraryName = L"lang.dll";

  private:
    using GetValueForIdFunction = short(__stdcall*)(const char* id, char* buffer, int reserved);

    bool Load();
    std::vector<std::wstring> Folders() const;

    std::optional<std::vector<std::string>> folders_;
    UniqueHModule library_;
    GetValueForIdFunction getValueForId_ = nullptr;
};

}  // namespace keldra::platform::win32
