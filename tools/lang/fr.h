// The French texts, in UTF-8; lang.dll hands them out in code page 1252.
// Same identifiers in the same order as the English table (checked in lang.cpp).
#pragma once

#include <array>

#include "tools/lang/entry.h"

namespace keldra::lang {

inline constexpr std::array kFrench{
    Entry{"DCmain_MsgMemError",
          "La mémoire est insuffisante pour poursuivre la recherche des fichiers inutiles. Fermez "
          "quelques programmes, puis relancez l'analyse."},
    Entry{"OCM_Close", "Fermer"},
    Entry{"OCM_DCap", "Analyse du disque"},
    Entry{"OCM_DRes", "Résultats de l'analyse du disque"},
    Entry{"OCM_DoneNP", "Terminé, aucun problème trouvé"},
    Entry{"OCM_DoneNS", "Terminé, rien à nettoyer"},
    Entry{"OCM_DoneStat", "Terminé"},
    Entry{"OCM_ESM", "Activer la maintenance planifiée"},
    Entry{"OCM_FA", "Tout corriger automatiquement"},
    Entry{"OCM_FB", "Tout corriger"},
    Entry{"OCM_FSM", "Maintenance planifiée"},
    Entry{"OCM_LC1", "Chemin du fichier"},
    Entry{"OCM_LC2", "Taille (octets)"},
    Entry{"OCM_MCap", "Keldra Maintenance"},
    Entry{"OCM_MStat", " Mo d'espace libéré"},
    Entry{"OCM_PStat", " problèmes trouvés"},
    Entry{"OCM_RCap", "Analyse du registre"},
    Entry{"OCM_RRes", "Résultats de l'analyse du registre"},
    Entry{"OCM_SIn", "Recherche dans "},
    Entry{"OCM_SMC", "La maintenance planifiée démarre dans "},
    Entry{"OCM_SMH", " h "},
    Entry{"OCM_SMM", " min"},
    Entry{"OCM_Sched", "Planifier..."},
    Entry{"OCM_ShC",
          "Vous pouvez faire exécuter la maintenance à une heure précise chaque jour ou chaque "
          "semaine. Si cette option est activée, Keldra Maintenance démarre avec Windows et "
          "effectue les opérations à l'heure indiquée."},
    Entry{"OCM_ShL1", "Lancer"},
    Entry{"OCM_ShL2", "à"},
    Entry{"OCM_ShL3", "heures"},
    Entry{"OCM_ShL4", "minutes"},
    Entry{"OCM_lblDesc0", "Optimise la mémoire pour la libérer et accélérer vos applications."},
    Entry{"OCM_lblDesc1", "Recherche et corrige les entrées non valides du registre Windows."},
    Entry{"OCM_lblDesc2", "Défragmente et compacte le registre."},
    Entry{"OCM_lblDesc3", "Supprime du disque les fichiers inutiles et temporaires."},
    Entry{"OCM_lblProc0", "Optimisation de la mémoire..."},
    Entry{"OCM_lblProc1", "Analyse du registre..."},
    Entry{"OCM_lblProc2", "Compactage du registre..."},
    Entry{"OCM_lblProc3", "Nettoyage du disque..."},
    Entry{"OSM_AML1", "Tous les jours"},
    Entry{"OSM_AML2", "Tous les 3 jours"},
    Entry{"OSM_AML3", "Chaque semaine"},
    Entry{"OSM_KLT", "Keldra Maintenance"},
    Entry{"OSM_PrevInst",
          "Keldra Maintenance est déjà en cours d'exécution. Cliquez sur son icône dans la zone de "
          "notification pour ouvrir sa fenêtre."},
    Entry{"OSM_SCap", "Planificateur Keldra"},
    Entry{"OSM_SE", "Annuler"},
    Entry{"OSM_SN", "Analyser"},
    Entry{"OWM_1", "Bienvenue dans Keldra Maintenance !"},
    Entry{"OWM_2a",
          "Keldra Maintenance entretient votre PC en arrière-plan : il nettoie et compacte le "
          "registre et supprime les fichiers temporaires et inutiles. Pour suivre l'analyse, "
          "cliquez sur son icône dans la zone de notification "},
    Entry{"OWM_2b",
          "(elle apparaît pendant l'analyse). Les problèmes trouvés sont corrigés automatiquement, "
          "sauf si vous désactivez l'option. Après l'analyse, cliquez sur une ligne pour voir les "
          "problèmes. Le planificateur programme la maintenance."},
    Entry{"OWM_3", "Ne plus afficher ce message (recommandé)."},
    Entry{"RDRC_Reason0", "Fichier ou dossier introuvable"},
    Entry{"RDRC_Reason1", "Clé de bibliothèque de types vide"},
    Entry{"RDRC_Reason10", "DLL partagée introuvable"},
    Entry{"RDRC_Reason11", "Fichier de police introuvable"},
    Entry{"RDRC_Reason12", "Association de fichier vide"},
    Entry{"RDRC_Reason2", "Bibliothèque de types non inscrite"},
    Entry{"RDRC_Reason3", "Identificateur de classe vide"},
    Entry{"RDRC_Reason4", "Classe non inscrite"},
    Entry{"RDRC_Reason5", "Identificateur de programme vide"},
    Entry{"RDRC_Reason6", "Identificateur de programme non inscrit"},
    Entry{"RDRC_Reason7", "Serveur in-process vide"},
    Entry{"RDRC_Reason8", "Serveur in-process 16 bits vide"},
    Entry{"RDRC_lvInvalidLocCH1", "Emplacement des données non valides"},
    Entry{"RDRC_lvInvalidLocCH2", "Nom de la valeur"},
    Entry{"RDRC_lvInvalidLocCH3", "Données de la valeur"},
    Entry{"RDRC_lvInvalidLocCH4", "Raison"},
    Entry{"RDRC_lvInvalidLocCH5", "Type"},
    Entry{"RDRC_lvInvalidLocCH6", "Attributs"},
    Entry{"UCM_RestBad",
          "Le fichier de sauvegarde est illisible, rien n'a donc été restauré. Keldra Maintenance "
          "ne restaure qu'à partir d'une sauvegarde qu'il peut lire entièrement :"},
    Entry{"UCM_RestCame", " valeurs supprimées par la dernière réparation ont été restaurées."},
    Entry{"UCM_RestDenied",
          " - aucun droit d'écriture à cet endroit : démarrez le programme en tant "
          "qu'administrateur"},
    Entry{"UCM_RestError", " - refusé par le Registre, erreur "},
    Entry{"UCM_RestExisting", "Ces valeurs existent de nouveau et n'ont pas été modifiées :"},
    Entry{"UCM_RestFailed", "Ces valeurs n'ont pas pu être restaurées :"},
    Entry{"UCM_RestFrom", "Fichier de sauvegarde : "},
    Entry{"UCM_RestLine", ", ligne "},
    Entry{"UCM_RestMore", "Autres, non listées ici : "},
    Entry{"UCM_RestNone",
          "Aucune réparation à annuler : aucun fichier de sauvegarde de Keldra Maintenance n'a été "
          "trouvé."},
    Entry{"UCM_RestOf", " sur "},
    Entry{"UCM_Usage",
          "Sans option, Keldra Maintenance effectue une passe de maintenance à son démarrage. "
          "Options :"},
    Entry{"UCM_UsageAuto",
          "-auto  démarrage à l'ouverture de session Windows : attendre dans la zone de "
          "notification la passe planifiée du jour, ou quitter si aucune n'est prévue"},
    Entry{"UCM_UsageHelp", "-?  afficher cette liste (aussi /? et -help)"},
    Entry{"UCM_UsageRestore",
          "-restore  remettre les valeurs du Registre supprimées par la dernière réparation"},
    Entry{"msg_OverError", "Mémoire insuffisante"},
};

}  // namespace keldra::lang
