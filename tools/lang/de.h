// The German texts, in UTF-8; lang.dll hands them out in code page 1252.
// Same identifiers in the same order as the English table (checked in lang.cpp).
#pragma once

#include <array>

#include "tools/lang/entry.h"

namespace keldra::lang {

inline constexpr std::array kGerman{
    Entry{"DCmain_MsgMemError",
          "Der Arbeitsspeicher reicht nicht aus, um die Suche nach unnötigen Dateien fortzusetzen. "
          "Schließen Sie einige Programme, und starten Sie die Suche erneut."},
    Entry{"OCM_Close", "Schließen"},
    Entry{"OCM_DCap", "Datenträgerprüfung"},
    Entry{"OCM_DRes", "Ergebnisse der Datenträgerprüfung"},
    Entry{"OCM_DoneNP", "Fertig, keine Probleme gefunden"},
    Entry{"OCM_DoneNS", "Fertig, nichts zu bereinigen"},
    Entry{"OCM_DoneStat", "Fertig"},
    Entry{"OCM_ESM", "Geplante Wartung aktivieren"},
    Entry{"OCM_FA", "Probleme automatisch beheben"},
    Entry{"OCM_FB", "Probleme beheben"},
    Entry{"OCM_FSM", "Geplante Wartung"},
    Entry{"OCM_LC1", "Dateipfad"},
    Entry{"OCM_LC2", "Größe (Bytes)"},
    Entry{"OCM_MCap", "Keldra Maintenance"},
    Entry{"OCM_MStat", " MB freigegeben"},
    Entry{"OCM_PStat", " Probleme gefunden"},
    Entry{"OCM_RCap", "Registrierungsprüfung"},
    Entry{"OCM_RRes", "Ergebnisse der Registrierungsprüfung"},
    Entry{"OCM_SIn", "Suche in "},
    Entry{"OCM_SMC", "Die geplante Wartung beginnt in "},
    Entry{"OCM_SMH", " Std. "},
    Entry{"OCM_SMM", " Min."},
    Entry{"OCM_Sched", "Zeitplan..."},
    Entry{"OCM_ShC",
          "Sie können die Wartung jeden Tag oder jede Woche zu einer festen Uhrzeit ausführen "
          "lassen. Ist diese Option aktiviert, startet Keldra Maintenance mit Windows und führt "
          "die Wartung zur festgelegten Zeit aus."},
    Entry{"OCM_ShL1", "Wartung ausführen"},
    Entry{"OCM_ShL2", "um"},
    Entry{"OCM_ShL3", "Uhr"},
    Entry{"OCM_ShL4", "Minuten"},
    Entry{"OCM_lblDesc0", "Optimiert den Arbeitsspeicher, damit Programme schneller laufen."},
    Entry{"OCM_lblDesc1", "Sucht ungültige Einträge in der Registrierung und repariert sie."},
    Entry{"OCM_lblDesc2", "Defragmentiert und komprimiert die Registrierung."},
    Entry{"OCM_lblDesc3", "Befreit die Festplatte von unnötigen und temporären Dateien."},
    Entry{"OCM_lblProc0", "Arbeitsspeicher wird optimiert..."},
    Entry{"OCM_lblProc1", "Registrierung wird geprüft..."},
    Entry{"OCM_lblProc2", "Registrierung wird komprimiert..."},
    Entry{"OCM_lblProc3", "Datenmüll wird entfernt..."},
    Entry{"OSM_AML1", "Täglich"},
    Entry{"OSM_AML2", "Alle 3 Tage"},
    Entry{"OSM_AML3", "Wöchentlich"},
    Entry{"OSM_KLT", "Keldra Maintenance"},
    Entry{"OSM_PrevInst",
          "Keldra Maintenance wird bereits ausgeführt. Klicken Sie auf das Symbol im Infobereich "
          "der Taskleiste, um das Fenster zu öffnen."},
    Entry{"OSM_SCap", "Keldra-Zeitplan"},
    Entry{"OSM_SE", "Abbrechen"},
    Entry{"OSM_SN", "Jetzt prüfen"},
    Entry{"OWM_1", "Willkommen bei Keldra Maintenance!"},
    Entry{"OWM_2a",
          "Keldra Maintenance erledigt die Wartung automatisch im Hintergrund: Es bereinigt und "
          "komprimiert die Registrierung und entfernt temporäre und unnötige Dateien. Den Stand "
          "der Prüfung zeigt ein Klick auf das Symbol im Infobereich "},
    Entry{"OWM_2b",
          "(während der Prüfung). Gefundene Probleme werden automatisch behoben; das lässt sich "
          "abschalten. Nach der Prüfung zeigt ein Klick auf eine Zeile die Liste der Probleme. Die "
          "Wartung planen Sie im Zeitplan."},
    Entry{"OWM_3", "Diese Meldung künftig nicht mehr anzeigen (empfohlen)."},
    Entry{"RDRC_Reason0", "Datei oder Ordner nicht gefunden"},
    Entry{"RDRC_Reason1", "Leerer Typbibliotheksschlüssel"},
    Entry{"RDRC_Reason10", "Gemeinsam genutzte DLL nicht gefunden"},
    Entry{"RDRC_Reason11", "Schriftartdatei nicht gefunden"},
    Entry{"RDRC_Reason12", "Leere Dateizuordnung"},
    Entry{"RDRC_Reason2", "Typbibliothek nicht registriert"},
    Entry{"RDRC_Reason3", "Leere Klassen-ID"},
    Entry{"RDRC_Reason4", "Klasse nicht registriert"},
    Entry{"RDRC_Reason5", "Leere Programm-ID"},
    Entry{"RDRC_Reason6", "Programm-ID nicht registriert"},
    Entry{"RDRC_Reason7", "Leerer In-Process-Server"},
    Entry{"RDRC_Reason8", "Leerer 16-Bit-In-Process-Server"},
    Entry{"RDRC_lvInvalidLocCH1", "Ort der ungültigen Daten"},
    Entry{"RDRC_lvInvalidLocCH2", "Wertname"},
    Entry{"RDRC_lvInvalidLocCH3", "Wertdaten"},
    Entry{"RDRC_lvInvalidLocCH4", "Grund"},
    Entry{"RDRC_lvInvalidLocCH5", "Typ"},
    Entry{"RDRC_lvInvalidLocCH6", "Attribute"},
    Entry{"UCM_RestBad",
          "Die Sicherungsdatei kann nicht gelesen werden, daher wurde nichts wiederhergestellt. "
          "Keldra Maintenance stellt nur aus einer Sicherung wieder her, die es vollständig lesen "
          "kann:"},
    Entry{"UCM_RestCame", " von der letzten Reparatur entfernten Werten wurden wiederhergestellt."},
    Entry{"UCM_RestDenied",
          " - keine Schreibberechtigung: Starten Sie das Programm als Administrator"},
    Entry{"UCM_RestError", " - von der Registrierung abgelehnt, Fehler "},
    Entry{"UCM_RestExisting", "Diese Werte gibt es wieder; sie wurden nicht verändert:"},
    Entry{"UCM_RestFailed", "Diese Werte konnten nicht wiederhergestellt werden:"},
    Entry{"UCM_RestFrom", "Sicherungsdatei: "},
    Entry{"UCM_RestLine", ", Zeile "},
    Entry{"UCM_RestMore", "Weitere, hier nicht aufgeführte: "},
    Entry{"UCM_RestNone",
          "Es gibt keine Reparatur, die rückgängig gemacht werden kann: Es wurde keine "
          "Sicherungsdatei von Keldra Maintenance gefunden."},
    Entry{"UCM_RestOf", " von "},
    Entry{
        "UCM_Usage",
        "Ohne Schalter führt Keldra Maintenance beim Start einen Wartungsdurchlauf aus. Schalter:"},
    Entry{"UCM_UsageAuto",
          "-auto  Start bei der Windows-Anmeldung: im Infobereich auf den heute geplanten "
          "Durchlauf warten oder beenden, wenn keiner fällig ist"},
    Entry{"UCM_UsageHelp", "-?  diese Liste anzeigen (auch /? und -help)"},
    Entry{
        "UCM_UsageRestore",
        "-restore  die Registrierungswerte zurückschreiben, die die letzte Reparatur entfernt hat"},
    Entry{"msg_OverError", "Nicht genügend Arbeitsspeicher"},
};

}  // namespace keldra::lang
