#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "DefinitionReader.h"
#include "Export.h"
#include "FormClass.h"

class TForm;

// The state of one form load: the form, its class record, where in which
// definition the loader is, and the references still to resolve.
class FRAMEWORK_EXPORT LoadContext {
public:
    LoadContext(TForm* form, const TFormClass& formClass);

    TForm* Form() const { return form_; }
    void SetPosition(const QString& source, const QString& path) {
        source_ = source;
        path_ = path;
    }

    template <class E>
    E BindHandler(const QString& name) {
        return formClass_.handlers.Bind<E>(name, form_);
    }

    using Fixup = std::function<void(LoadContext&)>;
    void AddFixup(const DefinitionValue& where, Fixup fixup);
    // Resolves every reference; errors name where the reference was written.
    void RunFixups();

    // The form's component of that name and class; throws EPropertyValue.
    QObject* ComponentNamed(const QString& name) const;
    template <class C>
    C* ComponentAs(const QString& name) const {
        auto* typed = dynamic_cast<C*>(ComponentNamed(name));
        if (!typed) throw Exception(QStringLiteral("o componente '%1' não serve para esta referência").arg(name));
        return typed;
    }

    // An EDefinitionError at `line`, `column` of the current definition.
    EDefinitionError Error(int line, int column, const QString& what) const;

private:
    struct PendingFixup {
        QString source;
        QString path;
        int line;
        int column;
        Fixup fixup;
    };
    TForm* form_;
    const TFormClass& formClass_;
    QString source_;
    QString path_;
    std::vector<PendingFixup> fixups_;
};
