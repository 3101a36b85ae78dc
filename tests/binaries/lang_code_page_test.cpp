// The translated tables in the code pages of their languages, through the conversion that
// lang.dll hands its texts out with.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "tools/lang/code_page.h"
#include "tools/lang/translations.h"

namespace keldra::testing {
namespace {

using lang::FromUtf8;

// Bytes of `codePage` back to UTF-8, through Windows' own tables.
std::string ToUtf8(const std::string& text, unsigned codePage) {
    const int wideCount = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                              static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideCount > 0 ? wideCount : 0), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), wideCount);
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(count > 0 ? count : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, out.data(), count, nullptr, nullptr);
    return out;
}

TEST(LangCodePage, LettersBecomeTheBytesOfTheirCodePage) {
    EXPECT_EQ(FromUtf8("Größe", 1252), std::optional<std::string>("Gr\xF6\xDF"
                                                                  "e"));
    EXPECT_EQ(FromUtf8("Größe", 1250), std::optional<std::string>("Gr\xF6\xDF"
                                                                  "e"));
    EXPECT_EQ(FromUtf8("Ścieżka", 1250), std::optional<std::string>("\x8C"
                                                                    "cie\xBF"
                                                                    "ka"));
    EXPECT_EQ(FromUtf8("Путь", 1251), std::optional<std::string>("\xCF\xF3\xF2\xFC"));
    EXPECT_EQ(FromUtf8("3 — ё", 1251), std::optional<std::string>("3 \x97 \xB8"));
    EXPECT_EQ(FromUtf8("ASCII stays", 1251), std::optional<std::string>("ASCII stays"));
    EXPECT_EQ(FromUtf8("", 1250), std::optional<std::string>(""));
}

TEST(LangCodePage, LettersACodePageLacksGiveNothingRatherThanLookAlikes) {
    // Without care Windows writes '?' or a "best fit" (ł as l, Ж as ?).
    EXPECT_EQ(FromUtf8("Włącz", 1252), std::nullopt);
    EXPECT_EQ(FromUtf8("Отмена", 1250), std::nullopt);
    EXPECT_EQ(FromUtf8("Supprimé à", 1250), std::nullopt);  // à is not Central European
    EXPECT_EQ(FromUtf8("Tamaño", 1251), std::nullopt);
    // Not UTF-8 at all: a lone lead byte, a Windows-1252 byte.
    EXPECT_EQ(FromUtf8("Gr\xC3", 1252), std::nullopt);
    EXPECT_EQ(FromUtf8("Gr\xF6\xDF"
                       "e",
                       1252),
              std::nullopt);
}

TEST(LangCodePage, EveryTranslationFitsItsCodePageWhole) {
    for (const lang::Translation& t : lang::kTranslations) {
        for (const lang::Entry& e : t.texts) {
            const std::optional<std::string> text = FromUtf8(e.text, t.codePage);
            ASSERT_TRUE(text.has_value()) << t.code << ' ' << e.id << ": " << e.text;
            EXPECT_FALSE(text->empty()) << t.code << ' ' << e.id;
            EXPECT_LE(text->size(), 255u) << t.code << ' ' << e.id;
            // A letter the code page lacks would come out as '?': only the text's own stay.
            EXPECT_EQ(std::count(text->begin(), text->end(), '?'),
                      std::count(e.text.begin(), e.text.end(), '?'))
                << t.code << ' ' << e.id;
            EXPECT_EQ(ToUtf8(*text, t.codePage), e.text) << t.code << ' ' << e.id;
            if (e.id == "OSM_KLT") {
                EXPECT_LE(text->size(), 63u) << t.code << ": the tray tip";
            }
        }
    }
}

}  // namespace
}  // namespace keldra::testing
