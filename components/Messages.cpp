#include "Messages.h"

#include "ClassRegistry.h"

TMessages::TMessages(QObject* owner) : TComponent(owner) {}

void TMessages::SetMessages(const QStringList& lines) {
    lines_ = lines;
    texts_.clear();
    for (const QString& line : lines) {
        const qsizetype bar = line.indexOf(u'|');
        const QString key = bar < 0 ? line : line.left(bar);
        // emplace keeps an existing key: the first line of a key wins.
        texts_.emplace(key, bar < 0 ? QString() : line.mid(bar + 1));
    }
}

QString TMessages::Msg(const QString& key) const {
    const auto found = texts_.find(key);
    return found == texts_.end() ? key : found->second;
}

namespace {
const bool registered = [] {
    RegisterClass<TMessages>("TMessages", "TComponent", false)
        .Strings("Messages.Strings", &TMessages::SetMessages);
    return true;
}();
}  // namespace
