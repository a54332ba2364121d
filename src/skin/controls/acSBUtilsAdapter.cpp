// The control adapter of a form: which controls take which window adapter, and the minimal form owner.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

namespace sj {

using namespace adapter_detail;

// --- TacAdapterItem ----------------------------------------------------------------------------

TacAdapterItem::TacAdapterItem(TacCtrlAdapter& adapter, TWinControl& control)
    : adapter_(adapter), control_(&control), skinData_(&control, true) {
    skinData_.ControlKind = ckStdAdapter;
    skinData_.SetSkinManager(adapter.Manager());
    watcher_ = control.HookWindowProc([this](TMessage& message, const TWndNext& next) { Watch(message, next); });
}

TacAdapterItem::~TacAdapterItem() {
    windowAdapter_.reset();
    watcher_.Unhook();
}

void TacAdapterItem::Watch(TMessage& message, const TWndNext& next) {
    next(message);
    const bool created = message.Msg == WM_CREATE && message.Result != -1;
    const bool newSkin = message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scNewSkin;
    if ((created || newSkin) && !AdapterLive())
        DoHook();
}

void TacAdapterItem::DoHook() {
    TsSkinManager* manager = adapter_.Manager();
    TWinControl& control = *control_;
    if (manager == nullptr || !manager->Active() || !control.HandleAllocated() || control.Parent() == nullptr ||
        control.Tag() == NeverSkinnedTag || AdapterLive() || AnswersSkinned(control))
        return;
    const int list = FindAdapterList(*manager, std::string(control.ClassName()));
    std::unique_ptr<TacMainWnd> adapter;
    switch (list) {
    case tpEdits:
        adapter = std::make_unique<TacEditWnd>(control, manager, skinData_);
        break;
    case tpButtons:
    case tpBitBtns:
        // A bitmap button is a push button whose glyph the skinned face leaves out.
        adapter = std::make_unique<TacBtnWnd>(control, manager, skinData_);
        break;
    case tpCheckBoxes:
        adapter = std::make_unique<TacCheckBoxWnd>(control, manager, skinData_);
        break;
    case tpGroupBoxes:
        adapter = std::make_unique<TacGroupBoxWnd>(control, manager, skinData_);
        break;
    case tpPageControls:
        adapter = std::make_unique<TacPageControlWnd>(control, manager, skinData_);
        break;
    case tpListViews:
        skinData_.ControlKind = 10;
        adapter = std::make_unique<TacListViewWnd>(control, manager, skinData_);
        break;
    case tpTreeViews:
        adapter = std::make_unique<TacTreeViewWnd>(control, manager, skinData_);
        break;
    case tpScrollControls:
        adapter = std::make_unique<TacEditWnd>(control, manager, skinData_);
        break;
    case tpUpDowns:
        adapter = std::make_unique<TacSpinWnd>(control, manager, skinData_);
        break;
    default:
        return;
    }
    if (skinData_.SkinSection().empty())
        skinData_.SetSkinSection(DefaultSectionOfList(list));
    windowAdapter_ = std::move(adapter);
    windowAdapter_->Hook();
}

// --- TacCtrlAdapter ----------------------------------------------------------------------------

TacCtrlAdapter::TacCtrlAdapter(TsSkinManager* manager) : TComponent(nullptr), manager_(manager) {}

TacCtrlAdapter::~TacCtrlAdapter() {
    RemoveAllItems();
}

TsSkinManager* TacCtrlAdapter::Manager() const {
    return manager_ != nullptr ? manager_ : PrimaryManager();
}

bool TacCtrlAdapter::IsControlSupported(TComponent& component) const {
    TsSkinManager* manager = Manager();
    if (manager == nullptr || component.Tag() == NeverSkinnedTag)
        return false;
    if (auto* win = dynamic_cast<TWinControl*>(&component); win != nullptr && AnswersSkinned(*win))
        return false;
    if (component.ClassName() == TLabel::StaticClassName)
        return true;
    return FindAdapterList(*manager, std::string(component.ClassName())) >= 0;
}

TacAdapterItem* TacCtrlAdapter::ItemOf(const TControl* control) const {
    for (const auto& item : items_)
        if (item->Control() == control)
            return item.get();
    return nullptr;
}

TacAdapterItem* TacCtrlAdapter::AddNewItem(TWinControl& control, const std::string& section) {
    if (control.Tag() == NeverSkinnedTag || control.Parent() == nullptr)
        return nullptr;
    TacAdapterItem* item = ItemOf(&control);
    const bool added = item == nullptr;
    if (added) {
        if (AnswersSkinned(control))
            return nullptr;
        items_.push_back(std::make_unique<TacAdapterItem>(*this, control));
        item = items_.back().get();
        control.FreeNotification(this);
    }
    if (!section.empty())
        item->SkinData().SetSkinSection(section);
    item->DoHook();
    // A control without its window yet keeps its item, whose watcher adapts the window
    // when it comes; one that has its window and got nothing is not kept.
    if (added && item->Unadaptable()) {
        control.RemoveFreeNotification(this);
        items_.pop_back();
        return nullptr;
    }
    return item;
}

void TacCtrlAdapter::AdaptLabel(TLabel& label) {
    if (label.Tag() == OwnColorLabelTag || label.Tag() == NeverSkinnedTag)
        return;
    TsSkinManager* manager = Manager();
    if (manager == nullptr || !manager->Active())
        return;
    const std::int32_t color = manager->SkinTextColor();
    if (!IsUsableTextColor(color))
        return;
    const bool known =
        std::any_of(labels_.begin(), labels_.end(), [&](const TSavedLabel& s) { return s.Label == &label; });
    if (!known) {
        labels_.push_back(TSavedLabel{&label, label.Transparent(), label.Font().Color()});
        label.FreeNotification(this);
    }
    label.SetTransparent(true);
    label.Font().SetColor(static_cast<TColor>(color));
}

void TacCtrlAdapter::RestoreLabels() {
    for (const TSavedLabel& saved : labels_) {
        saved.Label->SetTransparent(saved.Transparent);
        saved.Label->Font().SetColor(saved.FontColor);
        saved.Label->RemoveFreeNotification(this);
    }
    labels_.clear();
}

void TacCtrlAdapter::AddChildren(TWinControl& container) {
    for (int i = 0; i < container.ControlCount(); ++i) {
        TControl* child = container.Controls(i);
        if (!IsControlSupported(*child)) {
            if (auto* win = dynamic_cast<TWinControl*>(child))
                AddChildren(*win);
            continue;
        }
        bool canBeAdded = true;
        std::string section;
        if (OnSkinItem)
            OnSkinItem(child, canBeAdded, section);
        if (!canBeAdded) {
            // Left to itself; what it holds is asked about on its own.
        } else if (auto* label = dynamic_cast<TLabel*>(child);
                   label != nullptr && child->ClassName() == TLabel::StaticClassName)
            AdaptLabel(*label);
        else if (auto* win = dynamic_cast<TWinControl*>(child))
            AddNewItem(*win, section);
        if (auto* win = dynamic_cast<TWinControl*>(child))
            AddChildren(*win);
    }
}

void TacCtrlAdapter::AddAllItems(TWinControl& container) {
    TsSkinManager* manager = Manager();
    if (manager == nullptr || (manager->SkinningRules & srThirdParty) == 0 || walking_)
        return;
    walking_ = true;
    CleanItems();
    AddChildren(container);
    walking_ = false;
}

void TacCtrlAdapter::CleanItems() {
    // Items stay while their control can still be adapted: a window destroyed and made
    // again is adapted anew by the item's watcher. Items whose control went away, or has
    // its window and no window adapter, are dropped (the walk adds back what it finds).
    auto gone = [this](const std::unique_ptr<TacAdapterItem>& item) {
        if (item->Control() == nullptr)
            return true;
        if (!item->Unadaptable())
            return false;
        item->Control()->RemoveFreeNotification(this);
        return true;
    };
    items_.erase(std::remove_if(items_.begin(), items_.end(), gone), items_.end());
}

void TacCtrlAdapter::RemoveAllItems() {
    if (walking_)
        return;
    walking_ = true;
    for (const auto& item : items_)
        if (item->Control() != nullptr)
            item->Control()->RemoveFreeNotification(this);
    items_.clear();
    RestoreLabels();
    walking_ = false;
}

void TacCtrlAdapter::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [component](const auto& item) { return item->Control() == component; }),
                 items_.end());
    labels_.erase(std::remove_if(labels_.begin(), labels_.end(),
                                 [component](const TSavedLabel& s) { return s.Label == component; }),
                  labels_.end());
}

// --- TacFormSkinOwner ----------------------------------------------------------------------------

TacFormSkinOwner::TacFormSkinOwner(TWinControl& form, TsSkinManager* manager)
    : form_(form), manager_(manager), adapter_(std::make_unique<TacCtrlAdapter>(manager)) {
    hook_ = form.HookWindowProc([this](TMessage& message, const TWndNext& next) { Watch(message, next); });
    if (Active())
        adapter_->AddAllItems(form_);
}

TacFormSkinOwner::~TacFormSkinOwner() {
    hook_.Unhook();
    adapter_.reset();
}

bool TacFormSkinOwner::Active() const {
    TsSkinManager* manager = adapter_->Manager();
    return manager != nullptr && manager->Active();
}

TColor TacFormSkinOwner::FormColor() const {
    TsSkinManager* manager = adapter_->Manager();
    const std::int32_t index = manager->Model().SectionIndexOf("FORM");
    if (manager->Model().HasSection(index))
        return static_cast<TColor>(manager->Model().GeneralData[static_cast<std::size_t>(index)].StateProps[0].Color);
    return static_cast<TColor>(manager->SkinBackColor());
}

void TacFormSkinOwner::RenderFace() {
    const RECT client = form_.ClientRect();
    if (!face_)
        face_ = CreateBitmap32(0, 0);
    if (face_->Width() != client.right || face_->Height() != client.bottom)
        face_->SetSize(std::max<int>(0, client.right), std::max<int>(0, client.bottom));
    if (face_->Width() <= 0 || face_->Height() <= 0)
        return;
    TsSkinManager* manager = adapter_->Manager();
    const TsSkinModel& model = manager->Model();
    const std::int32_t index = model.SectionIndexOf("FORM");
    const TacRect rect{0, 0, face_->Width(), face_->Height()};
    const TColor color = FormColor();
    FillPixels(face_->Pixels(), rect, ColorToPixelOrder(PaintColorToRGB(color)), 0xFF);
    if (model.HasSection(index))
        PaintSectionBackground(face_->Pixels(), rect, &model, index, "FORM", 0, ColorBackdrop(color), 0, 0);
}

void TacFormSkinOwner::Watch(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        const WORD code = SkinCommandCode(message.WParam);
        if (code == scQueryBackdrop && Active() && message.LParam != 0) {
            auto& query = *reinterpret_cast<TBackdropQuery*>(message.LParam);
            if (!face_ || face_->Width() != form_.ClientWidth() || face_->Height() != form_.ClientHeight())
                RenderFace();
            if (face_->Width() > 0 && face_->Height() > 0) {
                query.Kind = bqBitmap;
                query.Bitmap = face_.get();
                query.OffsetX = 0;
                query.OffsetY = 0;
            } else {
                query.Kind = bqColor;
                query.Color = FormColor();
            }
            return;
        }
        if (code == scQueryColor && Active()) {
            message.Result = static_cast<LRESULT>(FormColor());
            return;
        }
        if (code == scAdaptControl && Active()) {
            if (auto* control = reinterpret_cast<TWinControl*>(message.LParam))
                adapter_->AddNewItem(*control);
            return;
        }
        next(message);
        if (code == scNewSkin || code == scRefresh) {
            face_.reset();
            adapter_->AddAllItems(form_);
        } else if (code == scRemoveSkin) {
            face_.reset();
            adapter_->RestoreLabels();
        } else {
            // Questions (busy, skinned...) change nothing: a redraw here would make every
            // child that asks while painting paint again, for ever.
            return;
        }
        if (form_.HandleAllocated())
            ::RedrawWindow(form_.HandleIfAllocated(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    }
    if (message.Msg == WM_ERASEBKGND && Active() && message.WParam != 0) {
        RenderFace();
        if (face_->Width() > 0 && face_->Height() > 0)
            ::BitBlt(reinterpret_cast<HDC>(message.WParam), 0, 0, face_->Width(), face_->Height(),
                     face_->Canvas().Handle(), 0, 0, SRCCOPY);
        message.Result = 1;
        return;
    }
    if (message.Msg == WM_SIZE)
        face_.reset();
    next(message);
    // Windows created after start-up (pages shown for the first time) are announced to
    // every ancestor; their controls are adapted as soon as the window exists.
    if (message.Msg == WM_PARENTNOTIFY && LOWORD(message.WParam) == WM_CREATE && Active()) {
        if (TWinControl* child = TWinControl::FindControl(reinterpret_cast<HWND>(message.LParam));
            child != nullptr && IsAdaptable(*child))
            adapter_->AddNewItem(*child);
    }
}

bool TacFormSkinOwner::IsAdaptable(TWinControl& control) const {
    return adapter_->IsControlSupported(control) && control.ClassName() != TLabel::StaticClassName;
}

} // namespace sj
