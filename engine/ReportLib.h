#pragma once

#include <QString>

#include "HostExport.h"
#include "Params.h"

// True exactly when params.ParamByName(name) would find a parameter.
HOST_EXPORT bool ExistParam(const TParams& params, const QString& name);
