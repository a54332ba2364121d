// The text form of stored form descriptions: values of every kind, nesting, and
// the errors for malformed text.
#include "forms/FormText.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

const TPropEntry& Prop(const TFormNode& node, const std::string& name) {
    for (const TPropEntry& entry : node.properties) {
        if (entry.name == name)
            return entry;
    }
    throw std::runtime_error("no property " + name);
}

TEST(FormText, ObjectTreeAndPropertyOrder) {
    const TFormNode root = ParseFormText("object FormMain: TFormMain\n"
                                         "  Left = 325\n"
                                         "  Top = 135\n"
                                         "  Font.Name = 'Tahoma'\n"
                                         "  object PageControl1: TPageControl\n"
                                         "    object TabSheet1: TTabSheet\n"
                                         "    end\n"
                                         "  end\n"
                                         "  object OpenDialog: TOpenDialog\n"
                                         "  end\n"
                                         "end\n");
    EXPECT_EQ(root.name, "FormMain");
    EXPECT_EQ(root.className, "TFormMain");
    ASSERT_EQ(root.properties.size(), 3u);
    EXPECT_EQ(root.properties[0].name, "Left");
    EXPECT_EQ(root.properties[2].name, "Font.Name");
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].children.at(0).className, "TTabSheet");
    EXPECT_EQ(root.children[1].line, 9);
}

TEST(FormText, StringsWithQuotesCharCodesAndContinuations) {
    const TFormNode root = ParseFormText("object A: TA\n"
                                         "  S1 = 'It''s'\n"
                                         "  S2 = 'a'#39'b'#13#10'c'\n"
                                         "  S3 = 'first ' +\n"
                                         "    'second'\n"
                                         "  S4 = ''\n"
                                         "  S5 = #$41#66\n"
                                         "end");
    EXPECT_EQ(Prop(root, "S1").value.text, "It's");
    EXPECT_EQ(Prop(root, "S2").value.text, "a'b\r\nc");
    EXPECT_EQ(Prop(root, "S3").value.text, "first second");
    EXPECT_EQ(Prop(root, "S4").value.kind, TValueKind::vaString);
    EXPECT_EQ(Prop(root, "S4").value.text, "");
    EXPECT_EQ(Prop(root, "S5").value.text, "AB");
}

TEST(FormText, NumbersIdentifiersAndSets) {
    const TFormNode root = ParseFormText("object A: TA\n"
                                         "  H = -11\n"
                                         "  C = $00FF00FF\n"
                                         "  S = $FF00000F\n"
                                         "  R = 1.000000000000000000\n"
                                         "  E = -2.5E-3\n"
                                         "  Color = clBtnFace\n"
                                         "  OnClick = btnStartClick\n"
                                         "  Rules = [srThirdParty]\n"
                                         "  Style = [fsBold, fsUnderline]\n"
                                         "  Empty = []\n"
                                         "end");
    EXPECT_EQ(Prop(root, "H").value.integer, -11);
    EXPECT_EQ(Prop(root, "C").value.integer, 0x00FF00FF);
    EXPECT_EQ(Prop(root, "S").value.integer, 0xFF00000FLL);
    EXPECT_EQ(Prop(root, "R").value.kind, TValueKind::vaReal);
    EXPECT_DOUBLE_EQ(Prop(root, "R").value.real, 1.0);
    EXPECT_DOUBLE_EQ(Prop(root, "E").value.real, -0.0025);
    EXPECT_EQ(Prop(root, "Color").value.kind, TValueKind::vaIdent);
    EXPECT_EQ(Prop(root, "OnClick").value.text, "btnStartClick");
    EXPECT_EQ(Prop(root, "Rules").value.set, std::vector<std::string>{"srThirdParty"});
    EXPECT_EQ(Prop(root, "Style").value.set, (std::vector<std::string>{"fsBold", "fsUnderline"}));
    EXPECT_TRUE(Prop(root, "Empty").value.set.empty());
}

TEST(FormText, ListsCollectionsAndBinaryData) {
    const TFormNode root = ParseFormText("object A: TA\n"
                                         "  Lines.Strings = (\n"
                                         "    'TEdit'\n"
                                         "    'TMemo')\n"
                                         "  Items = <\n"
                                         "    item\n"
                                         "      Name = 'Zest'\n"
                                         "      Data = {@SKIN_ZEST}\n"
                                         "    end\n"
                                         "    item\n"
                                         "      Name = 'Two'\n"
                                         "      Data = {\n"
                                         "        00FF 10\n"
                                         "        ab}\n"
                                         "    end>\n"
                                         "  None = <>\n"
                                         "end");
    const TPropValue& lines = Prop(root, "Lines.Strings").value;
    ASSERT_EQ(lines.list.size(), 2u);
    EXPECT_EQ(lines.list[1].text, "TMemo");
    const TPropValue& items = Prop(root, "Items").value;
    ASSERT_EQ(items.items.size(), 2u);
    EXPECT_EQ(items.items[0][1].value.resourceName, "SKIN_ZEST");
    EXPECT_EQ(items.items[1][1].value.bytes, (std::vector<std::uint8_t>{0x00, 0xFF, 0x10, 0xAB}));
    EXPECT_TRUE(Prop(root, "None").value.items.empty());
}

TEST(FormText, MalformedTextNamesTheLine) {
    auto errorOf = [](const char* text) -> std::string {
        try {
            ParseFormText(text);
        } catch (const EParserError& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(errorOf("object A: TA\n  Caption = 'open\nend"), "Line 2: Unterminated string");
    EXPECT_EQ(errorOf("object A: TA\n  Left = ?\nend"), "Line 2: Invalid character '?'");
    EXPECT_EQ(errorOf("object A: TA\n  Left = 12px\nend"), "Line 2: Invalid number");
    EXPECT_EQ(errorOf("object A: TA\n  Left = 1\n"), "Line 3: 'end' expected");
    EXPECT_EQ(errorOf("object A: TA\nend\nend"), "Line 3: Text after the end of the root object");
    EXPECT_EQ(errorOf("object A: TA\n  D = {0F1}\nend"), "Line 2: Odd number of hexadecimal digits");
    EXPECT_EQ(errorOf("object A: TA\n  C = #300\nend"), "Line 2: Character code out of range");
    EXPECT_EQ(errorOf("object A: TA\n  N = 99999999999999999999\nend"), "Line 2: Number out of range");
    // A hexadecimal word beyond the largest 64-bit number has no negative.
    EXPECT_EQ(errorOf("object A: TA\n  N = -$8000000000000000\nend"), "Line 2: Number out of range");
    EXPECT_EQ(ParseFormText("object A: TA\n  N = -$7FFFFFFFFFFFFFFF\nend").properties[0].value.integer,
              -0x7FFFFFFFFFFFFFFFLL);
    EXPECT_EQ(errorOf("thing A: TA\nend"), "Line 1: 'object' expected");
}

TEST(FormText, FormattedTextReadsBackTheSame) {
    const char* text = "object FormMain: TFormMain\n"
                       "  Caption = 'It''s'#13#10'two'\n"
                       "  Scale = 1.5\n"
                       "  Color = $FF00000F\n"
                       "  Style = [fsBold, fsItalic]\n"
                       "  Lines = (\n"
                       "    'a'\n"
                       "    'b')\n"
                       "  Items = <\n"
                       "    item\n"
                       "      Data = {0102FF}\n"
                       "    end\n"
                       "    item\n"
                       "      Data = {@RES}\n"
                       "    end>\n"
                       "  object Edit1: TEdit\n"
                       "    Text = ''\n"
                       "  end\n"
                       "end\n";
    const TFormNode first = ParseFormText(text);
    const std::string formatted = FormatFormText(first);
    const TFormNode second = ParseFormText(formatted);
    EXPECT_EQ(FormatFormText(second), formatted);
    EXPECT_EQ(Prop(second, "Caption").value.text, "It's\r\ntwo");
    EXPECT_DOUBLE_EQ(Prop(second, "Scale").value.real, 1.5);
    EXPECT_EQ(Prop(second, "Items").value.items[0][0].value.bytes, (std::vector<std::uint8_t>{1, 2, 0xFF}));
    EXPECT_EQ(second.children.at(0).name, "Edit1");
}

} // namespace
} // namespace sj
