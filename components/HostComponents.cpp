#include "HostComponents.h"

#include <QFileDialog>

#include "ClassRegistry.h"
#include "Forms.h"

bool TSaveDialog::Execute() {
    QFileDialog dialog(nullptr, title_, fileName_, filter_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExt_);
    if (Application->ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    fileName_ = dialog.selectedFiles().constFirst();
    return true;
}

namespace {
const bool registered = [] {
    RegisterClass<TPopupMenu>("TPopupMenu", "TComponent", false);
    RegisterClass<TSaveDialog>("TSaveDialog", "TComponent", false)
        .Str("Title", &TSaveDialog::SetTitle)
        .Str("Filter", &TSaveDialog::SetFilter)
        .Str("DefaultExt", &TSaveDialog::SetDefaultExt);
    RegisterClass<TNetConnection>("TNetConnection", "TComponent", false)
        .Str("ConnectionName", &TNetConnection::SetConnectionName);
    return true;
}();
}  // namespace
