#include "TabOrder.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <climits>

namespace {

QList<QWidget*> ChildrenInTabOrder(QWidget* parent) {
    QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    children.removeIf([](QWidget* w) { return w->objectName().isEmpty() || w->isWindow(); });
    std::stable_sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) {
        const QVariant x = a->property("TabOrder"), y = b->property("TabOrder");
        return (x.isValid() ? x.toInt() : INT_MAX) < (y.isValid() ? y.toInt() : INT_MAX);
    });
    return children;
}

void Collect(QWidget* parent, QList<QWidget*>& chain) {
    for (QWidget* child : ChildrenInTabOrder(parent)) {
        if (child->focusPolicy() & Qt::TabFocus) chain.append(child);
        Collect(child, chain);
    }
}

}  // namespace

void ApplyTabOrder(QWidget* root) {
    QList<QWidget*> chain;
    Collect(root, chain);
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}
