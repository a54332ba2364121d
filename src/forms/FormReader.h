// Builds a component tree from a parsed form description. Classes are created
// through a registry of factories by class name; properties are applied through
// per-class setter tables (looked up along the class chain, so a class inherits
// its ancestors' properties and units registered later add their own classes and
// properties). While the tree is read every component is in csLoading|csReading;
// afterwards Loaded runs on each, the root first, then in creation order.
// Portable.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/Classes.h"
#include "forms/FormText.h"

namespace sj {

// Reading failed: unknown class or property, wrong value, missing handler.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

class TReadContext;

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;
using TPropertySetter = std::function<void(TComponent& target, const TPropValue& value, TReadContext& context)>;

class TClassRegistry {
public:
    static TClassRegistry& Instance();

    void RegisterComponentClass(const std::string& className, TComponentFactory factory);
    bool IsRegistered(std::string_view className) const;
    TComponent* Create(std::string_view className, TComponent* owner) const;

    void RegisterProperty(const std::string& className, const std::string& property, TPropertySetter setter);
    // The setter of the most derived class in the component's chain that has one.
    const TPropertySetter* FindProperty(const TComponent& component, std::string_view property) const;

private:
    std::map<std::string, TComponentFactory, std::less<>> factories_;
    std::map<std::string, std::map<std::string, TPropertySetter, std::less<>>, std::less<>> properties_;
};

template <class T> void RegisterComponentClass() {
    TClassRegistry::Instance().RegisterComponentClass(std::string(T::StaticClassName),
                                             [](TComponent* owner) -> TComponent* { return new T(owner); });
}

// Registers a setter for class C (and its descendants); the target is cast to C.
template <class C>
void RegisterProperty(const std::string& property,
                      std::function<void(C& target, const TPropValue& value, TReadContext& context)> setter) {
    TClassRegistry::Instance().RegisterProperty(
        std::string(C::StaticClassName), property,
        [setter = std::move(setter)](TComponent& target, const TPropValue& value, TReadContext& context) {
            setter(static_cast<C&>(target), value, context);
        });
}

// Value conversions for setters; each throws EReadError("Invalid property value")
// when the stored value has the wrong kind.
std::int64_t AsInteger(const TPropValue& value);
int AsInt(const TPropValue& value);
double AsReal(const TPropValue& value);
bool AsBoolean(const TPropValue& value);
const std::string& AsString(const TPropValue& value);
const std::string& AsIdent(const TPropValue& value);
std::vector<std::string> AsStrings(const TPropValue& value);
const std::vector<std::string>& AsSet(const TPropValue& value);
const std::vector<std::uint8_t>& AsBinary(const TPropValue& value);
// Colours: a number (0x00BBGGRR or a 0xFF0000nn system colour) or a colour name.
std::uint32_t AsColor(const TPropValue& value);
bool ColorNameToValue(std::string_view ident, std::uint32_t& color);

template <class E> E AsEnum(const TPropValue& value, std::initializer_list<std::pair<std::string_view, E>> names) {
    const std::string& ident = AsIdent(value);
    for (const auto& [name, member] : names) {
        if (SameText(name, ident))
            return member;
    }
    throw EReadError("Invalid property value");
}

template <class E> unsigned AsSetOf(const TPropValue& value, std::initializer_list<std::pair<std::string_view, E>> names) {
    unsigned result = 0;
    for (const std::string& ident : AsSet(value)) {
        bool found = false;
        for (const auto& [name, member] : names) {
            if (SameText(name, ident)) {
                result |= static_cast<unsigned>(member);
                found = true;
            }
        }
        if (!found)
            throw EReadError("Invalid property value");
    }
    return result;
}

class TReadContext {
public:
    explicit TReadContext(TComponent& root) : root_(root) {}

    TComponent& Root() const { return root_; }

    // The root's published method named by an identifier value, or an empty
    // handler for nil. A name the root does not publish, or one of another
    // signature, is an error.
    template <class F> F Event(const TPropValue& value) const {
        const std::string& name = AsIdent(value);
        if (SameText(name, "nil"))
            return F();
        const std::any* method = root_.FindMethod(name);
        if (method == nullptr)
            throw EReadError("Method " + name + " not found");
        if (const F* handler = std::any_cast<F>(method))
            return *handler;
        throw EReadError("Method " + name + " has the wrong signature");
    }

    // A component of the root named by an identifier value (nil gives none).
    TComponent* Reference(const TPropValue& value) const;
    // Runs an action once every component of the description exists (before any
    // Loaded): for references to components stored further down.
    void Defer(std::function<void()> action) { deferred_.push_back(std::move(action)); }

private:
    friend class TFormReader;
    TComponent& root_;
    std::vector<std::function<void()>> deferred_;
};

// Setter helper for a reference property: resolved once all components exist.
template <class C, class T>
void RegisterReferenceProperty(const std::string& property, void (C::*setter)(T*)) {
    RegisterProperty<C>(property, [setter](C& target, const TPropValue& value, TReadContext& context) {
        std::string name = AsIdent(value);
        context.Defer([&target, setter, name, &context] {
            TPropValue reference;
            reference.kind = TValueKind::vaIdent;
            reference.text = name;
            TComponent* component = context.Reference(reference);
            T* typed = dynamic_cast<T*>(component);
            if (component != nullptr && typed == nullptr)
                throw EReadError("Error reading " + target.Name() + ": " + name + " has the wrong class");
            (target.*setter)(typed);
        });
    });
}

class TFormReader {
public:
    using TBinarySource = std::function<std::vector<std::uint8_t>(const std::string& resourceName)>;

    explicit TFormReader(TComponent& root, TBinarySource binarySource = {});

    // Reads the description into the root: its properties, then its objects.
    // Components the root already owns under a stored name are reused.
    void Read(const TFormNode& node);
    void ReadText(std::string_view text) { Read(ParseFormText(text)); }

    // Applies one stored property to a component (also used for collection items
    // by setters that hold components).
    void ApplyProperty(TComponent& component, const TPropEntry& entry);

private:
    void ReadObject(const TFormNode& node, TComponent& component);
    TComponent* CreateChild(const TFormNode& node, TComponent& enclosing);
    void ResolveBinaries(TPropValue& value) const;
    void BeginReading(TComponent& component);

    TComponent& root_;
    TBinarySource binarySource_;
    TReadContext context_;
    std::vector<TComponent*> loaded_;
};

} // namespace sj
