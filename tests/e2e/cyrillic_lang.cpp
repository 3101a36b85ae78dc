// A language library of a Cyrillic system for the end-to-end cases: its texts are
// Windows-1251 bytes, as a translated lang.dll writes them on such a system. Identifiers
// it has no text for give the empty text.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

struct Entry {
    std::string_view id;
    std::string_view text;
};

// Code page 1251, sorted by identifier in byte order.
constexpr std::array kTexts{
    Entry{"OCM_FA",
          "\xC8\xF1\xEF\xF0\xE0\xE2\xEB\xFF\xF2\xFC \xE2\xF1\xE5 \xEF\xF0\xEE\xE1\xEB\xE5\xEC\xFB "
          "\xE0\xE2\xF2\xEE\xEC\xE0\xF2\xE8\xF7\xE5\xF1\xEA\xE8"},  // Исправлять все проблемы
                                                                    // автоматически
    Entry{"OCM_FB",
          "\xC8\xF1\xEF\xF0\xE0\xE2\xE8\xF2\xFC \xEF\xF0\xEE\xE1\xEB\xE5\xEC\xFB"},  // Исправить
                                                                                     // проблемы
    Entry{"OCM_MCap",
          "\xCE\xE1\xF1\xEB\xF3\xE6\xE8\xE2\xE0\xED\xE8\xE5 Keldra"},  // Обслуживание Keldra
    Entry{"OCM_SMC", "\xC7\xE0\xEF\xF3\xF1\xEA \xF7\xE5\xF0\xE5\xE7 "},  // Запуск через
    Entry{"OCM_SMH", " \xF7 "},                                          //  ч
    Entry{"OCM_SMM", " \xEC\xE8\xED"},                                   //  мин
    Entry{"OCM_Sched", "\xCF\xEB\xE0\xED\xE8\xF0\xEE\xE2\xF9\xE8\xEA..."},  // Планировщик...
    Entry{
        "OCM_lblProc0",
        "\xCE\xEF\xF2\xE8\xEC\xE8\xE7\xE0\xF6\xE8\xFF \xEF\xE0\xEC\xFF\xF2\xE8..."},  // Оптимизация
                                                                                      // памяти...
    Entry{
        "OCM_lblProc1",
        "\xCF\xEE\xE8\xF1\xEA \xEE\xF8\xE8\xE1\xEE\xEA \xF0\xE5\xE5\xF1\xF2\xF0\xE0..."},  // Поиск
                                                                                           // ошибок
                                                                                           // реестра...
    Entry{"OSM_KLT",
          "\xCE\xE1\xF1\xEB\xF3\xE6\xE8\xE2\xE0\xED\xE8\xE5 Keldra"},  // Обслуживание Keldra
    Entry{"OSM_SE", "\xCE\xF2\xEC\xE5\xED\xE0"},                       // Отмена
    Entry{"OSM_SN", "\xD1\xEA\xE0\xED\xE8\xF0\xEE\xE2\xE0\xF2\xFC"},  // Сканировать
};

static_assert(std::is_sorted(kTexts.begin(), kTexts.end(),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

}  // namespace

extern "C" __declspec(dllexport) short __stdcall GetValueForID(const char* id, char* buffer,
                                                               int /*reserved*/) {
    if (id == nullptr || buffer == nullptr) {
        return 0;
    }
    const std::string_view wanted(id);
    const auto found =
        std::lower_bound(kTexts.begin(), kTexts.end(), wanted,
                         [](const Entry& e, std::string_view key) { return e.id < key; });
    if (found == kTexts.end() || found->id != wanted) {
        return 0;
    }
    std::memcpy(buffer, found->text.data(), std::min<std::size_t>(found->text.size(), 255));
    return 1;
}
