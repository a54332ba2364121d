// The component model of our form framework: TObject answers its class name and
// its ancestry by name; TComponent adds a name, a tag, ownership (the owner
// destroys what it owns), the loading/reading/destroying state, free
// notifications and a table of named methods for event binding by name.
// Portable: no window system here.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace sj {

class TObject;

// Declares the name of a framework class and of its ancestor chain. Every class a
// stored form or the skinning layer may look up by name uses it.
#define SJ_CLASS(Self, Base)                                                                                           \
public:                                                                                                                \
    static constexpr std::string_view StaticClassName = #Self;                                                         \
    static void StaticClassChain(std::vector<std::string_view>& chain) {                                              \
        chain.push_back(StaticClassName);                                                                              \
        Base::StaticClassChain(chain);                                                                                 \
    }                                                                                                                  \
    std::string_view ClassName() const override { return StaticClassName; }                                           \
    void GetClassChain(std::vector<std::string_view>& chain) const override { StaticClassChain(chain); }              \
                                                                                                                       \
private:

class TObject {
public:
    static constexpr std::string_view StaticClassName = "TObject";
    static void StaticClassChain(std::vector<std::string_view>& chain) { chain.push_back(StaticClassName); }

    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    virtual std::string_view ClassName() const { return StaticClassName; }
    // Most derived first, TObject last.
    virtual void GetClassChain(std::vector<std::string_view>& chain) const { StaticClassChain(chain); }
    std::vector<std::string_view> ClassChain() const;
    bool InheritsFrom(std::string_view className) const;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csDestroying = 1u << 2,
    csDesigning = 1u << 3,
};
using TComponentState = unsigned;

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
    SJ_CLASS(TComponent, TObject)
    friend class TFormReader;

public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const std::string& Name() const { return name_; }
    // Throws when the name is not an identifier or another component of the same
    // owner already carries it (names compare without regard to case).
    virtual void SetName(const std::string& name);

    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(std::string_view name) const;
    template <class T> T* FindComponentOf(std::string_view name) const {
        return dynamic_cast<T*>(FindComponent(name));
    }

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    TComponentState ComponentState() const { return state_; }
    bool HasState(TComponentStateFlag flag) const { return (state_ & flag) != 0; }

    // Called once the stored state of the whole tree has been read.
    virtual void Loaded();
    // A stored form nests this component's object inside another's; controls take
    // it as their parent, menu items as their menu. Others ignore it.
    virtual void SetParentComponent(TComponent* parent) { (void)parent; }
    // A component this one relates to (owned, or asked for with FreeNotification)
    // was inserted or is going away.
    virtual void Notification(TComponent* component, TOperation operation);
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Event handlers named in stored forms are methods published by the root.
    template <class C, class... Args> void PublishMethod(const std::string& name, void (C::*method)(Args...)) {
        C* self = static_cast<C*>(this);
        std::function<void(Args...)> bound = [self, method](Args... args) { (self->*method)(args...); };
        methods_[name] = std::move(bound);
    }
    void PublishMethod(const std::string& name, std::any handler) { methods_[name] = std::move(handler); }
    const std::any* FindMethod(const std::string& name) const;

    // Fields of the root bound to the components a stored form creates by name.
    template <class T> void BindField(const std::string& name, T*& field) {
        fields_[name] = [&field, name](TComponent* component) {
            field = component == nullptr ? nullptr : dynamic_cast<T*>(component);
            if (component != nullptr && field == nullptr)
                throw FieldTypeError(name);
        };
    }
    void AssignField(const std::string& name, TComponent* component);

protected:
    void SetState(TComponentStateFlag flag, bool on);
    // Marks the component as going away; derived destructors call it first, so
    // everything torn down afterwards sees csDestroying.
    void Destroying();
    virtual void ValidateRename(TComponent* component, const std::string& current, const std::string& next);

private:
    static Exception FieldTypeError(const std::string& name);
    void NotifyFreeNotifiers();
    void AddFreeNotifier(TComponent* component);
    void RemoveFreeNotifier(TComponent* component);

    std::string name_;
    std::intptr_t tag_ = 0;
    TComponent* owner_ = nullptr;
    TComponentState state_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::map<std::string, std::any> methods_;
    std::map<std::string, std::function<void(TComponent*)>> fields_;
};

bool SameText(std::string_view a, std::string_view b);
bool IsValidIdent(std::string_view text);

} // namespace sj
