// The Spanish texts, in UTF-8; lang.dll hands them out in code page 1252.
// Same identifiers in the same order as the English table (checked in lang.cpp).
#pragma once

#include <array>

#include "tools/lang/entry.h"

namespace keldra::lang {

inline constexpr std::array kSpanish{
    Entry{"DCmain_MsgMemError",
          "No hay memoria suficiente para continuar la búsqueda de archivos innecesarios. Cierre "
          "algunos programas y vuelva a analizar."},
    Entry{"OCM_Close", "Cerrar"},
    Entry{"OCM_DCap", "Análisis del disco"},
    Entry{"OCM_DRes", "Resultados del análisis del disco"},
    Entry{"OCM_DoneNP", "Listo, sin problemas"},
    Entry{"OCM_DoneNS", "Listo, no hay nada que limpiar"},
    Entry{"OCM_DoneStat", "Listo"},
    Entry{"OCM_ESM", "Activar el mantenimiento programado"},
    Entry{"OCM_FA", "Corregir todo automáticamente"},
    Entry{"OCM_FB", "Corregir todo"},
    Entry{"OCM_FSM", "Mantenimiento programado"},
    Entry{"OCM_LC1", "Ruta del archivo"},
    Entry{"OCM_LC2", "Tamaño (bytes)"},
    Entry{"OCM_MCap", "Keldra Maintenance"},
    Entry{"OCM_MStat", " MB recuperados"},
    Entry{"OCM_PStat", " problemas encontrados"},
    Entry{"OCM_RCap", "Análisis del registro"},
    Entry{"OCM_RRes", "Resultados del análisis del registro"},
    Entry{"OCM_SIn", "Buscando en "},
    Entry{"OCM_SMC", "El mantenimiento programado empieza dentro de "},
    Entry{"OCM_SMH", " h "},
    Entry{"OCM_SMM", " min"},
    Entry{"OCM_Sched", "Programar..."},
    Entry{"OCM_ShC",
          "Puede programar el mantenimiento para que se ejecute a una hora determinada cada día o "
          "cada semana. Si activa esta opción, Keldra Maintenance se iniciará con Windows y "
          "realizará las tareas a la hora indicada."},
    Entry{"OCM_ShL1", "Ejecutar"},
    Entry{"OCM_ShL2", "a las"},
    Entry{"OCM_ShL3", "horas"},
    Entry{"OCM_ShL4", "minutos"},
    Entry{"OCM_lblDesc0", "Libera memoria para que sus programas funcionen más rápido."},
    Entry{"OCM_lblDesc1", "Busca y corrige entradas no válidas del registro de Windows."},
    Entry{"OCM_lblDesc2", "Desfragmenta y compacta el registro."},
    Entry{"OCM_lblDesc3", "Limpia su disco duro de archivos temporales y sin uso."},
    Entry{"OCM_lblProc0", "Optimizando la memoria..."},
    Entry{"OCM_lblProc1", "Revisando el registro..."},
    Entry{"OCM_lblProc2", "Compactando el registro..."},
    Entry{"OCM_lblProc3", "Eliminando archivos basura..."},
    Entry{"OSM_AML1", "Cada día"},
    Entry{"OSM_AML2", "Cada 3 días"},
    Entry{"OSM_AML3", "Cada semana"},
    Entry{"OSM_KLT", "Keldra Maintenance"},
    Entry{"OSM_PrevInst",
          "Keldra Maintenance ya se está ejecutando. Haga clic en su icono del área de "
          "notificación para abrir la ventana."},
    Entry{"OSM_SCap", "Programador de Keldra"},
    Entry{"OSM_SE", "Cancelar"},
    Entry{"OSM_SN", "Analizar"},
    Entry{"OWM_1", "¡Bienvenido a Keldra Maintenance!"},
    Entry{"OWM_2a",
          "Keldra Maintenance mantiene su PC en segundo plano: limpia y compacta el registro y "
          "elimina archivos temporales e innecesarios. Para ver el estado del análisis, haga clic "
          "en su icono del área de notificación "},
    Entry{"OWM_2b",
          "(aparece durante el análisis). Los problemas encontrados se corrigen solos, salvo que "
          "desactive esta opción. Tras el análisis, haga clic en una fila para ver los problemas. "
          "El Programador programa el mantenimiento."},
    Entry{"OWM_3", "No volver a mostrar este mensaje (recomendado)."},
    Entry{"RDRC_Reason0", "No se encontró el archivo o la carpeta"},
    Entry{"RDRC_Reason1", "Clave de biblioteca de tipos vacía"},
    Entry{"RDRC_Reason10", "No se encontró la DLL compartida"},
    Entry{"RDRC_Reason11", "No se encontró el archivo de fuente"},
    Entry{"RDRC_Reason12", "Asociación de archivo vacía"},
    Entry{"RDRC_Reason2", "Biblioteca de tipos no registrada"},
    Entry{"RDRC_Reason3", "Identificador de clase vacío"},
    Entry{"RDRC_Reason4", "Clase no registrada"},
    Entry{"RDRC_Reason5", "Identificador de programa vacío"},
    Entry{"RDRC_Reason6", "Identificador de programa no registrado"},
    Entry{"RDRC_Reason7", "Servidor en proceso vacío"},
    Entry{"RDRC_Reason8", "Servidor en proceso de 16 bits vacío"},
    Entry{"RDRC_lvInvalidLocCH1", "Ubicación de los datos no válidos"},
    Entry{"RDRC_lvInvalidLocCH2", "Nombre del valor"},
    Entry{"RDRC_lvInvalidLocCH3", "Datos del valor"},
    Entry{"RDRC_lvInvalidLocCH4", "Motivo"},
    Entry{"RDRC_lvInvalidLocCH5", "Tipo"},
    Entry{"RDRC_lvInvalidLocCH6", "Atributos"},
    Entry{"UCM_RestBad",
          "No se puede leer el archivo de copia de seguridad, así que no se ha restaurado nada. "
          "Keldra Maintenance solo restaura a partir de una copia que pueda leer completa:"},
    Entry{"UCM_RestCame", " valores eliminados por la última reparación se han restaurado."},
    Entry{"UCM_RestDenied", " - sin permiso de escritura: inicie el programa como administrador"},
    Entry{"UCM_RestError", " - el Registro lo rechazó, error "},
    Entry{"UCM_RestExisting", "Estos valores vuelven a existir y se han dejado como están:"},
    Entry{"UCM_RestFailed", "Estos valores no se han podido restaurar:"},
    Entry{"UCM_RestFrom", "Archivo de copia de seguridad: "},
    Entry{"UCM_RestLine", ", línea "},
    Entry{"UCM_RestMore", "Otros no enumerados aquí: "},
    Entry{"UCM_RestNone",
          "No hay ninguna reparación que deshacer: no se ha encontrado ningún archivo de copia de "
          "seguridad de Keldra Maintenance."},
    Entry{"UCM_RestOf", " de "},
    Entry{"UCM_Usage",
          "Sin modificadores, Keldra Maintenance realiza una pasada de mantenimiento al iniciarse. "
          "Modificadores:"},
    Entry{"UCM_UsageAuto",
          "-auto  inicio al iniciar sesión en Windows: esperar en el área de notificación la "
          "pasada programada para hoy, o terminar si no hay ninguna pendiente"},
    Entry{"UCM_UsageHelp", "-?  mostrar esta lista (también /? y -help)"},
    Entry{"UCM_UsageRestore",
          "-restore  volver a escribir los valores del Registro que eliminó la última reparación"},
    Entry{"msg_OverError", "Memoria insuficiente"},
};

}  // namespace keldra::lang
