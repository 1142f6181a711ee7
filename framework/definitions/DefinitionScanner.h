#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The tokens of the definition text (see DefinitionReader.h), for the parser.

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
// Windows-1252. Throws EDefinitionError, naming `source` and `path`, for a
// token that is malformed.
class DefinitionScanner {
public:
    DefinitionScanner(const QByteArray& text, const QString& source) : text_(text), source_(source) {}

    QStringList path;  // the enclosing components, for messages

    Token Next();
    [[noreturn]] void Fail(int line, int column, const QString& what) const;

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
