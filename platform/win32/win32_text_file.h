#pragma once
// The text-file port over the wide Win32 file functions. Every handle is owned for the
// length of one call; no failure leaves this adapter as anything but a false or empty result.

#include <string>

// First: it undefines the <windows.h> macro named like a member of a port.
#include "platform/win32/handles.h"

#include "platform/text_file_port.h"

namespace keldra::platform::win32 {

// The code page the "A" functions use (CP_ACP).
class Win32AnsiCodePage final : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf16(std::u16string_view text) const override;
    std::u16string ToUtf16(std::string_view ansi) const override;
};

class Win32TextFiles final : public TextFilePort {
  public:
    Win32TextFiles() = default;
    Win32TextFiles(const Win32TextFiles&) = delete;
    Win32TextFiles& operator=(const Win32TextFiles&) = delete;

    bool AppendLines(std::string_view path, std::span<const std::string> lines) override;
    bool ReadLines(std::string_view path, std::vector<std::string>& lines) override;
    bool ReadEnds(std::string_view path, std::size_t count, std::string& head,
                  std::string& tail) override;
    bool ReplaceContent(std::string_view path, std::string_view content) override;
    bool FileExists(std::string_view path) override;
    bool CreateFolder(std::string_view path) override;
    std::string LocalAppDataFolder() override;
    const AnsiCodePage& CodePage() const override { return codePage_; }

  private:
    Win32AnsiCodePage codePage_;
};

}  // namespace keldra::platform::win32
