#include "forms/FormText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "forms/Classes.h"

namespace sj {

namespace {

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsIdentChar(char c) {
    return IsIdentStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class TParser {
public:
    explicit TParser(std::string_view text) : text_(text) {}

    TFormNode ParseRoot() {
        SkipBlanks();
        TFormNode root = ParseObject();
        SkipBlanks();
        if (!AtEnd())
            Fail("Text after the end of the root object");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EParserError("Line " + std::to_string(line_) + ": " + what);
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

    char Next() {
        char c = text_[pos_++];
        if (c == '\n')
            ++line_;
        return c;
    }

    // Blanks include line ends and // comments (for hand-written descriptions).
    void SkipBlanks() {
        while (!AtEnd()) {
            char c = Peek();
            if (c == '/' && Peek(1) == '/') {
                while (!AtEnd() && Peek() != '\n')
                    Next();
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                Next();
            } else {
                break;
            }
        }
    }

    std::string ReadIdent(bool allowDots) {
        SkipBlanks();
        if (!IsIdentStart(Peek()))
            Fail("Identifier expected");
        size_t start = pos_;
        while (!AtEnd() && (IsIdentChar(Peek()) || (allowDots && Peek() == '.' && IsIdentStart(Peek(1)))))
            Next();
        return std::string(text_.substr(start, pos_ - start));
    }

    void Expect(char c) {
        SkipBlanks();
        if (Peek() != c)
            Fail(std::string("'") + c + "' expected");
        Next();
    }

    bool NextWordIs(std::string_view word) {
        SkipBlanks();
        if (text_.size() - pos_ < word.size() || !SameText(text_.substr(pos_, word.size()), word))
            return false;
        return !IsIdentChar(Peek(word.size()));
    }

    void ExpectWord(std::string_view word) {
        if (!NextWordIs(word))
            Fail("'" + std::string(word) + "' expected");
        pos_ += word.size();
    }

    TFormNode ParseObject() {
        TFormNode node;
        node.line = line_;
        if (NextWordIs("inherited")) {
            node.inherited = true;
            pos_ += 9;
        } else if (NextWordIs("object")) {
            pos_ += 6;
        } else if (NextWordIs("inline")) {
            pos_ += 6;
        } else {
            Fail("'object' expected");
        }
        std::string first = ReadIdent(false);
        SkipBlanks();
        if (Peek() == ':') {
            Next();
            node.name = first;
            node.className = ReadIdent(false);
        } else {
            node.className = first;
        }
        while (true) {
            SkipBlanks();
            if (AtEnd())
                Fail("'end' expected");
            if (NextWordIs("end")) {
                pos_ += 3;
                return node;
            }
            if (NextWordIs("object") || NextWordIs("inherited") || NextWordIs("inline")) {
                node.children.push_back(ParseObject());
                continue;
            }
            if (!node.children.empty())
                Fail("Property after the child objects");
            node.properties.push_back(ParseProperty());
        }
    }

    TPropEntry ParseProperty() {
        TPropEntry entry;
        entry.line = line_;
        entry.name = ReadIdent(true);
        Expect('=');
        entry.value = ParseValue();
        return entry;
    }

    TPropValue ParseValue() {
        SkipBlanks();
        TPropValue value;
        value.line = line_;
        char c = Peek();
        if (c == '\'' || c == '#') {
            value.kind = TValueKind::vaString;
            value.text = ParseString();
        } else if (c == '-' || c == '+' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
            ParseNumber(value);
        } else if (c == '[') {
            value.kind = TValueKind::vaSet;
            ParseSet(value);
        } else if (c == '(') {
            value.kind = TValueKind::vaList;
            ParseList(value);
        } else if (c == '<') {
            value.kind = TValueKind::vaCollection;
            ParseCollection(value);
        } else if (c == '{') {
            value.kind = TValueKind::vaBinary;
            ParseBinary(value);
        } else if (IsIdentStart(c)) {
            value.kind = TValueKind::vaIdent;
            value.text = ReadIdent(true);
        } else if (AtEnd()) {
            Fail("Value expected");
        } else {
            Fail(std::string("Invalid character '") + c + "'");
        }
        return value;
    }

    std::string ParseString() {
        std::string result;
        while (true) {
            bool any = false;
            while (Peek() == '\'' || Peek() == '#') {
                any = true;
                if (Peek() == '\'')
                    ReadQuoted(result);
                else
                    ReadCharCode(result);
            }
            if (!any)
                Fail("String expected");
            // A '+' continues the string with another piece, usually on the next line.
            size_t savePos = pos_;
            int saveLine = line_;
            SkipBlanks();
            if (Peek() == '+') {
                Next();
                SkipBlanks();
                continue;
            }
            pos_ = savePos;
            line_ = saveLine;
            return result;
        }
    }

    void ReadQuoted(std::string& out) {
        Next(); // opening quote
        while (true) {
            if (AtEnd() || Peek() == '\n' || Peek() == '\r')
                Fail("Unterminated string");
            char c = Next();
            if (c == '\'') {
                if (Peek() == '\'') {
                    Next();
                    out += '\'';
                    continue;
                }
                return;
            }
            out += c;
        }
    }

    void ReadCharCode(std::string& out) {
        Next(); // '#'
        long code = 0;
        bool any = false;
        if (Peek() == '$') {
            Next();
            while (HexDigit(Peek()) >= 0) {
                code = code * 16 + HexDigit(Next());
                any = true;
                if (code > 255)
                    Fail("Character code out of range");
            }
        } else {
            while (std::isdigit(static_cast<unsigned char>(Peek()))) {
                code = code * 10 + (Next() - '0');
                any = true;
                if (code > 255)
                    Fail("Character code out of range");
            }
        }
        if (!any)
            Fail("Character code expected");
        out += static_cast<char>(static_cast<unsigned char>(code));
    }

    void ParseNumber(TPropValue& value) {
        bool negative = false;
        if (Peek() == '-' || Peek() == '+') {
            negative = Next() == '-';
        }
        if (Peek() == '$') {
            Next();
            std::uint64_t number = 0;
            int digits = 0;
            while (HexDigit(Peek()) >= 0) {
                number = number * 16 + static_cast<std::uint64_t>(HexDigit(Next()));
                if (++digits > 16)
                    Fail("Number out of range");
            }
            if (digits == 0)
                Fail("Hexadecimal digits expected");
            // Colours are written as 32-bit words, so $FF00000F is a positive value.
            // A negated word must still be a number: -$8000000000000000 has no negative.
            if (negative && number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                Fail("Number out of range");
            value.kind = TValueKind::vaInteger;
            auto signedNumber = static_cast<std::int64_t>(number);
            value.integer = negative ? -signedNumber : signedNumber;
            return;
        }
        size_t start = pos_;
        bool real = false;
        while (std::isdigit(static_cast<unsigned char>(Peek())))
            Next();
        if (Peek() == '.' && std::isdigit(static_cast<unsigned char>(Peek(1)))) {
            real = true;
            Next();
            while (std::isdigit(static_cast<unsigned char>(Peek())))
                Next();
        }
        if ((Peek() == 'e' || Peek() == 'E') &&
            (std::isdigit(static_cast<unsigned char>(Peek(1))) ||
             ((Peek(1) == '-' || Peek(1) == '+') && std::isdigit(static_cast<unsigned char>(Peek(2)))))) {
            real = true;
            Next();
            if (Peek() == '-' || Peek() == '+')
                Next();
            while (std::isdigit(static_cast<unsigned char>(Peek())))
                Next();
        }
        std::string digits(text_.substr(start, pos_ - start));
        if (digits.empty())
            Fail("Number expected");
        if (IsIdentChar(Peek()))
            Fail("Invalid number");
        if (real) {
            value.kind = TValueKind::vaReal;
            value.real = std::strtod(digits.c_str(), nullptr);
            if (!std::isfinite(value.real))
                Fail("Number out of range");
            if (negative)
                value.real = -value.real;
        } else {
            std::int64_t number = 0;
            auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (ec != std::errc() || ptr != digits.data() + digits.size())
                Fail("Number out of range");
            value.kind = TValueKind::vaInteger;
            value.integer = negative ? -number : number;
        }
    }

    void ParseSet(TPropValue& value) {
        Next(); // '['
        SkipBlanks();
        if (Peek() == ']') {
            Next();
            return;
        }
        while (true) {
            value.set.push_back(ReadIdent(false));
            SkipBlanks();
            if (Peek() == ']') {
                Next();
                return;
            }
            Expect(',');
        }
    }

    void ParseList(TPropValue& value) {
        Next(); // '('
        while (true) {
            SkipBlanks();
            if (Peek() == ')') {
                Next();
                return;
            }
            if (AtEnd())
                Fail("')' expected");
            value.list.push_back(ParseValue());
        }
    }

    void ParseCollection(TPropValue& value) {
        Next(); // '<'
        while (true) {
            SkipBlanks();
            if (Peek() == '>') {
                Next();
                return;
            }
            ExpectWord("item");
            std::vector<TPropEntry> item;
            while (!NextWordIs("end")) {
                if (AtEnd())
                    Fail("'end' expected");
                item.push_back(ParseProperty());
            }
            pos_ += 3;
            value.items.push_back(std::move(item));
        }
    }

    void ParseBinary(TPropValue& value) {
        Next(); // '{'
        SkipBlanks();
        if (Peek() == '@') {
            Next();
            value.resourceName = ReadIdent(false);
            Expect('}');
            return;
        }
        int high = -1;
        while (true) {
            SkipBlanks();
            if (AtEnd())
                Fail("'}' expected");
            char c = Next();
            if (c == '}')
                break;
            int digit = HexDigit(c);
            if (digit < 0)
                Fail("Invalid binary value");
            if (high < 0) {
                high = digit;
            } else {
                value.bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
                high = -1;
            }
        }
        if (high >= 0)
            Fail("Odd number of hexadecimal digits");
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

void Indent(std::string& out, int depth) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
}

std::string QuoteString(const std::string& text) {
    if (text.empty())
        return "''";
    std::string out;
    bool inQuotes = false;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            if (inQuotes) {
                out += '\'';
                inQuotes = false;
            }
            out += '#' + std::to_string(byte);
            continue;
        }
        if (!inQuotes) {
            out += '\'';
            inQuotes = true;
        }
        out += c;
        if (c == '\'')
            out += '\'';
    }
    if (inQuotes)
        out += '\'';
    return out;
}

void FormatProperties(std::string& out, const std::vector<TPropEntry>& properties, int depth);

void FormatValue(std::string& out, const TPropValue& value, int depth) {
    switch (value.kind) {
    case TValueKind::vaInteger:
        out += std::to_string(value.integer);
        break;
    case TValueKind::vaReal: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
        std::string text = buffer;
        if (text.find_first_of(".eE") == std::string::npos)
            text += ".0";
        out += text;
        break;
    }
    case TValueKind::vaString:
        out += QuoteString(value.text);
        break;
    case TValueKind::vaIdent:
        out += value.text;
        break;
    case TValueKind::vaSet:
        out += '[';
        for (size_t i = 0; i < value.set.size(); ++i)
            out += (i ? ", " : "") + value.set[i];
        out += ']';
        break;
    case TValueKind::vaList:
        out += "(";
        for (const TPropValue& element : value.list) {
            out += '\n';
            Indent(out, depth + 1);
            FormatValue(out, element, depth + 1);
        }
        out += ")";
        break;
    case TValueKind::vaCollection:
        out += "<";
        for (const auto& item : value.items) {
            out += '\n';
            Indent(out, depth + 1);
            out += "item\n";
            FormatProperties(out, item, depth + 2);
            Indent(out, depth + 1);
            out += "end";
        }
        out += ">";
        break;
    case TValueKind::vaBinary:
        if (!value.resourceName.empty()) {
            out += "{@" + value.resourceName + "}";
            break;
        }
        out += "{";
        for (size_t i = 0; i < value.bytes.size(); ++i) {
            if (i % 32 == 0) {
                out += '\n';
                Indent(out, depth + 1);
            }
            static const char digits[] = "0123456789ABCDEF";
            out += digits[value.bytes[i] >> 4];
            out += digits[value.bytes[i] & 15];
        }
        out += "}";
        break;
    }
}

void FormatProperties(std::string& out, const std::vector<TPropEntry>& properties, int depth) {
    for (const TPropEntry& entry : properties) {
        Indent(out, depth);
        out += entry.name + " = ";
        FormatValue(out, entry.value, depth);
        out += '\n';
    }
}

void FormatNode(std::string& out, const TFormNode& node, int depth) {
    Indent(out, depth);
    out += node.inherited ? "inherited " : "object ";
    if (!node.name.empty())
        out += node.name + ": ";
    out += node.className + '\n';
    FormatProperties(out, node.properties, depth + 1);
    for (const TFormNode& child : node.children)
        FormatNode(out, child, depth + 1);
    Indent(out, depth);
    out += "end\n";
}

} // namespace

TFormNode ParseFormText(std::string_view text) {
    return TParser(text).ParseRoot();
}

std::string FormatFormText(const TFormNode& node) {
    std::string out;
    FormatNode(out, node, 0);
    return out;
}

std::string_view ValueKindName(TValueKind kind) {
    switch (kind) {
    case TValueKind::vaInteger:
        return "integer";
    case TValueKind::vaReal:
        return "real number";
    case TValueKind::vaString:
        return "string";
    case TValueKind::vaIdent:
        return "identifier";
    case TValueKind::vaSet:
        return "set";
    case TValueKind::vaList:
        return "list";
    case TValueKind::vaCollection:
        return "collection";
    case TValueKind::vaBinary:
        return "binary data";
    }
    return "value";
}

} // namespace sj
