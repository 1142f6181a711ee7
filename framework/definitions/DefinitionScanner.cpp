#include "DefinitionScanner.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

#include "CodePage.h"
#include "DefinitionError.h"

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
// How much of a refused text a message shows.
constexpr qsizetype kShownText = 40;

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
        text += FromWindows1252(QByteArray(1, static_cast<char>(code)));
    } else if (code > 0xFFFF) {
        text += QChar(QChar::highSurrogate(code));
        text += QChar(QChar::lowSurrogate(code));
    } else {
        text += QChar(char16_t(code));  // kept as is, lone surrogates included
    }
}

QString Utf8Refused(const QByteArray& bytes) {
    QString shown = QString::fromUtf8(bytes);
    if (shown.size() > kShownText) shown = shown.left(kShownText) + QStringLiteral("...");
    return QStringLiteral("texto gravado em UTF-8 (\"%1\"); o arquivo deve estar em Windows-1252").arg(shown);
}

}  // namespace

void DefinitionScanner::Fail(int line, int column, const QString& what) const {
    throw EDefinitionError(source_, line, column, path.join(u'.'), what);
}

char DefinitionScanner::Get() {
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

void DefinitionScanner::SkipBlanks() {
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

Token DefinitionScanner::Next() {
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

void DefinitionScanner::ReadWord(Token& token) {
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

void DefinitionScanner::ReadNumber(Token& token) {
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
void DefinitionScanner::ReadReal(Token& token, qsizetype start) {
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

qlonglong DefinitionScanner::ToInteger(const Token& token, qsizetype from, int base, bool negative) const {
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
void DefinitionScanner::ReadString(Token& token) {
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

void DefinitionScanner::ReadQuoted(QString& text) {
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
    // A file saved as UTF-8 would otherwise show "RelatÃ³rio" without a word.
    if (IsUtf8Text(bytes)) Fail(line, column, Utf8Refused(bytes));
    text += FromWindows1252(bytes);
}

void DefinitionScanner::ReadCode(QString& text) {
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

void DefinitionScanner::ReadBinary(Token& token) {
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
