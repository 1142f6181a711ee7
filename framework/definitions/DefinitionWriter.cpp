#include <charconv>
#include <cmath>

#include "DefinitionReader.h"

namespace {

constexpr int kBinaryLineDigits = 64;

// Shortest text that reads back as the same double, always marked as a real.
QByteArray FormatReal(double real) {
    if (!std::isfinite(real)) {
        throw EDefinitionError({}, 0, 0, {}, QStringLiteral("número real não representável"));
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, real);
    QByteArray text(buffer, result.ptr - buffer);
    if (!text.contains('.') && !text.contains('e')) text += ".0";
    return text;
}

// The #nnn code for a character outside printable ASCII. Codes below 256 are
// read as Windows-1252 bytes, so U+0080 to U+009F can be written only where
// the code page leaves the byte alone; the others become '?'.
uint CodeFor(char32_t code) {
    if (code < 0x80 || code > 0x9F) return uint(code);
    const bool kept = FromWindows1252(QByteArray(1, char(code))).at(0).unicode() == code;
    return kept ? uint(code) : uint('?');
}

// The code point at text[i], advancing i past a surrogate pair.
char32_t CodePointAt(const QString& text, qsizetype& i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        return QChar::surrogateToUcs4(c, text[++i]);
    }
    return c.unicode();
}

QByteArray QuoteString(const QString& text) {
    if (text.isEmpty()) return "''";
    QByteArray out;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char32_t code = CodePointAt(text, i);
        const bool plain = code >= 0x20 && code < 0x7F;
        if (plain != quoted) {
            out += '\'';
            quoted = plain;
        }
        if (code == '\'') {
            out += "''";
        } else if (plain) {
            out += char(code);
        } else {
            out += '#' + QByteArray::number(CodeFor(code));
        }
    }
    if (quoted) out += '\'';
    return out;
}

class Writer {
public:
    QByteArray Take() { return std::move(out_); }
    void WriteObject(const DefinitionObject& object, int indent);

private:
    void NewLine(int indent) {
        out_ += '\n';
        out_ += QByteArray(indent, ' ');
    }
    void WriteProperties(const std::vector<DefinitionProperty>& properties, int indent);
    void WriteValue(const DefinitionValue& value, int indent);
    void WriteList(const DefinitionValue& value, int indent);
    void WriteCollection(const DefinitionValue& value, int indent);
    void WriteBinary(const QByteArray& binary, int indent);

    QByteArray out_;
};

void Writer::WriteObject(const DefinitionObject& object, int indent) {
    out_ += QByteArray(indent, ' ');
    out_ += object.kind == DefinitionObject::Kind::Inherited ? "inherited " : "object ";
    out_ += object.name.toLatin1() + ": " + object.className.toLatin1() + '\n';
    WriteProperties(object.properties, indent + 2);
    for (const DefinitionObject& child : object.children) WriteObject(child, indent + 2);
    out_ += QByteArray(indent, ' ') + "end\n";
}

void Writer::WriteProperties(const std::vector<DefinitionProperty>& properties, int indent) {
    for (const DefinitionProperty& property : properties) {
        out_ += QByteArray(indent, ' ') + property.name.toLatin1() + " = ";
        WriteValue(property.value, indent);
        out_ += '\n';
    }
}

// Writes the value from the current position; lists, collections and binary
// data continue on lines indented one step further.
void Writer::WriteValue(const DefinitionValue& value, int indent) {
    using Kind = DefinitionValue::Kind;
    switch (value.kind) {
        case Kind::Integer:
            out_ += QByteArray::number(value.integer);
            break;
        case Kind::Float:
            out_ += FormatReal(value.real);
            break;
        case Kind::String:
            out_ += QuoteString(value.text);
            break;
        case Kind::Identifier:
            out_ += value.text.toLatin1();
            break;
        case Kind::Set:
            out_ += '[' + value.set.join(QStringLiteral(", ")).toLatin1() + ']';
            break;
        case Kind::List:
            WriteList(value, indent);
            break;
        case Kind::Collection:
            WriteCollection(value, indent);
            break;
        case Kind::Binary:
            WriteBinary(value.binary, indent);
            break;
    }
}

void Writer::WriteList(const DefinitionValue& value, int indent) {
    out_ += '(';
    for (const DefinitionValue& item : value.items) {
        NewLine(indent + 2);
        WriteValue(item, indent + 2);
    }
    out_ += ')';
}

void Writer::WriteCollection(const DefinitionValue& value, int indent) {
    out_ += '<';
    for (const DefinitionValue::Item& item : value.collection) {
        NewLine(indent + 2);
        out_ += "item\n";
        WriteProperties(item.properties, indent + 4);
        out_ += QByteArray(indent + 2, ' ') + "end";
    }
    out_ += '>';
}

void Writer::WriteBinary(const QByteArray& binary, int indent) {
    out_ += '{';
    const QByteArray hex = binary.toHex().toUpper();
    for (qsizetype at = 0; at < hex.size(); at += kBinaryLineDigits) {
        NewLine(indent + 2);
        out_ += hex.mid(at, kBinaryLineDigits);
    }
    out_ += '}';
}

}  // namespace

QByteArray WriteDefinition(const DefinitionObject& root) {
    Writer writer;
    writer.WriteObject(root, 0);
    return writer.Take();
}
