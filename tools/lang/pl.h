// The Polish texts, in UTF-8; lang.dll hands them out in code page 1250.
// Same identifiers in the same order as the English table (checked in lang.cpp).
#pragma once

#include <array>

#include "tools/lang/entry.h"

namespace keldra::lang {

inline constexpr std::array kPolish{
    Entry{"DCmain_MsgMemError",
          "Za mało pamięci, aby kontynuować wyszukiwanie zbędnych plików. Zamknij niektóre "
          "programy i uruchom skanowanie ponownie."},
    Entry{"OCM_Close", "Zamknij"},
    Entry{"OCM_DCap", "Skanowanie dysku"},
    Entry{"OCM_DRes", "Wyniki skanowania dysku"},
    Entry{"OCM_DoneNP", "Gotowe, brak problemów"},
    Entry{"OCM_DoneNS", "Gotowe, nic do wyczyszczenia"},
    Entry{"OCM_DoneStat", "Gotowe"},
    Entry{"OCM_ESM", "Włącz zaplanowaną konserwację"},
    Entry{"OCM_FA", "Naprawiaj automatycznie"},
    Entry{"OCM_FB", "Napraw problemy"},
    Entry{"OCM_FSM", "Zaplanowana konserwacja"},
    Entry{"OCM_LC1", "Ścieżka pliku"},
    Entry{"OCM_LC2", "Rozmiar (bajty)"},
    Entry{"OCM_MCap", "Keldra Maintenance"},
    Entry{"OCM_MStat", " MB odzyskano"},
    Entry{"OCM_PStat", " – znalezione problemy"},
    Entry{"OCM_RCap", "Skanowanie rejestru"},
    Entry{"OCM_RRes", "Wyniki skanowania rejestru"},
    Entry{"OCM_SIn", "Przeszukiwanie folderu "},
    Entry{"OCM_SMC", "Zaplanowana konserwacja rozpocznie się za "},
    Entry{"OCM_SMH", " godz. "},
    Entry{"OCM_SMM", " min"},
    Entry{"OCM_Sched", "Harmonogram"},
    Entry{"OCM_ShC",
          "Możesz zaplanować konserwację o określonej godzinie codziennie lub co tydzień. Jeśli ta "
          "opcja jest włączona, Keldra Maintenance uruchomi się razem z systemem Windows i wykona "
          "zadania o wyznaczonej godzinie."},
    Entry{"OCM_ShL1", "Uruchamiaj"},
    Entry{"OCM_ShL2", "o"},
    Entry{"OCM_ShL3", "godz."},
    Entry{"OCM_ShL4", "min"},
    Entry{"OCM_lblDesc0", "Optymalizuje pamięć, zwalniając ją, aby programy działały szybciej."},
    Entry{"OCM_lblDesc1", "Wyszukuje i naprawia nieprawidłowe wpisy w rejestrze Windows."},
    Entry{"OCM_lblDesc2", "Defragmentuje i kompaktuje rejestr."},
    Entry{"OCM_lblDesc3", "Usuwa z dysku twardego nieużywane i tymczasowe pliki."},
    Entry{"OCM_lblProc0", "Optymalizacja pamięci..."},
    Entry{"OCM_lblProc1", "Szukanie błędów rejestru..."},
    Entry{"OCM_lblProc2", "Kompaktowanie rejestru..."},
    Entry{"OCM_lblProc3", "Usuwanie zbędnych plików..."},
    Entry{"OSM_AML1", "Codziennie"},
    Entry{"OSM_AML2", "Co 3 dni"},
    Entry{"OSM_AML3", "Co tydzień"},
    Entry{"OSM_KLT", "Keldra Maintenance"},
    Entry{"OSM_PrevInst",
          "Program Keldra Maintenance jest już uruchomiony. Kliknij jego ikonę w obszarze "
          "powiadomień, aby otworzyć okno."},
    Entry{"OSM_SCap", "Harmonogram Keldra"},
    Entry{"OSM_SE", "Anuluj"},
    Entry{"OSM_SN", "Skanuj teraz"},
    Entry{"OWM_1", "Witamy w programie Keldra Maintenance!"},
    Entry{"OWM_2a",
          "Keldra Maintenance wykonuje w tle zadania konserwacyjne: czyści i kompaktuje rejestr "
          "oraz usuwa zbędne pliki z dysku. Stan skanowania pokaże kliknięcie ikony programu w "
          "obszarze powiadomień "},
    Entry{"OWM_2b",
          "(pojawia się podczas skanowania). Znalezione problemy są naprawiane automatycznie; tę "
          "opcję można wyłączyć. Po skanowaniu kliknij wiersz, aby zobaczyć listę problemów. "
          "Konserwację zaplanujesz w Harmonogramie."},
    Entry{"OWM_3", "Nie pokazuj więcej tego komunikatu (zalecane)."},
    Entry{"RDRC_Reason0", "Nie znaleziono pliku lub folderu"},
    Entry{"RDRC_Reason1", "Pusty klucz biblioteki typów"},
    Entry{"RDRC_Reason10", "Nie znaleziono współdzielonej biblioteki DLL"},
    Entry{"RDRC_Reason11", "Nie znaleziono pliku czcionki"},
    Entry{"RDRC_Reason12", "Puste skojarzenie pliku"},
    Entry{"RDRC_Reason2", "Biblioteka typów niezarejestrowana"},
    Entry{"RDRC_Reason3", "Pusty identyfikator klasy"},
    Entry{"RDRC_Reason4", "Klasa niezarejestrowana"},
    Entry{"RDRC_Reason5", "Pusty identyfikator programu"},
    Entry{"RDRC_Reason6", "Identyfikator programu niezarejestrowany"},
    Entry{"RDRC_Reason7", "Pusty serwer wewnątrzprocesowy"},
    Entry{"RDRC_Reason8", "Pusty 16-bitowy serwer wewnątrzprocesowy"},
    Entry{"RDRC_lvInvalidLocCH1", "Położenie nieprawidłowych danych"},
    Entry{"RDRC_lvInvalidLocCH2", "Nazwa wartości"},
    Entry{"RDRC_lvInvalidLocCH3", "Dane wartości"},
    Entry{"RDRC_lvInvalidLocCH4", "Przyczyna"},
    Entry{"RDRC_lvInvalidLocCH5", "Typ"},
    Entry{"RDRC_lvInvalidLocCH6", "Atrybuty"},
    Entry{"UCM_RestBad",
          "Nie można odczytać pliku kopii zapasowej, dlatego niczego nie przywrócono. Keldra "
          "Maintenance przywraca dane tylko z kopii, którą może odczytać w całości:"},
    Entry{"UCM_RestCame", " wartości usuniętych przez ostatnią naprawę przywrócono."},
    Entry{"UCM_RestDenied", " - brak prawa zapisu: uruchom program jako administrator"},
    Entry{"UCM_RestError", " - rejestr odmówił zapisu, błąd "},
    Entry{"UCM_RestExisting", "Te wartości znów istnieją i pozostawiono je bez zmian:"},
    Entry{"UCM_RestFailed", "Tych wartości nie udało się przywrócić:"},
    Entry{"UCM_RestFrom", "Plik kopii zapasowej: "},
    Entry{"UCM_RestLine", ", wiersz "},
    Entry{"UCM_RestMore", "Pozostałe, niewymienione tutaj: "},
    Entry{"UCM_RestNone",
          "Nie ma naprawy do cofnięcia: nie znaleziono pliku kopii zapasowej programu Keldra "
          "Maintenance."},
    Entry{"UCM_RestOf", " z "},
    Entry{"UCM_Usage",
          "Uruchomiony bez przełącznika, Keldra Maintenance wykonuje jeden przebieg konserwacji. "
          "Przełączniki:"},
    Entry{"UCM_UsageAuto",
          "-auto  start przy logowaniu do systemu Windows: czekaj w obszarze powiadomień na "
          "dzisiejszy zaplanowany przebieg albo zakończ, gdy żaden nie przypada"},
    Entry{"UCM_UsageHelp", "-?  pokaż tę listę (także /? i -help)"},
    Entry{"UCM_UsageRestore",
          "-restore  przywróć wartości rejestru usunięte przez ostatnią naprawę"},
    Entry{"msg_OverError", "Za mało pamięci"},
};

}  // namespace keldra::lang
