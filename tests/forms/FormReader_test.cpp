// Reading descriptions into component trees: class and property registries,
// loading state, Loaded order, handlers by name, binary resources and errors.
#include "forms/FormReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sj {
namespace {

std::vector<std::string>* gLog = nullptr;

class TWidget : public TComponent {
    SJ_CLASS(TWidget, TComponent)

public:
    using TComponent::TComponent;
    void SetParentComponent(TComponent* parent) override { parentComponent = parent; }
    void Loaded() override {
        TComponent::Loaded();
        if (gLog != nullptr)
            gLog->push_back("Loaded " + Name());
    }

    TComponent* parentComponent = nullptr;
    int left = 0;
    double value = 0;
    std::string caption;
    std::string section;
    std::uint32_t color = 0;
    unsigned style = 0;
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> items;
    TNotifyEvent onClick;
    bool wasReadingWhenSet = false;
};

class TSpecialWidget : public TWidget {
    SJ_CLASS(TSpecialWidget, TWidget)

public:
    using TWidget::TWidget;
    bool special = false;
};

class TTestRoot : public TComponent {
    SJ_CLASS(TTestRoot, TComponent)

public:
    explicit TTestRoot(TComponent* owner) : TComponent(owner) {
        BindField("Button", button);
        PublishMethod("ButtonClick", &TTestRoot::ButtonClick);
        PublishMethod("WrongShape", &TTestRoot::WrongShape);
    }
    void ButtonClick(TObject* sender) { clickedBy = sender; }
    void WrongShape(int) {}
    void Loaded() override {
        TComponent::Loaded();
        if (gLog != nullptr)
            gLog->push_back("Loaded root");
    }

    TWidget* button = nullptr;
    TObject* clickedBy = nullptr;
};

class FormReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterComponentClass<TWidget>();
        RegisterComponentClass<TSpecialWidget>();
        RegisterProperty<TWidget>("Left", [](TWidget& w, const TPropValue& v, TReadContext&) {
            w.left = AsInt(v);
            w.wasReadingWhenSet = w.HasState(csReading) && w.HasState(csLoading);
        });
        RegisterProperty<TWidget>("Value", [](TWidget& w, const TPropValue& v, TReadContext&) { w.value = AsReal(v); });
        RegisterProperty<TWidget>("Caption",
                                  [](TWidget& w, const TPropValue& v, TReadContext&) { w.caption = AsString(v); });
        RegisterProperty<TWidget>("SkinData.SkinSection",
                                  [](TWidget& w, const TPropValue& v, TReadContext&) { w.section = AsString(v); });
        RegisterProperty<TWidget>("Color", [](TWidget& w, const TPropValue& v, TReadContext&) { w.color = AsColor(v); });
        RegisterProperty<TWidget>("Style", [](TWidget& w, const TPropValue& v, TReadContext&) {
            w.style = AsSetOf<unsigned>(v, {{"fsBold", 1u}, {"fsItalic", 2u}, {"fsUnderline", 4u}});
        });
        RegisterProperty<TWidget>("Lines", [](TWidget& w, const TPropValue& v, TReadContext&) { w.lines = AsStrings(v); });
        RegisterProperty<TWidget>("Items", [](TWidget& w, const TPropValue& v, TReadContext&) {
            for (const auto& item : v.items)
                w.items.emplace_back(AsString(item.at(0).value), AsBinary(item.at(1).value));
        });
        RegisterProperty<TWidget>("OnClick", [](TWidget& w, const TPropValue& v, TReadContext& context) {
            w.onClick = context.Event<TNotifyEvent>(v);
        });
        RegisterProperty<TSpecialWidget>("Special",
                                         [](TSpecialWidget& w, const TPropValue& v, TReadContext&) { w.special = AsBoolean(v); });
    }
    void SetUp() override { gLog = &log; }
    void TearDown() override { gLog = nullptr; }

    std::vector<std::string> log;
};

TEST_F(FormReaderTest, BuildsTheTreeWithPropertiesParentsAndFields) {
    TTestRoot root(nullptr);
    TFormReader reader(root);
    reader.ReadText("object Root: TTestRoot\n"
                    "  Tag = 7\n"
                    "  object Panel: TWidget\n"
                    "    Left = 8\n"
                    "    Color = clBtnFace\n"
                    "    object Button: TSpecialWidget\n"
                    "      Left = 16\n"
                    "      Value = 1.44\n"
                    "      Caption = 'Start'\n"
                    "      SkinData.SkinSection = 'BUTTON'\n"
                    "      Style = [fsBold, fsUnderline]\n"
                    "      Special = True\n"
                    "      Lines = (\n"
                    "        'TEdit'\n"
                    "        'TMemo')\n"
                    "      OnClick = ButtonClick\n"
                    "    end\n"
                    "  end\n"
                    "end\n");
    EXPECT_EQ(root.Name(), "Root");
    EXPECT_EQ(root.Tag(), 7);
    ASSERT_EQ(root.ComponentCount(), 2) << "the root owns every component of the description";
    auto* panel = root.FindComponentOf<TWidget>("Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->color, 0xFF00000Fu);
    EXPECT_EQ(panel->parentComponent, &root);
    ASSERT_NE(root.button, nullptr) << "the field named like the component is bound";
    EXPECT_EQ(root.button->parentComponent, panel);
    EXPECT_EQ(root.button->left, 16);
    EXPECT_DOUBLE_EQ(root.button->value, 1.44);
    EXPECT_EQ(root.button->section, "BUTTON");
    EXPECT_EQ(root.button->style, 5u);
    EXPECT_EQ(root.button->lines, (std::vector<std::string>{"TEdit", "TMemo"}));
    EXPECT_TRUE(static_cast<TSpecialWidget*>(root.button)->special);
    ASSERT_TRUE(root.button->onClick);
    root.button->onClick(root.button);
    EXPECT_EQ(root.clickedBy, root.button);
}

TEST_F(FormReaderTest, ComponentsAreLoadingWhileReadAndLoadedRunsAfterwardsInOrder) {
    TTestRoot root(nullptr);
    TFormReader(root).ReadText("object Root: TTestRoot\n"
                               "  object A: TWidget\n"
                               "    Left = 1\n"
                               "    object B: TWidget\n"
                               "      Left = 2\n"
                               "    end\n"
                               "  end\n"
                               "  object C: TWidget\n"
                               "  end\n"
                               "end\n");
    EXPECT_EQ(log, (std::vector<std::string>{"Loaded root", "Loaded A", "Loaded B", "Loaded C"}));
    auto* a = root.FindComponentOf<TWidget>("A");
    auto* b = root.FindComponentOf<TWidget>("B");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(a->wasReadingWhenSet);
    EXPECT_TRUE(b->wasReadingWhenSet);
    for (int i = 0; i < root.ComponentCount(); ++i)
        EXPECT_EQ(root.Components(i)->ComponentState() & (csLoading | csReading), 0u);
    EXPECT_FALSE(root.HasState(csLoading));
}

TEST_F(FormReaderTest, BinaryPropertiesComeInlineOrFromNamedResources) {
    TTestRoot root(nullptr);
    std::vector<std::string> asked;
    TFormReader reader(root, [&](const std::string& name) {
        asked.push_back(name);
        return std::vector<std::uint8_t>{9, 8, 7};
    });
    reader.ReadText("object Root: TTestRoot\n"
                    "  object Skins: TWidget\n"
                    "    Items = <\n"
                    "      item\n"
                    "        Name = 'Inline'\n"
                    "        Data = {CAFE}\n"
                    "      end\n"
                    "      item\n"
                    "        Name = 'Stored'\n"
                    "        Data = {@SKIN_ZEST}\n"
                    "      end>\n"
                    "  end\n"
                    "end\n");
    auto* skins = root.FindComponentOf<TWidget>("Skins");
    ASSERT_NE(skins, nullptr);
    ASSERT_EQ(skins->items.size(), 2u);
    EXPECT_EQ(skins->items[0].second, (std::vector<std::uint8_t>{0xCA, 0xFE}));
    EXPECT_EQ(skins->items[1].second, (std::vector<std::uint8_t>{9, 8, 7}));
    EXPECT_EQ(asked, std::vector<std::string>{"SKIN_ZEST"});
}

TEST_F(FormReaderTest, ErrorsNameTheComponentAndProperty) {
    auto errorOf = [](const char* text) -> std::string {
        TTestRoot root(nullptr);
        try {
            TFormReader(root).ReadText(text);
        } catch (const EReadError& error) {
            EXPECT_FALSE(root.HasState(csLoading)) << "a failed read leaves nothing in the loading state";
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n    Width = 3\n  end\nend"),
              "Error reading W.Width: Property Width does not exist");
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n    Left = 'x'\n  end\nend"),
              "Error reading W.Left (line 3): Invalid property value");
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n    Special = True\n  end\nend"),
              "Error reading W.Special: Property Special does not exist")
        << "a descendant's property is not offered to its ancestor";
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TNoSuchClass\n  end\nend"),
              "Line 2: Class TNoSuchClass not found");
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n    OnClick = Missing\n  end\nend"),
              "Error reading W.OnClick (line 3): Method Missing not found");
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n    OnClick = WrongShape\n  end\nend"),
              "Error reading W.OnClick (line 3): Method WrongShape has the wrong signature");
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n  end\n  object W: TWidget\n  end\nend"),
              "Line 4: A component named W already exists");
    EXPECT_EQ(errorOf("object R: TTestRoot\n  object W: TWidget\n    Items = <\n  item\n  Name = 'x'\n"
                      "  Data = {@GONE}\n  end>\n  end\nend"),
              "Error reading W.Items (line 3): Resource GONE not found");
}

TEST_F(FormReaderTest, ExistingComponentsAreReusedNotDuplicated) {
    TTestRoot root(nullptr);
    auto* made = new TWidget(&root);
    made->SetName("Button");
    TFormReader(root).ReadText("object Root: TTestRoot\n  object Button: TWidget\n    Left = 5\n  end\nend\n");
    EXPECT_EQ(root.ComponentCount(), 1);
    EXPECT_EQ(made->left, 5);
    EXPECT_EQ(root.button, made);
}

class TLinked : public TComponent {
    SJ_CLASS(TLinked, TComponent)

public:
    using TComponent::TComponent;
    void SetTarget(TWidget* value) {
        target = value;
        seenWhileLoading = HasState(csLoading);
    }
    TWidget* target = nullptr;
    bool seenWhileLoading = false;
};

TEST_F(FormReaderTest, ReferencesResolveOnceEveryComponentExists) {
    RegisterComponentClass<TLinked>();
    RegisterReferenceProperty<TLinked, TWidget>("Target", &TLinked::SetTarget);
    TTestRoot root(nullptr);
    TFormReader(root).ReadText("object Root: TTestRoot\n"
                               "  object Link: TLinked\n"
                               "    Target = Later\n"
                               "  end\n"
                               "  object Later: TWidget\n"
                               "  end\n"
                               "end\n");
    auto* link = root.FindComponentOf<TLinked>("Link");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->target, root.FindComponent("Later")) << "a component stored further down";
    EXPECT_TRUE(link->seenWhileLoading) << "resolved before Loaded";

    TTestRoot other(nullptr);
    EXPECT_THROW(TFormReader(other).ReadText("object Root: TTestRoot\n"
                                             "  object Link: TLinked\n"
                                             "    Target = Nowhere\n"
                                             "  end\n"
                                             "end\n"),
                 EReadError);
    TTestRoot wrong(nullptr);
    EXPECT_THROW(TFormReader(wrong).ReadText("object Root: TTestRoot\n"
                                             "  object Link: TLinked\n"
                                             "    Target = Other\n"
                                             "  end\n"
                                             "  object Other: TLinked\n"
                                             "  end\n"
                                             "end\n"),
                 EReadError)
        << "a reference to a component of the wrong class";
}

TEST(FormReaderValues, ColoursByNameOrNumber) {
    TPropValue value;
    value.kind = TValueKind::vaIdent;
    value.text = "clWindowText";
    EXPECT_EQ(AsColor(value), 0xFF000008u);
    value.text = "clnone";
    EXPECT_EQ(AsColor(value), 0x1FFFFFFFu);
    value.text = "clNoSuchColour";
    EXPECT_THROW(AsColor(value), EReadError);
    value.kind = TValueKind::vaInteger;
    value.integer = 0x00FF00FF;
    EXPECT_EQ(AsColor(value), 0x00FF00FFu);
    value.integer = 0x1FFFFFFFFLL;
    EXPECT_THROW(AsColor(value), EReadError);
}

} // namespace
} // namespace sj
