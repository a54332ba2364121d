#include "forms/Classes.h"

#include <algorithm>
#include <cctype>

namespace sj {

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool IsValidIdent(std::string_view text) {
    if (text.empty())
        return false;
    auto isStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    if (!isStart(text[0]))
        return false;
    return std::all_of(text.begin() + 1, text.end(),
                       [&](char c) { return isStart(c) || std::isdigit(static_cast<unsigned char>(c)); });
}

std::vector<std::string_view> TObject::ClassChain() const {
    std::vector<std::string_view> chain;
    GetClassChain(chain);
    return chain;
}

bool TObject::InheritsFrom(std::string_view className) const {
    const auto chain = ClassChain();
    return std::find(chain.begin(), chain.end(), className) != chain.end();
}

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    NotifyFreeNotifiers();
    DestroyComponents();
    if (owner_ != nullptr)
        owner_->RemoveComponent(this);
}

void TComponent::Destroying() {
    state_ |= csDestroying;
}

void TComponent::SetState(TComponentStateFlag flag, bool on) {
    if (on)
        state_ |= flag;
    else
        state_ &= ~static_cast<unsigned>(flag);
}

void TComponent::SetName(const std::string& name) {
    if (name == name_)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw Exception("'" + name + "' is not a valid component name");
    if (owner_ != nullptr)
        owner_->ValidateRename(this, name_, name);
    name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const std::string& current, const std::string& next) {
    if (next.empty() || SameText(current, next))
        return;
    TComponent* other = FindComponent(next);
    if (other != nullptr && other != component)
        throw Exception("A component named " + next + " already exists");
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (owner_ == nullptr)
        return -1;
    auto it = std::find(owner_->components_.begin(), owner_->components_.end(), this);
    return static_cast<int>(it - owner_->components_.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : components_) {
        if (SameText(component->name_, name))
            return component;
    }
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (component == nullptr || component->owner_ == this)
        return;
    if (!component->name_.empty())
        ValidateRename(component, std::string(), component->name_);
    if (component->owner_ != nullptr)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    // Everyone under this owner hears of the removal first, while the pointer is
    // still a member, so that references to it can be dropped.
    Notification(component, TOperation::opRemove);
    for (TComponent* sibling : std::vector<TComponent*>(components_)) {
        if (sibling != component && !sibling->HasState(csDestroying))
            sibling->Notification(component, TOperation::opRemove);
    }
    it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end())
        components_.erase(it);
    component->owner_ = nullptr;
    if (!HasState(csDestroying))
        AssignField(component->name_, nullptr);
}

void TComponent::DestroyComponents() {
    // Last created goes first; each destructor takes itself out of the list.
    while (!components_.empty()) {
        TComponent* component = components_.back();
        RemoveComponent(component);
        delete component;
    }
}

void TComponent::Loaded() {
    SetState(csLoading, false);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component != nullptr)
        RemoveFreeNotifier(component);
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this)
        return;
    // Both sides hear of each other's destruction, whoever goes first.
    AddFreeNotifier(component);
    component->AddFreeNotifier(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component == nullptr)
        return;
    RemoveFreeNotifier(component);
    component->RemoveFreeNotifier(this);
}

void TComponent::AddFreeNotifier(TComponent* component) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
}

void TComponent::RemoveFreeNotifier(TComponent* component) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
}

void TComponent::NotifyFreeNotifiers() {
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        other->RemoveFreeNotifier(this);
        other->Notification(this, TOperation::opRemove);
    }
}

const std::any* TComponent::FindMethod(const std::string& name) const {
    auto it = methods_.find(name);
    return it == methods_.end() ? nullptr : &it->second;
}

void TComponent::AssignField(const std::string& name, TComponent* component) {
    auto it = fields_.find(name);
    if (it != fields_.end())
        it->second(component);
}

Exception TComponent::FieldTypeError(const std::string& name) {
    return Exception("Field " + name + " does not match the class of its component");
}

} // namespace sj
