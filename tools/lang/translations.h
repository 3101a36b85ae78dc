#pragma once
// The translated tables and the code page each is written in on Windows. The texts are kept
// as UTF-8 and converted when they are handed out, so that one source serves every system.

#include <array>
#include <span>
#include <string_view>

#include "tools/lang/de.h"
#include "tools/lang/entry.h"
#include "tools/lang/es.h"
#include "tools/lang/fr.h"
#include "tools/lang/pl.h"
#include "tools/lang/ru.h"

namespace keldra::lang {

struct Translation {
    std::string_view code;           // the value of the "Language" setting that picks it
    unsigned short primaryLanguage;  // PRIMARYLANGID of a user interface language in it
    unsigned codePage;               // the ANSI code page of a system in that language
    std::span<const Entry> texts;
};

// Primary language identifiers as winnt.h numbers them (LANG_GERMAN and so on).
inline constexpr std::array kTranslations{
    Translation{"de", 0x07, 1252, kGerman},  Translation{"fr", 0x0C, 1252, kFrench},
    Translation{"es", 0x0A, 1252, kSpanish}, Translation{"pl", 0x15, 1250, kPolish},
    Translation{"ru", 0x19, 1251, kRussian},
};

}  // namespace keldra::lang
