// The Russian texts, in UTF-8; lang.dll hands them out in code page 1251.
// Same identifiers in the same order as the English table (checked in lang.cpp).
#pragma once

#include <array>

#include "tools/lang/entry.h"

namespace keldra::lang {

inline constexpr std::array kRussian{
    Entry{"DCmain_MsgMemError",
          "Недостаточно памяти, чтобы продолжить поиск ненужных файлов. Закройте некоторые "
          "программы и запустите проверку снова."},
    Entry{"OCM_Close", "Закрыть"},
    Entry{"OCM_DCap", "Проверка диска"},
    Entry{"OCM_DRes", "Результаты проверки диска"},
    Entry{"OCM_DoneNP", "Готово, проблем не найдено"},
    Entry{"OCM_DoneNS", "Готово, очищать нечего"},
    Entry{"OCM_DoneStat", "Готово"},
    Entry{"OCM_ESM", "Включить обслуживание по расписанию"},
    Entry{"OCM_FA", "Исправлять всё автоматически"},
    Entry{"OCM_FB", "Исправить всё"},
    Entry{"OCM_FSM", "Обслуживание по расписанию"},
    Entry{"OCM_LC1", "Путь к файлу"},
    Entry{"OCM_LC2", "Размер (байт)"},
    Entry{"OCM_MCap", "Keldra Maintenance"},
    Entry{"OCM_MStat", " МБ освобождено"},
    Entry{"OCM_PStat", " — найденные проблемы"},
    Entry{"OCM_RCap", "Проверка реестра"},
    Entry{"OCM_RRes", "Результаты проверки реестра"},
    Entry{"OCM_SIn", "Поиск в папке "},
    Entry{"OCM_SMC", "Обслуживание по расписанию начнётся через "},
    Entry{"OCM_SMH", " ч "},
    Entry{"OCM_SMM", " мин"},
    Entry{"OCM_Sched", "Расписание..."},
    Entry{"OCM_ShC",
          "Вы можете запускать обслуживание в заданное время каждый день или каждую неделю. Если "
          "этот параметр включён, Keldra Maintenance будет запускаться вместе с Windows и "
          "выполнять работу в указанное время."},
    Entry{"OCM_ShL1", "Запускать"},
    Entry{"OCM_ShL2", "в"},
    Entry{"OCM_ShL3", "ч"},
    Entry{"OCM_ShL4", "мин"},
    Entry{"OCM_lblDesc0", "Освобождает память, чтобы программы работали быстрее."},
    Entry{"OCM_lblDesc1", "Находит и исправляет неверные записи в реестре Windows."},
    Entry{"OCM_lblDesc2", "Дефрагментирует и сжимает реестр."},
    Entry{"OCM_lblDesc3", "Удаляет с диска ненужные и временные файлы."},
    Entry{"OCM_lblProc0", "Оптимизация памяти..."},
    Entry{"OCM_lblProc1", "Обработка ошибок реестра..."},
    Entry{"OCM_lblProc2", "Сжатие реестра..."},
    Entry{"OCM_lblProc3", "Удаление ненужных файлов..."},
    Entry{"OSM_AML1", "Ежедневно"},
    Entry{"OSM_AML2", "Раз в 3 дня"},
    Entry{"OSM_AML3", "Еженедельно"},
    Entry{"OSM_KLT", "Keldra Maintenance"},
    Entry{"OSM_PrevInst",
          "Программа Keldra Maintenance уже запущена. Щёлкните её значок в области уведомлений, "
          "чтобы открыть окно."},
    Entry{"OSM_SCap", "Расписание Keldra"},
    Entry{"OSM_SE", "Отмена"},
    Entry{"OSM_SN", "Проверить"},
    Entry{"OWM_1", "Добро пожаловать в Keldra Maintenance!"},
    Entry{"OWM_2a",
          "Keldra Maintenance обслуживает компьютер в фоновом режиме: очищает и сжимает реестр, "
          "удаляет временные и ненужные файлы. Ход проверки можно посмотреть, щёлкнув значок "
          "программы в области уведомлений "},
    Entry{"OWM_2b",
          "(он появляется во время проверки). Найденные проблемы исправляются автоматически; этот "
          "параметр можно отключить. Щелчок по строке после проверки покажет список проблем. Время "
          "запуска задаёт Расписание."},
    Entry{"OWM_3", "Больше не показывать это сообщение (рекомендуется)."},
    Entry{"RDRC_Reason0", "Файл или папка не найдены"},
    Entry{"RDRC_Reason1", "Пустой ключ библиотеки типов"},
    Entry{"RDRC_Reason10", "Общая библиотека DLL не найдена"},
    Entry{"RDRC_Reason11", "Файл шрифта не найден"},
    Entry{"RDRC_Reason12", "Пустая связь с типом файлов"},
    Entry{"RDRC_Reason2", "Библиотека типов не зарегистрирована"},
    Entry{"RDRC_Reason3", "Пустой идентификатор класса"},
    Entry{"RDRC_Reason4", "Класс не зарегистрирован"},
    Entry{"RDRC_Reason5", "Пустой идентификатор программы"},
    Entry{"RDRC_Reason6", "Идентификатор программы не зарегистрирован"},
    Entry{"RDRC_Reason7", "Пустой внутрипроцессный сервер"},
    Entry{"RDRC_Reason8", "Пустой 16-разрядный внутрипроцессный сервер"},
    Entry{"RDRC_lvInvalidLocCH1", "Расположение неверных данных"},
    Entry{"RDRC_lvInvalidLocCH2", "Имя параметра"},
    Entry{"RDRC_lvInvalidLocCH3", "Значение"},
    Entry{"RDRC_lvInvalidLocCH4", "Причина"},
    Entry{"RDRC_lvInvalidLocCH5", "Тип"},
    Entry{"RDRC_lvInvalidLocCH6", "Атрибуты"},
    Entry{"UCM_RestBad",
          "Не удаётся прочитать файл резервной копии, поэтому ничего не восстановлено. Keldra "
          "Maintenance восстанавливает данные только из копии, которую может прочитать полностью:"},
    Entry{"UCM_RestCame", " значений, удалённых последним исправлением, восстановлено."},
    Entry{"UCM_RestDenied", " - нет права на запись: запустите программу от имени администратора"},
    Entry{"UCM_RestError", " - реестр отказал в записи, ошибка "},
    Entry{"UCM_RestExisting", "Эти значения снова существуют и оставлены без изменений:"},
    Entry{"UCM_RestFailed", "Эти значения не удалось восстановить:"},
    Entry{"UCM_RestFrom", "Файл резервной копии: "},
    Entry{"UCM_RestLine", ", строка "},
    Entry{"UCM_RestMore", "Прочие, не перечисленные здесь: "},
    Entry{"UCM_RestNone", "Отменять нечего: файл резервной копии Keldra Maintenance не найден."},
    Entry{"UCM_RestOf", " из "},
    Entry{"UCM_Usage",
          "При запуске без ключей Keldra Maintenance выполняет один проход обслуживания. Ключи:"},
    Entry{"UCM_UsageAuto",
          "-auto  запуск при входе в Windows: ждать в области уведомлений сегодняшнего "
          "запланированного прохода или завершиться, если он не назначен"},
    Entry{"UCM_UsageHelp", "-?  показать этот список (также /? и -help)"},
    Entry{"UCM_UsageRestore",
          "-restore  вернуть значения реестра, удалённые последним исправлением"},
    Entry{"msg_OverError", "Недостаточно памяти"},
};

}  // namespace keldra::lang
