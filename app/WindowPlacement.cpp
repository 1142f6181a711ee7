#include "WindowPlacement.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QWidget>

#include "BoundedFile.h"
#include "SafeFile.h"
#include "UserState.h"

namespace {

// saveGeometry takes about 70 bytes; anything much larger is not ours.
constexpr qint64 kMaxPlacementBytes = 4096;

}  // namespace

QString WindowPlacementFile() { return UserStateDir() + QStringLiteral("/janela"); }

bool RestorePlacement(QWidget& window, const QString& file) {
    if (!QFileInfo::exists(file)) return false;
    try {
        const QByteArray placement = ReadRegularFile(file, kMaxPlacementBytes);
        // Qt takes a placement cut short for one and puts the window at a
        // size made of its leftovers; a whole one is as long as this Qt's.
        if (placement.size() != window.saveGeometry().size()) return false;
        return window.restoreGeometry(placement);
    } catch (const EFileRead&) {
        return false;
    }
}

void SavePlacement(const QWidget& window, const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Não foi possível criar a pasta %1.")
                            .arg(QDir::toNativeSeparators(folder)));
    SafeFile out(file);
    out.Device().write(window.saveGeometry());
    out.Commit();
}

QSize FirstSize(const QRect& available) {
    const QSize least = QSize(1000, 700).boundedTo(available.size());
    return (available.size() * 0.85).expandedTo(least);
}
