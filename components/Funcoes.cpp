#include "Funcoes.h"

#include <QApplication>
#include <array>

#include "Forms.h"
#include "SysUtils.h"

void MensErro(const QString& text, bool abort) {
    Application->ShowMessage(mtError, text);
    if (abort) Abort();
}

QString NomeSemana(TDateTime date) {
    static const std::array<QString, 7> names = {
        QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
        QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
        QStringLiteral("Sábado")};
    // 0 is what an empty date field gives; values outside the years 1 to
    // 9999 have no day either. Neither is worth an error beside a field.
    if (date == 0 || !ToQDate(date).isValid()) return QString();
    return names.at(static_cast<size_t>(DayOfWeek(date) - 1));
}
