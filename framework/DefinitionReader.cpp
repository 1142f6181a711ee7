#include "DefinitionReader.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

namespace {

// Deeper nesting than any real form has; the guard keeps hostile input from
// exhausting the stack.
constexpr int kMaxDepth = 200;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

// Unicode of the Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page
// leaves undefined keep their own value, as Windows converts them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

QChar Cp1252ToChar(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return QChar(kCp1252High[byte - 0x80]);
    return QChar(char16_t(byte));
}

// The byte for one UTF-16 unit, or '?' when the code page lacks it.
char CharToCp1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return char(unit);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == unit) return char(0x80 + i);
    }
    return '?';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c); }
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The value of a digit in the given base (10 or 16), or -1.
int DigitValue(char c, int base) {
    if (IsDigit(c)) return c - '0';
    if (base != 16) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendCodePoint(QString& text, char32_t code) {
    if (code < 256) {
        text += Cp1252ToChar(static_cast<unsigned char>(code));
    } else if (code > 0xFFFF) {
        text += QChar(QChar::highSurrogate(code));
        text += QChar(QChar::lowSurrogate(code));
    } else {
        text += QChar(char16_t(code));  // kept as is, lone surrogates included
    }
}

enum class TokenKind { End, Word, Integer, Float, String, Binary, Symbol };

struct Token {
    TokenKind kind = TokenKind::End;
    char symbol = 0;
    QByteArray word;  // Word: an identifier, possibly dotted
    qlonglong integer = 0;
    double real = 0;
    QString text;  // String: quoted parts and #codes, decoded
    QByteArray binary;
    int line = 1;
    int column = 1;
};

// Splits the text into tokens. Columns count bytes, as the text is
// Windows-1252.
class Scanner {
public:
    Scanner(const QByteArray& text, const QString& source) : text_(text), source_(source) {}

    QStringList path;  // the enclosing components, for messages

    Token Next();
    [[noreturn]] void Fail(int line, int column, const QString& what) const {
        throw EDefinitionError(source_, line, column, path.join(u'.'), what);
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(qsizetype ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    char Get();
    void SkipBlanks();
    void ReadWord(Token& token);
    void ReadNumber(Token& token);
    void ReadReal(Token& token, qsizetype start);
    qlonglong ToInteger(const Token& token, qsizetype from, int base, bool negative) const;
    void ReadString(Token& token);
    void ReadQuoted(QString& text);
    void ReadCode(QString& text);
    void ReadBinary(Token& token);
    [[noreturn]] void Fail(const Token& token, const QString& what) const {
        Fail(token.line, token.column, what);
    }

    const QByteArray& text_;
    QString source_;
    qsizetype pos_ = 0;
    int line_ = 1;
    int column_ = 1;
};

char Scanner::Get() {
    const char c = text_[pos_++];
    // CR LF counts once, at the LF; a lone CR also ends a line.
    if (c == '\n' || (c == '\r' && Peek() != '\n')) {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
    return c;
}

void Scanner::SkipBlanks() {
    while (!AtEnd()) {
        if (IsBlank(Peek())) {
            Get();
        } else if (Peek() == '/' && Peek(1) == '/') {
            while (!AtEnd() && Peek() != '\n' && Peek() != '\r') Get();
        } else {
            return;
        }
    }
}

Token Scanner::Next() {
    SkipBlanks();
    Token token;
    token.line = line_;
    token.column = column_;
    if (AtEnd()) return token;
    const char c = Peek();
    const bool sign = c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$');
    if (IsLetter(c)) {
        ReadWord(token);
    } else if (IsDigit(c) || c == '$' || sign) {
        ReadNumber(token);
    } else if (c == '\'' || c == '#') {
        ReadString(token);
    } else if (c == '{') {
        ReadBinary(token);
    } else if (std::string_view(":=[],()<>+").find(c) != std::string_view::npos) {
        token.kind = TokenKind::Symbol;
        token.symbol = Get();
    } else {
        Fail(token, QStringLiteral("caractere inesperado"));
    }
    return token;
}

void Scanner::ReadWord(Token& token) {
    const qsizetype start = pos_;
    while (IsWordChar(Peek())) Get();
    while (Peek() == '.') {
        Get();
        if (!IsLetter(Peek())) Fail(token, QStringLiteral("identificador inválido"));
        while (IsWordChar(Peek())) Get();
    }
    token.kind = TokenKind::Word;
    token.word = text_.mid(start, pos_ - start);
}

void Scanner::ReadNumber(Token& token) {
    const qsizetype start = pos_;
    const bool negative = Peek() == '-';
    if (negative) Get();
    const int base = Peek() == '$' ? 16 : 10;
    if (base == 16) Get();
    const qsizetype digits = pos_;
    while (DigitValue(Peek(), base) >= 0) Get();
    if (pos_ == digits) Fail(token, QStringLiteral("número inválido"));
    if (base == 10 && (Peek() == '.' || Peek() == 'e' || Peek() == 'E')) {
        ReadReal(token, start);
    } else {
        token.kind = TokenKind::Integer;
        token.integer = ToInteger(token, digits, base, negative);
    }
    if (IsWordChar(Peek()) || Peek() == '.') Fail(token, QStringLiteral("número inválido"));
}

// The fraction and exponent of a real whose whole part has been read.
void Scanner::ReadReal(Token& token, qsizetype start) {
    if (Peek() == '.') {
        Get();
        if (!IsDigit(Peek())) Fail(token, QStringLiteral("número inválido"));
        while (IsDigit(Peek())) Get();
    }
    if (Peek() == 'e' || Peek() == 'E') {
        Get();
        if (Peek() == '+' || Peek() == '-') Get();
        if (!IsDigit(Peek())) Fail(token, QStringLiteral("número inválido"));
        while (IsDigit(Peek())) Get();
    }
    // from_chars ignores the locale, unlike strtod.
    const char* first = text_.constData() + start;
    const char* last = text_.constData() + pos_;
    const auto result = std::from_chars(first, last, token.real);
    if (result.ec != std::errc() || result.ptr != last) {
        Fail(token, QStringLiteral("número fora do intervalo"));
    }
    token.kind = TokenKind::Float;
}

qlonglong Scanner::ToInteger(const Token& token, qsizetype from, int base, bool negative) const {
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    quint64 value = 0;
    for (qsizetype i = from; i < pos_; ++i) {
        const auto digit = quint64(DigitValue(text_[i], base));
        if (value > (limit - digit) / quint64(base)) {
            Fail(token, QStringLiteral("número fora do intervalo"));
        }
        value = value * quint64(base) + digit;
    }
    return negative ? qlonglong(0 - value) : qlonglong(value);
}

// Quoted parts and #codes written next to each other form one text.
void Scanner::ReadString(Token& token) {
    token.kind = TokenKind::String;
    for (;;) {
        if (Peek() == '\'') {
            ReadQuoted(token.text);
        } else if (Peek() == '#') {
            ReadCode(token.text);
        } else {
            return;
        }
    }
}

void Scanner::ReadQuoted(QString& text) {
    const int line = line_;
    const int column = column_;
    Get();
    QByteArray bytes;
    for (;;) {
        if (AtEnd() || Peek() == '\n' || Peek() == '\r') {
            Fail(line, column, QStringLiteral("texto não terminado"));
        }
        const char c = Get();
        if (c == '\'') {
            if (Peek() != '\'') break;
            Get();
        }
        bytes += c;
    }
    text += FromWindows1252(bytes);
}

void Scanner::ReadCode(QString& text) {
    const int line = line_;
    const int column = column_;
    Get();
    const int base = Peek() == '$' ? 16 : 10;
    if (base == 16) Get();
    char32_t code = 0;
    int digits = 0;
    for (int digit; (digit = DigitValue(Peek(), base)) >= 0; ++digits) {
        Get();
        // Clamped so that a long run of digits cannot overflow.
        code = std::min<char32_t>(code * base + char32_t(digit), kMaxCodePoint + 1);
    }
    if (digits == 0) Fail(line, column, QStringLiteral("código de caractere inválido"));
    if (code > kMaxCodePoint) {
        Fail(line, column, QStringLiteral("código de caractere fora do intervalo"));
    }
    AppendCodePoint(text, code);
}

void Scanner::ReadBinary(Token& token) {
    Get();
    QByteArray digits;
    for (;;) {
        if (AtEnd()) Fail(token, QStringLiteral("dados binários não terminados"));
        const char c = Peek();
        if (c == '}') break;
        if (!IsBlank(c) && DigitValue(c, 16) < 0) {
            Fail(line_, column_, QStringLiteral("caractere inválido em dados binários"));
        }
        if (!IsBlank(Get())) digits += c;
    }
    Get();
    if (digits.size() % 2 != 0) {
        Fail(token, QStringLiteral("dados binários com número ímpar de dígitos"));
    }
    token.kind = TokenKind::Binary;
    token.binary = QByteArray::fromHex(digits);
}

// Recursive descent over the tokens, one token of lookahead.
class Parser {
public:
    Parser(const QByteArray& text, const QString& source) : scanner_(text, source) { Advance(); }

    DefinitionObject ParseDefinition();

private:
    void Advance() { token_ = scanner_.Next(); }
    bool IsSymbol(char symbol) const {
        return token_.kind == TokenKind::Symbol && token_.symbol == symbol;
    }
    bool IsKeyword(QLatin1StringView keyword) const {
        return token_.kind == TokenKind::Word &&
               QLatin1StringView(token_.word).compare(keyword, Qt::CaseInsensitive) == 0;
    }
    bool IsAnyKeyword() const;
    bool IsPlainName() const;
    bool StartsValue() const;
    [[noreturn]] void Fail(const QString& what) const {
        scanner_.Fail(token_.line, token_.column, what);
    }
    [[noreturn]] void Expected(const QString& what) const;
    void Enter();
    void Leave() { --depth_; }

    DefinitionObject ParseObject();
    void ParseHeader(DefinitionObject& object);
    void ParseMembers(std::vector<DefinitionProperty>& properties,
                      std::vector<DefinitionObject>* children);
    DefinitionProperty ParseProperty();
    DefinitionValue ParseValue();
    void ParseString(DefinitionValue& value);
    void ParseSet(DefinitionValue& value);
    void ParseList(DefinitionValue& value);
    void ParseCollection(DefinitionValue& value);

    Scanner scanner_;
    Token token_;
    int depth_ = 0;  // not restored on errors: a parser that threw is dropped
};

bool Parser::IsAnyKeyword() const {
    return IsKeyword(QLatin1StringView("object")) || IsKeyword(QLatin1StringView("inherited")) ||
           IsKeyword(QLatin1StringView("end")) || IsKeyword(QLatin1StringView("item"));
}

// A component or class name: a word, neither dotted nor a keyword.
bool Parser::IsPlainName() const {
    return token_.kind == TokenKind::Word && !token_.word.contains('.') && !IsAnyKeyword();
}

bool Parser::StartsValue() const {
    switch (token_.kind) {
        case TokenKind::Integer:
        case TokenKind::Float:
        case TokenKind::String:
        case TokenKind::Binary:
            return true;
        case TokenKind::Word:
            return !IsAnyKeyword();
        case TokenKind::Symbol:
            return IsSymbol('[') || IsSymbol('(') || IsSymbol('<');
        case TokenKind::End:
            break;
    }
    return false;
}

// A truncated text is reported as such, whatever was expected.
void Parser::Expected(const QString& what) const {
    if (token_.kind == TokenKind::End) Fail(QStringLiteral("fim inesperado do arquivo"));
    Fail(what);
}

void Parser::Enter() {
    if (++depth_ > kMaxDepth) {
        Fail(QStringLiteral("aninhamento profundo demais (mais de %1 níveis)").arg(kMaxDepth));
    }
}

DefinitionObject Parser::ParseDefinition() {
    if (!IsKeyword(QLatin1StringView("object")) && !IsKeyword(QLatin1StringView("inherited"))) {
        Expected(QStringLiteral("esperado 'object' ou 'inherited'"));
    }
    DefinitionObject root = ParseObject();
    if (token_.kind != TokenKind::End) Fail(QStringLiteral("texto após o fim da definição"));
    return root;
}

DefinitionObject Parser::ParseObject() {
    DefinitionObject object;
    object.kind = IsKeyword(QLatin1StringView("inherited")) ? DefinitionObject::Kind::Inherited
                                                            : DefinitionObject::Kind::Object;
    object.line = token_.line;
    object.column = token_.column;
    Enter();
    ParseHeader(object);
    ParseMembers(object.properties, &object.children);
    scanner_.path.removeLast();
    Leave();
    return object;
}

// "Name: TClass" after the keyword; leaves the name on the path.
void Parser::ParseHeader(DefinitionObject& object) {
    Advance();
    if (!IsPlainName()) Expected(QStringLiteral("esperado nome do componente"));
    object.name = QString::fromLatin1(token_.word);
    scanner_.path.append(object.name);
    Advance();
    if (!IsSymbol(':')) Expected(QStringLiteral("esperado ':'"));
    Advance();
    if (!IsPlainName()) Expected(QStringLiteral("esperado nome da classe"));
    object.className = QString::fromLatin1(token_.word);
    Advance();
}

// Properties (and, for objects, child objects) up to and including 'end'.
void Parser::ParseMembers(std::vector<DefinitionProperty>& properties,
                          std::vector<DefinitionObject>* children) {
    for (;;) {
        if (IsKeyword(QLatin1StringView("end"))) {
            Advance();
            return;
        }
        const bool child =
            IsKeyword(QLatin1StringView("object")) || IsKeyword(QLatin1StringView("inherited"));
        if (child && children) {
            children->push_back(ParseObject());
        } else if (token_.kind == TokenKind::Word && !IsAnyKeyword()) {
            properties.push_back(ParseProperty());
        } else if (StartsValue()) {
            Fail(QStringLiteral("valor inesperado"));
        } else {
            Expected(QStringLiteral("esperado 'end'"));
        }
    }
}

DefinitionProperty Parser::ParseProperty() {
    DefinitionProperty property;
    property.name = QString::fromLatin1(token_.word);
    property.line = token_.line;
    property.column = token_.column;
    Advance();
    if (!IsSymbol('=')) Expected(QStringLiteral("esperado '='"));
    Advance();
    property.value = ParseValue();
    return property;
}

DefinitionValue Parser::ParseValue() {
    using Kind = DefinitionValue::Kind;
    if (!StartsValue()) Expected(QStringLiteral("esperado um valor"));
    DefinitionValue value;
    value.line = token_.line;
    value.column = token_.column;
    if (token_.kind == TokenKind::String) {
        ParseString(value);
    } else if (IsSymbol('[')) {
        ParseSet(value);
    } else if (IsSymbol('(')) {
        ParseList(value);
    } else if (IsSymbol('<')) {
        ParseCollection(value);
    } else {
        value.kind = token_.kind == TokenKind::Word      ? Kind::Identifier
                     : token_.kind == TokenKind::Integer ? Kind::Integer
                     : token_.kind == TokenKind::Float   ? Kind::Float
                                                         : Kind::Binary;
        value.integer = token_.integer;
        value.real = token_.real;
        value.text = QString::fromLatin1(token_.word);
        value.binary = std::move(token_.binary);
        Advance();
    }
    return value;
}

void Parser::ParseString(DefinitionValue& value) {
    value.kind = DefinitionValue::Kind::String;
    value.text = std::move(token_.text);
    Advance();
    while (IsSymbol('+')) {
        Advance();
        if (token_.kind != TokenKind::String) Expected(QStringLiteral("esperado texto após '+'"));
        value.text += token_.text;
        Advance();
    }
}

void Parser::ParseSet(DefinitionValue& value) {
    value.kind = DefinitionValue::Kind::Set;
    const Token open = token_;
    const auto checkOpen = [&] {
        if (token_.kind == TokenKind::End) {
            scanner_.Fail(open.line, open.column, QStringLiteral("conjunto não terminado"));
        }
    };
    Advance();
    while (!IsSymbol(']')) {
        checkOpen();
        if (!value.set.isEmpty()) {
            if (!IsSymbol(',')) Fail(QStringLiteral("esperado ',' ou ']'"));
            Advance();
            checkOpen();
        }
        if (token_.kind != TokenKind::Word)
            Fail(QStringLiteral("esperado identificador no conjunto"));
        value.set.append(QString::fromLatin1(token_.word));
        Advance();
    }
    Advance();
}

void Parser::ParseList(DefinitionValue& value) {
    value.kind = DefinitionValue::Kind::List;
    const Token open = token_;
    Enter();
    Advance();
    while (!IsSymbol(')')) {
        if (token_.kind == TokenKind::End) {
            scanner_.Fail(open.line, open.column, QStringLiteral("lista não terminada"));
        }
        if (!StartsValue()) Fail(QStringLiteral("esperado ')'"));
        value.items.push_back(ParseValue());
    }
    Advance();
    Leave();
}

void Parser::ParseCollection(DefinitionValue& value) {
    value.kind = DefinitionValue::Kind::Collection;
    const Token open = token_;
    Enter();
    Advance();
    while (!IsSymbol('>')) {
        if (token_.kind == TokenKind::End) {
            scanner_.Fail(open.line, open.column, QStringLiteral("coleção não terminada"));
        }
        if (!IsKeyword(QLatin1StringView("item"))) Fail(QStringLiteral("esperado 'item' ou '>'"));
        Advance();
        value.collection.emplace_back();
        ParseMembers(value.collection.back().properties, nullptr);
    }
    Advance();
    Leave();
}

QString FormatMessage(const QString& source, int line, int column, const QString& path,
                      const QString& what) {
    QString where = source;
    if (line > 0) {
        if (!where.isEmpty()) where += u':';
        where += QString::number(line);
        if (column > 0) where += u':' + QString::number(column);
    }
    QStringList parts;
    if (!where.isEmpty()) parts << where;
    if (!path.isEmpty()) parts << path;
    parts << what;
    return parts.join(QStringLiteral(": "));
}

}  // namespace

QString DefinitionValue::KindName() const {
    switch (kind) {
        case Kind::Integer:
            return QStringLiteral("número inteiro");
        case Kind::Float:
            return QStringLiteral("número real");
        case Kind::String:
            return QStringLiteral("texto");
        case Kind::Identifier:
            return QStringLiteral("identificador");
        case Kind::Set:
            return QStringLiteral("conjunto");
        case Kind::List:
            return QStringLiteral("lista");
        case Kind::Collection:
            return QStringLiteral("coleção");
        case Kind::Binary:
            return QStringLiteral("dados binários");
    }
    return {};
}

EDefinitionError::EDefinitionError(QString source, int line, int column, QString path, QString what)
    : Exception(FormatMessage(source, line, column, path, what)),
      source_(std::move(source)),
      line_(line),
      column_(column),
      path_(std::move(path)),
      what_(std::move(what)) {}

DefinitionObject ReadDefinition(const QByteArray& text, const QString& source) {
    return Parser(text, source).ParseDefinition();
}

DefinitionObject ReadDefinitionFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw EDefinitionError(path, 0, 0, {},
                               QStringLiteral("não foi possível abrir a definição"));
    }
    const QByteArray text = file.readAll();
    // A read that fails would otherwise pass for an empty, malformed text.
    if (file.error() != QFileDevice::NoError) {
        throw EDefinitionError(path, 0, 0, {},
                               QStringLiteral("não foi possível ler a definição"));
    }
    return ReadDefinition(text, path);
}

QString FromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) *out++ = Cp1252ToChar(static_cast<unsigned char>(byte));
    return text;
}

QByteArray ToWindows1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character outside the BMP is one '?', not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        bytes += c.isSurrogate() ? '?' : CharToCp1252(c.unicode());
    }
    return bytes;
}
