#include "EventOutput.h"

#include "SystemError.h"

void EventOutput::WriteLine(const QByteArray& line) {
    if (error_ != 0) return;
    const QByteArray bytes = line + '\n';
    error_ = WriteAll(fd_, bytes.constData(), bytes.size());
}

QString EventOutput::Failure() const {
    return QStringLiteral("Não foi possível escrever os eventos do script na saída padrão: %1.")
        .arg(SystemReason(error_));
}
