// The package unit of the module: it holds the screen unit
// (Cli_rcl04700) and carries the module's version record. No logic.
#include "Cli_rcl04700.h"
#include "ModuleVersion.h"

extern "C" RCL_EXPORT const TModuleVersion ModuleVersion = {
    4, 7, 10, 0,
    "4.07.010",
    "4.07.010",
    0x0416,
    1252,
    "Sistemas de Gestão",
    "Relatório de Limpeza de Dados (RCL04700)",
    "Gestão Empresarial",
    "Pkg_rcl04700",
    "Todos os direitos reservados.",
};
