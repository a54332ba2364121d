#include "forms/FormReader.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sj {

TClassRegistry& TClassRegistry::Instance() {
    static TClassRegistry registry = [] {
        TClassRegistry initial;
        initial.RegisterProperty("TComponent", "Tag", [](TComponent& target, const TPropValue& value, TReadContext&) {
            target.SetTag(static_cast<std::intptr_t>(AsInteger(value)));
        });
        return initial;
    }();
    return registry;
}

void TClassRegistry::RegisterComponentClass(const std::string& className, TComponentFactory factory) {
    factories_[className] = std::move(factory);
}

bool TClassRegistry::IsRegistered(std::string_view className) const {
    return factories_.find(className) != factories_.end();
}

TComponent* TClassRegistry::Create(std::string_view className, TComponent* owner) const {
    auto it = factories_.find(className);
    if (it == factories_.end())
        throw EReadError("Class " + std::string(className) + " not found");
    return it->second(owner);
}

void TClassRegistry::RegisterProperty(const std::string& className, const std::string& property,
                                      TPropertySetter setter) {
    properties_[className][property] = std::move(setter);
}

const TPropertySetter* TClassRegistry::FindProperty(const TComponent& component, std::string_view property) const {
    for (std::string_view className : component.ClassChain()) {
        auto table = properties_.find(className);
        if (table == properties_.end())
            continue;
        for (const auto& [name, setter] : table->second) {
            if (SameText(name, property))
                return &setter;
        }
    }
    return nullptr;
}

namespace {

[[noreturn]] void InvalidValue() {
    throw EReadError("Invalid property value");
}

struct TColorName {
    std::string_view name;
    std::uint32_t color;
};

constexpr TColorName kColorNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
    {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuBar", 0xFF00001E},
};

} // namespace

std::int64_t AsInteger(const TPropValue& value) {
    if (value.kind != TValueKind::vaInteger)
        InvalidValue();
    return value.integer;
}

int AsInt(const TPropValue& value) {
    std::int64_t number = AsInteger(value);
    // Unsigned 32-bit words (colours, flags written in hex) are kept bit for bit.
    if (number < std::numeric_limits<int>::min() || number > static_cast<std::int64_t>(0xFFFFFFFFu))
        throw EReadError("Number out of range");
    return static_cast<int>(static_cast<std::uint32_t>(number));
}

double AsReal(const TPropValue& value) {
    if (value.kind == TValueKind::vaReal)
        return value.real;
    if (value.kind == TValueKind::vaInteger)
        return static_cast<double>(value.integer);
    InvalidValue();
}

bool AsBoolean(const TPropValue& value) {
    if (value.kind == TValueKind::vaIdent) {
        if (SameText(value.text, "True"))
            return true;
        if (SameText(value.text, "False"))
            return false;
    }
    InvalidValue();
}

const std::string& AsString(const TPropValue& value) {
    if (value.kind != TValueKind::vaString)
        InvalidValue();
    return value.text;
}

const std::string& AsIdent(const TPropValue& value) {
    if (value.kind != TValueKind::vaIdent)
        InvalidValue();
    return value.text;
}

std::vector<std::string> AsStrings(const TPropValue& value) {
    if (value.kind != TValueKind::vaList)
        InvalidValue();
    std::vector<std::string> lines;
    lines.reserve(value.list.size());
    for (const TPropValue& element : value.list)
        lines.push_back(AsString(element));
    return lines;
}

const std::vector<std::string>& AsSet(const TPropValue& value) {
    if (value.kind != TValueKind::vaSet)
        InvalidValue();
    return value.set;
}

const std::vector<std::uint8_t>& AsBinary(const TPropValue& value) {
    if (value.kind != TValueKind::vaBinary)
        InvalidValue();
    return value.bytes;
}

bool ColorNameToValue(std::string_view ident, std::uint32_t& color) {
    for (const TColorName& entry : kColorNames) {
        if (SameText(entry.name, ident)) {
            color = entry.color;
            return true;
        }
    }
    return false;
}

std::uint32_t AsColor(const TPropValue& value) {
    if (value.kind == TValueKind::vaIdent) {
        std::uint32_t color = 0;
        if (ColorNameToValue(value.text, color))
            return color;
        InvalidValue();
    }
    return static_cast<std::uint32_t>(AsInt(value));
}

TComponent* TReadContext::Reference(const TPropValue& value) const {
    const std::string& name = AsIdent(value);
    if (SameText(name, "nil"))
        return nullptr;
    if (SameText(name, root_.Name()))
        return &root_;
    TComponent* component = root_.FindComponent(name);
    if (component == nullptr)
        throw EReadError("Component " + name + " not found");
    return component;
}

TFormReader::TFormReader(TComponent& root, TBinarySource binarySource)
    : root_(root), binarySource_(std::move(binarySource)), context_(root) {}

void TFormReader::BeginReading(TComponent& component) {
    component.SetState(csLoading, true);
    component.SetState(csReading, true);
    loaded_.push_back(&component);
}

void TFormReader::Read(const TFormNode& node) {
    loaded_.clear();
    try {
        BeginReading(root_);
        context_.deferred_.clear();
        if (!node.name.empty())
            root_.SetName(node.name);
        ReadObject(node, root_);
        auto deferred = std::move(context_.deferred_);
        context_.deferred_.clear();
        for (auto& action : deferred)
            action();
    } catch (...) {
        // The partly read tree stays owned by the root; it just is no longer loading.
        for (TComponent* component : loaded_) {
            component->SetState(csReading, false);
            component->SetState(csLoading, false);
        }
        loaded_.clear();
        throw;
    }
    for (TComponent* component : loaded_)
        component->SetState(csReading, false);
    std::vector<TComponent*> loaded = std::move(loaded_);
    loaded_.clear();
    for (TComponent* component : loaded)
        component->Loaded();
}

void TFormReader::ReadObject(const TFormNode& node, TComponent& component) {
    for (const TPropEntry& entry : node.properties)
        ApplyProperty(component, entry);
    for (const TFormNode& childNode : node.children) {
        TComponent* child = CreateChild(childNode, component);
        ReadObject(childNode, *child);
    }
}

TComponent* TFormReader::CreateChild(const TFormNode& node, TComponent& enclosing) {
    TComponent* child = node.name.empty() ? nullptr : root_.FindComponent(node.name);
    // Only components made before this read (by the root's constructor) are reused;
    // a name given twice in one description is an error.
    if (child != nullptr && std::find(loaded_.begin(), loaded_.end(), child) != loaded_.end())
        throw EReadError("Line " + std::to_string(node.line) + ": A component named " + node.name +
                         " already exists");
    if (child != nullptr && !SameText(child->ClassName(), node.className))
        throw EReadError("Line " + std::to_string(node.line) + ": " + node.name + " is a " +
                         std::string(child->ClassName()) + ", not a " + node.className);
    if (child == nullptr) {
        if (node.inherited)
            throw EReadError("Line " + std::to_string(node.line) + ": inherited component " + node.name +
                             " not found");
        try {
            child = TClassRegistry::Instance().Create(node.className, &root_);
        } catch (const EReadError& error) {
            throw EReadError("Line " + std::to_string(node.line) + ": " + error.what());
        }
        BeginReading(*child);
        try {
            child->SetName(node.name);
        } catch (const Exception& error) {
            delete child;
            loaded_.pop_back();
            throw EReadError("Line " + std::to_string(node.line) + ": " + error.what());
        }
    } else {
        BeginReading(*child);
    }
    child->SetParentComponent(&enclosing);
    root_.AssignField(node.name, child);
    return child;
}

void TFormReader::ApplyProperty(TComponent& component, const TPropEntry& entry) {
    const TPropertySetter* setter = TClassRegistry::Instance().FindProperty(component, entry.name);
    std::string where = component.Name().empty() ? std::string(component.ClassName()) : component.Name();
    if (setter == nullptr)
        throw EReadError("Error reading " + where + "." + entry.name + ": Property " + entry.name +
                         " does not exist");
    TPropValue value = entry.value;
    try {
        ResolveBinaries(value);
        (*setter)(component, value, context_);
    } catch (const Exception& error) {
        throw EReadError("Error reading " + where + "." + entry.name + " (line " + std::to_string(entry.line) +
                         "): " + error.what());
    }
}

void TFormReader::ResolveBinaries(TPropValue& value) const {
    switch (value.kind) {
    case TValueKind::vaBinary:
        if (!value.resourceName.empty()) {
            if (!binarySource_)
                throw EReadError("Resource " + value.resourceName + " not found");
            value.bytes = binarySource_(value.resourceName);
        }
        break;
    case TValueKind::vaList:
        for (TPropValue& element : value.list)
            ResolveBinaries(element);
        break;
    case TValueKind::vaCollection:
        for (auto& item : value.items) {
            for (TPropEntry& entry : item)
                ResolveBinaries(entry.value);
        }
        break;
    default:
        break;
    }
}

} // namespace sj
