#include "SqlStatements.h"

#include <utility>

namespace {

bool IsAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Both databases take only ASCII whitespace as such; other spaces (U+00A0)
// are characters of a name to them.
bool IsSpace(QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// A character that may go on a name: SQLite and PostgreSQL both take every
// character above ASCII, and '$' after the first.
bool IsNameChar(QChar c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == u'_' || c == u'$' || c.unicode() >= 0x80;
}

// What may follow '$' in a dollar quote's tag: a name without '$'.
bool IsTagChar(QChar c) { return IsNameChar(c) && c != u'$'; }

// Reads one text, token by token; each step returns where the next token
// starts, or -1 once `problem` is set.
class StatementReader {
    // The plain run of name characters just read, on PostgreSQL: a name
    // (from wordStart_) or a number.
    enum class Word { None, Name, Number };

public:
    StatementReader(QStringView sql, SqlDialect dialect) : sql_(sql), pg_(dialect == SqlDialect::PostgreSQL) {}

    SqlStatementCount Count() {
        qsizetype i = 0;
        while (i >= 0 && i < sql_.size()) i = Step(i);
        if (!result_.problem.isEmpty()) return result_;
        if (content_) ++result_.statements;
        return result_;
    }

private:
    QChar At(qsizetype i) const { return i < sql_.size() ? sql_[i] : QChar(); }
    bool Starts(qsizetype i, const char16_t (&two)[3]) const {
        return At(i) == QChar(two[0]) && At(i + 1) == QChar(two[1]);
    }

    qsizetype Step(qsizetype i) {
        const QChar c = sql_[i];
        const Word before = std::exchange(word_, Word::None);
        if (IsSpace(c)) return i + 1;
        if (Starts(i, u"--")) return LineCommentEnd(i);
        if (Starts(i, u"/*")) return BlockCommentEnd(i);
        if (c == u';') {
            if (content_) ++result_.statements;
            content_ = false;
            return i + 1;
        }
        Content(i);
        if (c == u'\'') return StringEnd(i, before);
        if (c == u'"') return QuotedEnd(i, u'"', QStringLiteral("um nome entre aspas (\") que não termina"));
        if (!pg_) return SqliteToken(i);
        if (c == u'$') return DollarEnd(i, before);
        if (IsNameChar(c)) word_ = before != Word::None ? before : IsDigit(c) ? Word::Number : Word::Name;
        if (word_ == Word::Name && before == Word::None) wordStart_ = i;
        return i + 1;
    }

    void Content(qsizetype i) {
        if (content_) return;
        content_ = true;
        if (result_.statements == 1) result_.secondStart = i;
    }

    qsizetype Fail(const QString& problem) {
        result_.problem = problem;
        return -1;
    }

    qsizetype LineCommentEnd(qsizetype i) {
        while (i < sql_.size() && sql_[i] != u'\n' && !(pg_ && sql_[i] == u'\r')) ++i;
        return i;
    }

    // PostgreSQL nests block comments; SQLite ends one at the first "*/".
    qsizetype BlockCommentEnd(qsizetype i) {
        int depth = 0;
        while (i < sql_.size()) {
            if (Starts(i, u"/*") && (pg_ || depth == 0)) {
                ++depth;
                i += 2;
            } else if (Starts(i, u"*/")) {
                i += 2;
                if (--depth == 0) return i;
            } else {
                ++i;
            }
        }
        return Fail(QStringLiteral("um comentário /* sem o */ que o fecha"));
    }

    // Just past the closing `quote`; a doubled quote stands for itself, and
    // with `backslash` a backslash escapes the character after it.
    qsizetype QuotedEnd(qsizetype i, QChar quote, const QString& unterminated, bool backslash = false) {
        ++i;
        while (i < sql_.size()) {
            if (backslash && sql_[i] == u'\\') {
                i += 2;
            } else if (sql_[i] == quote) {
                if (At(i + 1) != quote) return i + 1;
                i += 2;
            } else {
                ++i;
            }
        }
        return Fail(unterminated);
    }

    // E'...' on PostgreSQL: the E alone starts a name. A quote right after a
    // number ("1E'x'") is read differently by different server versions.
    qsizetype StringEnd(qsizetype i, Word before) {
        if (pg_ && before == Word::Number)
            return Fail(QStringLiteral("um texto entre aspas colado a um número"));
        const bool escapes = pg_ && before == Word::Name && wordStart_ == i - 1 &&
                             (sql_[i - 1] == u'E' || sql_[i - 1] == u'e');
        return QuotedEnd(i, u'\'', QStringLiteral("um texto entre aspas (') que não termina"), escapes);
    }

    qsizetype SqliteToken(qsizetype i) {
        const QChar c = sql_[i];
        if (c == u'`') return QuotedEnd(i, u'`', QStringLiteral("um nome entre crases (`) que não termina"));
        if (c == u'[') {
            const qsizetype close = sql_.indexOf(u']', i + 1);
            return close < 0 ? Fail(QStringLiteral("um nome entre colchetes ([) que não termina")) : close + 1;
        }
        // '$' goes on a name; ':', '@' and '#' always start a variable.
        const bool variable = c == u'@' || c == u'#' || c == u':' ||
                              (c == u'$' && (i == 0 || !IsNameChar(sql_[i - 1])));
        if (variable) return SqliteVariableEnd(i);
        return i + 1;
    }

    // SQLite's variable: name characters, "::" inside, and after at least one
    // name character a "(...)" suffix that holds no space.
    qsizetype SqliteVariableEnd(qsizetype i) {
        int named = 0;
        for (++i; i < sql_.size(); ++i) {
            const QChar c = sql_[i];
            if (IsNameChar(c)) {
                ++named;
            } else if (c == u'(' && named > 0) {
                while (++i < sql_.size() && !IsSpace(sql_[i]) && sql_[i] != u')') {
                }
                if (At(i) != u')') return Fail(QStringLiteral("uma variável com '(' sem o ')' que a fecha"));
                return i + 1;
            } else if (c == u':' && At(i + 1) == u':') {
                ++i;
            } else {
                break;
            }
        }
        return i;
    }

    // '$' on PostgreSQL: inside a name, a parameter ($1), or a dollar quote.
    // Right after a number it is read differently by different versions.
    qsizetype DollarEnd(qsizetype i, Word before) {
        if (before == Word::Name) {
            word_ = Word::Name;
            return i + 1;
        }
        if (before == Word::Number)
            return Fail(QStringLiteral("um '$' colado a um número"));
        if (IsDigit(At(i + 1))) {
            ++i;
            while (IsDigit(At(i))) ++i;
            return i;
        }
        qsizetype end = i + 1;
        if (IsAsciiLetter(At(end)) || At(end) == u'_' || At(end).unicode() >= 0x80)
            while (IsTagChar(At(end))) ++end;
        if (At(end) != u'$')
            return Fail(QStringLiteral("um '$' que não abre uma cadeia $marca$ nem é um parâmetro ($1)"));
        const QStringView tag = sql_.mid(i, end - i + 1);
        const qsizetype close = sql_.indexOf(tag, end + 1);
        if (close < 0) return Fail(QStringLiteral("uma cadeia %1 sem o %1 que a fecha").arg(tag.toString()));
        return close + tag.size();
    }

    QStringView sql_;
    bool pg_;
    Word word_ = Word::None;
    qsizetype wordStart_ = 0;
    bool content_ = false;  // the statement being read holds something
    SqlStatementCount result_;
};

}  // namespace

SqlStatementCount CountStatements(QStringView sql, SqlDialect dialect) {
    return StatementReader(sql, dialect).Count();
}
