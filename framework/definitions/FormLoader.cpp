// Builds a form from its class's definitions: the base's first, then each
// derived definition's differences. Components are made by class name from
// the registry, properties set through each class's table, events bound to
// the form's handlers by name, references and fields resolved at the end.
#include <QWidget>
#include <map>
#include <memory>

#include "AccessibleNames.h"
#include "ClassRegistry.h"
#include "ClientDataSet.h"
#include "Forms.h"
#include "LoadContext.h"
#include "PropertyApplier.h"
#include "TabOrder.h"

LoadContext::LoadContext(TForm* form, const TFormClass& formClass) : form_(form), formClass_(formClass) {}

void LoadContext::AddFixup(const DefinitionValue& where, Fixup fixup) {
    fixups_.push_back({source_, path_, where.line, where.column, std::move(fixup)});
}

void LoadContext::RunFixups() {
    for (PendingFixup& pending : fixups_) {
        try {
            pending.fixup(*this);
        } catch (const Exception& e) {
            throw EDefinitionError(pending.source, pending.line, pending.column, pending.path, e.Message());
        }
    }
    fixups_.clear();
}

QObject* LoadContext::ComponentNamed(const QString& name) const {
    QObject* component = form_->FindComponent(name);
    if (!component) throw EPropertyValue(QStringLiteral("componente '%1' não existe").arg(name));
    return component;
}

EDefinitionError LoadContext::Error(int line, int column, const QString& what) const {
    return EDefinitionError(source_, line, column, path_, what);
}

namespace {

// A definition among the program's resources cannot change while it runs: it
// is read once and its tree kept, so that opening the screen again skips the
// reading. Definition files on disk are read every time.
std::shared_ptr<const DefinitionObject> ReadLevelDefinition(const QString& path) {
    if (!path.startsWith(u':')) return std::make_shared<const DefinitionObject>(ReadDefinitionFile(path));
    static std::map<QString, std::shared_ptr<const DefinitionObject>> resources;
    std::shared_ptr<const DefinitionObject>& kept = resources[path];
    if (!kept) kept = std::make_shared<const DefinitionObject>(ReadDefinitionFile(path));
    return kept;
}

class FormBuilder {
public:
    FormBuilder(TForm* form, const TFormClass& formClass) : form_(form), class_(formClass), context_(form, formClass) {}

    void Build() {
        LoadingScope loading;
        for (size_t level = 0; level < class_.levels.size(); ++level) ApplyLevel(level);
        context_.RunFixups();
        AssignFields();
        ApplyTabOrder(form_);
        NameControls(form_);
    }

private:
    void ApplyLevel(size_t level) {
        const TFormClass::Level& current = class_.levels[level];
        source_ = current.definition;
        const std::shared_ptr<const DefinitionObject> tree = ReadLevelDefinition(current.definition);
        const DefinitionObject& root = *tree;
        const auto expected = level == 0 ? DefinitionObject::Kind::Object : DefinitionObject::Kind::Inherited;
        if (root.kind != expected)
            Fail(root, root.name, level == 0 ? "a definição de base deve começar com 'object'"
                                             : "a definição derivada deve começar com 'inherited'");
        if (root.className != current.className)
            Fail(root, root.name, QStringLiteral("classe '%1' onde se esperava '%2'").arg(root.className, current.className));
        form_->setObjectName(root.name);
        ApplyProperties(root, form_, RootInfo(), root.name);
        for (const DefinitionObject& child : root.children) ApplyChild(child, form_, root.name);
    }

    static const TClassInfo* RootInfo() { return ClassRegistry().Find("TForm"); }

    void ApplyChild(const DefinitionObject& object, QObject* container, const QString& containerPath) {
        const QString path = containerPath + '.' + object.name;
        QObject* component = object.kind == DefinitionObject::Kind::Inherited ? Inherited(object, path)
                                                                              : Created(object, container, path);
        const TClassInfo* info = ClassRegistry().Find(object.className);
        ApplyProperties(object, component, info, path);
        for (const DefinitionObject& child : object.children) ApplyChild(child, component, path);
    }

    QObject* Inherited(const DefinitionObject& object, const QString& path) {
        QObject* component = form_->FindComponent(object.name);
        if (!component) Fail(object, path, QStringLiteral("componente herdado '%1' não existe na definição base").arg(object.name));
        if (form_->ComponentClassName(component) != object.className)
            Fail(object, path, QStringLiteral("o componente herdado '%1' é da classe '%2', não '%3'")
                                   .arg(object.name, form_->ComponentClassName(component), object.className));
        return component;
    }

    QObject* Created(const DefinitionObject& object, QObject* container, const QString& path) {
        if (object.name.isEmpty()) Fail(object, path, QStringLiteral("componente sem nome"));
        if (form_->FindComponent(object.name) || object.name == form_->objectName())
            Fail(object, path, QStringLiteral("o nome '%1' já é usado por outro componente").arg(object.name));
        const TClassInfo* info = ClassRegistry().Find(object.className);
        if (!info) Fail(object, path, QStringLiteral("classe desconhecida '%1'").arg(object.className));
        QObject* component = Make(object, *info, container, path);
        component->setObjectName(object.name);
        form_->AddComponent(component, info);
        return component;
    }

    QObject* Make(const DefinitionObject& object, const TClassInfo& info, QObject* container, const QString& path) {
        if (info.Visual() && !qobject_cast<QWidget*>(container))
            Fail(object, path, QStringLiteral("um controle só pode estar em outro controle"));
        QObject* component = nullptr;
        try {
            component = info.Create(info.Visual() ? container : form_);
        } catch (const Exception& e) {
            Fail(object, path, e.Message());
        }
        if (auto* field = qobject_cast<TField*>(component)) {
            auto* dataSet = qobject_cast<TClientDataSet*>(container);
            if (!dataSet) {
                delete component;
                Fail(object, path, QStringLiteral("um campo só pode estar em um conjunto de dados"));
            }
            field->SetDataSet(dataSet);
        } else if (!info.Visual() && container != form_) {
            delete component;
            Fail(object, path, QStringLiteral("um componente não visual só pode estar no formulário"));
        }
        return component;
    }

    void ApplyProperties(const DefinitionObject& object, QObject* target, const TClassInfo* info, const QString& path) {
        context_.SetPosition(source_, path);
        ::ApplyProperties(object, {source_, path, info->Name()}, [&](const QString& name, const DefinitionValue& value) {
            const TClassInfo::Setter* setter = info->FindProperty(name);
            if (!setter) return info->Skips(name);
            (*setter)(target, value, context_);
            return true;
        });
    }

    void AssignFields() {
        for (const QString& name : class_.fieldOrder) {
            QObject* component = form_->FindComponent(name);
            if (!component)
                throw EDefinitionError(source_, 0, 0, form_->objectName(),
                                       QStringLiteral("o campo '%1' de %2 não tem componente na definição").arg(name, class_.ClassName()));
            try {
                class_.fields.at(name)(form_, component);
            } catch (const Exception& e) {
                throw EDefinitionError(source_, 0, 0, form_->objectName() + '.' + name, e.Message());
            }
        }
    }

    [[noreturn]] void Fail(const DefinitionObject& object, const QString& path, const QString& what) {
        throw EDefinitionError(source_, object.line, object.column, path, what);
    }

    TForm* form_;
    const TFormClass& class_;
    LoadContext context_;
    QString source_;
};

}  // namespace

void TForm::LoadDefinitions(const TFormClass& formClass) { FormBuilder(this, formClass).Build(); }
