// The reader of definitions: a recursive-descent parser over the scanner's
// tokens, and the reading of definition files.
#include <QFile>

#include "DefinitionReader.h"
#include "DefinitionScanner.h"

namespace {

// Deeper nesting than any real form has; the guard keeps hostile input from
// exhausting the stack.
constexpr int kMaxDepth = 200;

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

    DefinitionScanner scanner_;
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

}  // namespace

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
