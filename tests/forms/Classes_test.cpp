// Ownership, names, free notifications and class names of the component model.
#include "forms/Classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sj {
namespace {

// Records what it hears and where it was when it died.
class TProbe : public TComponent {
    SJ_CLASS(TProbe, TComponent)

public:
    TProbe(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
    ~TProbe() override {
        if (log_ != nullptr)
            log_->push_back("destroy " + Name());
    }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (log_ != nullptr && operation == TOperation::opRemove)
            log_->push_back(Name() + " hears " + component->Name() + " go");
        if (operation == TOperation::opRemove && component == watched)
            watched = nullptr;
    }
    TComponent* watched = nullptr;

private:
    std::vector<std::string>* log_;
};

class TDerivedProbe : public TProbe {
    SJ_CLASS(TDerivedProbe, TProbe)

public:
    using TProbe::TProbe;
};

TEST(Component, ClassNamesFollowTheChain) {
    TDerivedProbe probe(nullptr, nullptr);
    EXPECT_EQ(probe.ClassName(), "TDerivedProbe");
    EXPECT_TRUE(probe.InheritsFrom("TProbe"));
    EXPECT_TRUE(probe.InheritsFrom("TComponent"));
    EXPECT_TRUE(probe.InheritsFrom("TObject"));
    EXPECT_FALSE(probe.InheritsFrom("TControl"));
    TComponent& asBase = probe;
    EXPECT_EQ(asBase.ClassName(), "TDerivedProbe");
}

TEST(Component, OwnerDestroysOwnedAndSiblingsHearOfIt) {
    std::vector<std::string> log;
    auto* owner = new TProbe(nullptr, &log);
    owner->SetName("Owner");
    auto* first = new TProbe(owner, &log);
    first->SetName("First");
    auto* second = new TProbe(owner, &log);
    second->SetName("Second");
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("SECOND"), second) << "component names compare without case";
    EXPECT_EQ(second->ComponentIndex(), 1);

    delete first;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->FindComponent("First"), nullptr);
    EXPECT_NE(std::find(log.begin(), log.end(), "Second hears First go"), log.end());

    log.clear();
    delete owner;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "destroy Owner");
    EXPECT_NE(std::find(log.begin(), log.end(), "destroy Second"), log.end());
}

TEST(Component, NamesAreValidatedAgainstSiblings) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Button1");
    EXPECT_THROW(b->SetName("button1"), Exception);
    EXPECT_THROW(b->SetName("1Button"), Exception);
    EXPECT_THROW(b->SetName("Has Space"), Exception);
    b->SetName("Button2");
    a->SetName("BUTTON1"); // renaming to itself in another case is fine
    EXPECT_EQ(a->Name(), "BUTTON1");
    EXPECT_EQ(b->Name(), "Button2");
}

TEST(Component, FreeNotificationWorksAcrossOwnersInBothDirections) {
    TProbe ownerA(nullptr, nullptr);
    TProbe ownerB(nullptr, nullptr);
    auto* watcher = new TProbe(&ownerA, nullptr);
    auto* target = new TProbe(&ownerB, nullptr);
    watcher->watched = target;
    target->FreeNotification(watcher);
    delete target;
    EXPECT_EQ(watcher->watched, nullptr);

    // After RemoveFreeNotification nothing is heard, and the watcher dying first
    // leaves no dangling entry behind in the target.
    auto* target2 = new TProbe(&ownerB, nullptr);
    watcher->watched = target2;
    target2->FreeNotification(watcher);
    target2->RemoveFreeNotification(watcher);
    delete target2;
    EXPECT_NE(watcher->watched, nullptr);

    auto* target3 = new TProbe(&ownerB, nullptr);
    target3->FreeNotification(watcher);
    delete watcher;
    delete target3; // must not touch the dead watcher
}

TEST(Component, MovingToAnotherOwner) {
    TComponent first(nullptr);
    TComponent second(nullptr);
    auto* moved = new TComponent(&first);
    moved->SetName("Moved");
    second.InsertComponent(moved);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.FindComponent("Moved"), moved);
    EXPECT_EQ(moved->Owner(), &second);

    auto* clash = new TComponent(&first);
    clash->SetName("Moved");
    EXPECT_THROW(second.InsertComponent(clash), Exception);
    EXPECT_EQ(clash->Owner(), &first);
}

TEST(Component, BoundFieldsFollowTheirComponents) {
    TComponent root(nullptr);
    TProbe* field = nullptr;
    root.BindField("Probe", field);
    auto* probe = new TProbe(&root, nullptr);
    probe->SetName("Probe");
    root.AssignField("Probe", probe);
    EXPECT_EQ(field, probe);
    delete probe;
    EXPECT_EQ(field, nullptr) << "a destroyed component must not stay in its field";

    auto* wrong = new TComponent(&root);
    EXPECT_THROW(root.AssignField("Probe", wrong), Exception);
}

TEST(Component, LoadedClearsTheLoadingState) {
    class TOpen : public TComponent {
    public:
        using TComponent::TComponent;
        using TComponent::SetState;
    } component(nullptr);
    component.SetState(csLoading, true);
    EXPECT_TRUE(component.HasState(csLoading));
    component.Loaded();
    EXPECT_FALSE(component.HasState(csLoading));
}

} // namespace
} // namespace sj
