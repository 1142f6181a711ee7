#pragma once

#include <QByteArray>
#include <QObject>
#include <QWidget>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "DefinitionReader.h"
#include "Export.h"
#include "Graphics.h"

class TForm;
class LoadContext;

// A property value of the wrong kind or out of range; the loader adds where.
class FRAMEWORK_EXPORT EPropertyValue : public Exception {
public:
    using Exception::Exception;
};

// Reading values as properties want them; each throws EPropertyValue naming
// the kind it wanted.
FRAMEWORK_EXPORT int IntValue(const DefinitionValue& value);
FRAMEWORK_EXPORT bool BoolValue(const DefinitionValue& value);
FRAMEWORK_EXPORT QString StringValue(const DefinitionValue& value);
FRAMEWORK_EXPORT QString IdentValue(const DefinitionValue& value);
FRAMEWORK_EXPORT QStringList IdentSetValue(const DefinitionValue& value);
FRAMEWORK_EXPORT QStringList StringsValue(const DefinitionValue& value);
FRAMEWORK_EXPORT QByteArray BinaryValue(const DefinitionValue& value);
// An identifier from a fixed list (bsSingle...), as its index in the list.
FRAMEWORK_EXPORT int EnumValue(const DefinitionValue& value, const QStringList& names);
// A colour as a number or an identifier (clBlue, clBtnFace...).
FRAMEWORK_EXPORT TColor ColorValue(const DefinitionValue& value);

// What a class's definition may say of it: its properties and events, and how
// to create it. Lookups walk up to the parent class.
class FRAMEWORK_EXPORT TClassInfo {
public:
    using Factory = std::function<QObject*(QObject* parent)>;
    using Setter = std::function<void(QObject* target, const DefinitionValue& value, LoadContext& context)>;

    TClassInfo(QString name, const TClassInfo* parent, Factory factory, bool visual);

    const QString& Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    bool Visual() const { return visual_; }
    bool InheritsFrom(const QString& className) const;
    QObject* Create(QObject* parent) const;
    const Setter* FindProperty(const QString& name) const;
    // Properties that definitions carry but that have no meaning here; they
    // are read and dropped, each with its reason.
    bool Skips(const QString& name) const;

    void AddProperty(const QString& name, Setter setter);
    void AddSkip(const QString& name, const QString& reason);
    // Replaces how instances are made (tests inject failures with it) and
    // gives back the previous factory.
    Factory ReplaceFactory(Factory factory);

private:
    QString name_;
    const TClassInfo* parent_;
    Factory factory_;
    bool visual_;
    std::map<QString, Setter> properties_;
    std::map<QString, QString> skips_;
};

// The classes that definitions can name, by class name.
class FRAMEWORK_EXPORT TClassRegistry {
public:
    TClassInfo& Register(const QString& name, const QString& parentName, TClassInfo::Factory factory,
                         bool visual);
    const TClassInfo* Find(const QString& name) const;
    TClassInfo* FindMutable(const QString& name);

private:
    std::map<QString, std::unique_ptr<TClassInfo>> classes_;
};

// The registry of this process, with the framework's classes registered.
FRAMEWORK_EXPORT TClassRegistry& ClassRegistry();

// Builds a class's property table with typed setters.
template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(TClassInfo& info) : info_(info) {}

    template <class F>
    ClassBuilder& Prop(const QString& name, F apply) {
        info_.AddProperty(name, [apply](QObject* target, const DefinitionValue& value, LoadContext& context) {
            if constexpr (std::is_invocable_v<F, T&, const DefinitionValue&, LoadContext&>)
                apply(*static_cast<T*>(target), value, context);
            else
                apply(*static_cast<T*>(target), value);
        });
        return *this;
    }
    ClassBuilder& Int(const QString& name, void (T::*set)(int)) {
        return Prop(name, [set](T& t, const DefinitionValue& v) { (t.*set)(IntValue(v)); });
    }
    ClassBuilder& Bool(const QString& name, void (T::*set)(bool)) {
        return Prop(name, [set](T& t, const DefinitionValue& v) { (t.*set)(BoolValue(v)); });
    }
    ClassBuilder& Str(const QString& name, void (T::*set)(const QString&)) {
        return Prop(name, [set](T& t, const DefinitionValue& v) { (t.*set)(StringValue(v)); });
    }
    ClassBuilder& Strings(const QString& name, void (T::*set)(const QStringList&)) {
        return Prop(name, [set](T& t, const DefinitionValue& v) { (t.*set)(StringsValue(v)); });
    }
    ClassBuilder& Enum(const QString& name, const QStringList& names, void (T::*set)(int)) {
        return Prop(name, [set, names](T& t, const DefinitionValue& v) { (t.*set)(EnumValue(v, names)); });
    }
    // An event bound to the handler of the name the definition gives.
    template <class E, class C>
    ClassBuilder& Event(const QString& name, E C::*member);
    // A reference to another component of the form, resolved once every
    // component exists.
    template <class C>
    ClassBuilder& Reference(const QString& name, void (T::*set)(C*));
    ClassBuilder& Skip(const QString& name, const QString& reason) {
        info_.AddSkip(name, reason);
        return *this;
    }

private:
    TClassInfo& info_;
};

// Registers a class: ClassRegistry().Register plus its property table.
template <class T>
ClassBuilder<T> RegisterClass(const QString& name, const QString& parentName, bool visual) {
    TClassInfo::Factory factory;
    if constexpr (std::is_abstract_v<T>) {
        factory = nullptr;
    } else if constexpr (std::is_base_of_v<QWidget, T>) {
        factory = [](QObject* parent) -> QObject* { return new T(qobject_cast<QWidget*>(parent)); };
    } else {
        factory = [](QObject* parent) -> QObject* { return new T(parent); };
    }
    return ClassBuilder<T>(ClassRegistry().Register(name, parentName, factory, visual));
}

#include "LoadContext.h"

template <class T>
template <class E, class C>
ClassBuilder<T>& ClassBuilder<T>::Event(const QString& name, E C::*member) {
    static_assert(std::is_base_of_v<C, T>);
    return Prop(name, [member](T& t, const DefinitionValue& v, LoadContext& context) {
        static_cast<C&>(t).*member = context.template BindHandler<E>(IdentValue(v));
    });
}

template <class T>
template <class C>
ClassBuilder<T>& ClassBuilder<T>::Reference(const QString& name, void (T::*set)(C*)) {
    return Prop(name, [set](T& t, const DefinitionValue& v, LoadContext& context) {
        const QString target = IdentValue(v);
        context.AddFixup(v, [&t, set, target](LoadContext& c) { (t.*set)(c.template ComponentAs<C>(target)); });
    });
}
