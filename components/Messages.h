#pragma once

#include <QStringList>
#include <map>

#include "Classes.h"
#include "HostExport.h"

// A message catalogue: lines of a key, a vertical bar and a text
// ("DtIni_Inv|Data inicial deve ser informada.").
class HOST_EXPORT TMessages : public TComponent {
    Q_OBJECT
public:
    explicit TMessages(QObject* owner = nullptr);

    const QStringList& Messages() const { return lines_; }
    // Replaces the whole catalogue. A line without a bar is a key whose text
    // is empty; when a key appears twice the first line wins.
    void SetMessages(const QStringList& lines);

    // The text of the line with that key. A key the catalogue lacks gives
    // the key itself, so a missing line shows up as its key instead of
    // leaving the user with an empty message.
    QString Msg(const QString& key) const;

private:
    QStringList lines_;
    std::map<QString, QString> texts_;
};
