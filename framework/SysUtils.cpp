#include "SysUtils.h"

#include <utility>

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

EAbort::EAbort() : Exception(QStringLiteral("Operação cancelada")) {}

void Abort() { throw EAbort(); }
