// The text form of a stored form description: a tree of objects, each with its
// properties in stored order and its child objects.
//
//   object FormMain: TFormMain
//     Caption = 'Split'#39's title'
//     Font.Height = -11
//     Font.Style = [fsBold]
//     Items = <
//       item
//         Name = 'Zest'
//         Data = {@SKIN_ZEST}
//       end>
//     object EditFile: TEdit
//       Left = 16
//     end
//   end
//
// Values: integers (decimal or $hex), reals (with '.' or an exponent), strings
// ('...' with '' for a quote, #nn for any byte, pieces joined directly or with
// '+'), identifiers (True, clBtnFace, handler names), sets [a, b], lists ( ... ),
// collections < item ... end ... >, binary data {hex} or {@RESOURCE} naming a
// separate binary resource. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace sj {

// A description that does not follow the grammar; the message names the line.
class EParserError : public Exception {
public:
    using Exception::Exception;
};

enum class TValueKind { vaInteger, vaReal, vaString, vaIdent, vaSet, vaList, vaCollection, vaBinary };

struct TPropEntry;

struct TPropValue {
    TValueKind kind = TValueKind::vaInteger;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text; // string or identifier
    std::vector<std::string> set;
    std::vector<TPropValue> list;
    std::vector<std::vector<TPropEntry>> items; // collection items, each a property list
    std::vector<std::uint8_t> bytes;
    std::string resourceName; // binary data held in a separate resource
    int line = 0;
};

struct TPropEntry {
    std::string name; // possibly dotted: Font.Name, SkinData.SkinSection
    TPropValue value;
    int line = 0;
};

struct TFormNode {
    std::string name;
    std::string className;
    bool inherited = false;
    std::vector<TPropEntry> properties;
    std::vector<TFormNode> children;
    int line = 0;
};

TFormNode ParseFormText(std::string_view text);

// Writes a node back in the same text form (used to store generated forms and
// to check that reading keeps every value).
std::string FormatFormText(const TFormNode& node);

// Readable text of a value kind for messages.
std::string_view ValueKindName(TValueKind kind);

} // namespace sj
