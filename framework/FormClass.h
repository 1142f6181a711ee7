#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <any>
#include <functional>
#include <map>
#include <typeindex>
#include <vector>

#include "Export.h"
#include "SysUtils.h"

class TForm;

// The handlers a form class publishes, by name. A definition binds an event
// to a handler by its name. Each name is published once, by the class that
// declares the handler: a derived class replaces a base handler by
// overriding it (the base declares it virtual), so the base's own binding
// reaches the override whether or not the table knows of it.
class FRAMEWORK_EXPORT THandlerTable {
public:
    // Throws Exception when `name` is already published, by this class or a
    // base.
    template <class F, class... A>
    void Add(const QString& name, void (F::*method)(A...)) {
        RefuseRepublished(name);
        entries_.emplace(name, Entry{typeid(std::function<void(A...)>), [method](TForm* form) {
            auto* self = static_cast<F*>(form);
            return std::any(std::function<void(A...)>(
                [self, method](A... args) { (self->*method)(std::forward<A>(args)...); }));
        }});
    }

    bool Contains(const QString& name) const { return entries_.contains(name); }

    // The handler as an event of type E bound to `form`; throws Exception
    // when there is no such handler or it takes other arguments.
    template <class E>
    E Bind(const QString& name, TForm* form) const {
        const Entry& entry = Find(name);
        if (entry.signature != std::type_index(typeid(E)))
            throw Exception(QStringLiteral("o manipulador '%1' não tem os argumentos deste evento").arg(name));
        return std::any_cast<E>(entry.bind(form));
    }

private:
    struct Entry {
        std::type_index signature;
        std::function<std::any(TForm*)> bind;
    };
    const Entry& Find(const QString& name) const;
    void RefuseRepublished(const QString& name) const;
    std::map<QString, Entry> entries_;
};

// What the framework knows of a form class: its definitions (the base's
// first), its handlers, and the component fields to fill after loading.
struct FRAMEWORK_EXPORT TFormClass {
    struct Level {
        QString className;
        QString definition;  // a Qt resource path
    };
    using FieldAssign = std::function<void(TForm* form, QObject* component)>;

    std::vector<Level> levels;
    THandlerTable handlers;
    std::map<QString, FieldAssign> fields;
    QStringList fieldOrder;

    QString ClassName() const { return levels.empty() ? QString() : levels.back().className; }
};

// Handed to a form class's static Publish: declares its fields and handlers.
template <class F>
class TPublisher {
public:
    explicit TPublisher(TFormClass& formClass) : class_(formClass) {}

    template <class C>
    TPublisher& Field(const QString& name, C* F::*member) {
        if (!class_.fields.contains(name)) class_.fieldOrder << name;
        class_.fields.insert_or_assign(name, [member, name](TForm* form, QObject* component) {
            auto* typed = dynamic_cast<C*>(component);
            if (!typed)
                throw Exception(QStringLiteral("o componente '%1' não é da classe que o campo espera").arg(name));
            static_cast<F*>(form)->*member = typed;
        });
        return *this;
    }

    template <class... A>
    TPublisher& Handler(const QString& name, void (F::*method)(A...)) {
        class_.handlers.Add(name, method);
        return *this;
    }

private:
    TFormClass& class_;
};

class TForm;

// The class record of form class T, built once. T declares
//   using inherited = <its base form class, or TForm>;
//   static constexpr const char* ClassName = "T...";
//   static constexpr const char* Definition = ":/...";
//   static void Publish(TPublisher<T>&);
template <class T>
const TFormClass& FormClassOf() {
    static const TFormClass formClass = [] {
        TFormClass result;
        if constexpr (!std::is_same_v<typename T::inherited, TForm>) result = FormClassOf<typename T::inherited>();
        result.levels.push_back({QString::fromLatin1(T::ClassName), QString::fromLatin1(T::Definition)});
        TPublisher<T> publisher(result);
        T::Publish(publisher);
        return result;
    }();
    return formClass;
}
