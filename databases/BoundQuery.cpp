#include "BoundQuery.h"

#include "DatabaseError.h"
#include "ReportValues.h"
#include "SysUtils.h"

namespace {

// A piece of SQL text: plain text (literals and quoted names included), a
// parameter (its name, without ':') or a comment.
struct SqlPiece {
    enum class Kind { Text, Param, Comment };
    Kind kind;
    QString text;
};

bool IsNameStart(QChar c) { return c.isLetter() || c == u'_'; }
bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// Where the quoted run that opens at `at` ends (just past the closing quote, or
// the end of the text when unterminated). A doubled quote stands for itself.
qsizetype QuotedEnd(const QString& sql, qsizetype at) {
    const QChar quote = sql[at];
    qsizetype i = at + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

qsizetype CommentEnd(const QString& sql, qsizetype at) {
    if (sql[at] == u'-') {
        const qsizetype newline = sql.indexOf(u'\n', at);
        return newline < 0 ? sql.size() : newline;
    }
    const qsizetype close = sql.indexOf(QStringLiteral("*/"), at + 2);
    return close < 0 ? sql.size() : close + 2;
}

bool CommentStarts(const QString& sql, qsizetype i) {
    if (i + 1 >= sql.size()) return false;
    return (sql[i] == u'-' && sql[i + 1] == u'-') || (sql[i] == u'/' && sql[i + 1] == u'*');
}

class SqlSplitter {
public:
    explicit SqlSplitter(const QString& sql) : sql_(sql) {}

    std::vector<SqlPiece> Split() {
        qsizetype i = 0;
        while (i < sql_.size()) i = Step(i);
        Flush();
        return std::move(pieces_);
    }

private:
    qsizetype Step(qsizetype i) {
        const QChar c = sql_[i];
        if (c == u'\'' || c == u'"' || c == u'`') return Keep(i, QuotedEnd(sql_, i));
        if (CommentStarts(sql_, i)) return Emit(SqlPiece::Kind::Comment, i, CommentEnd(sql_, i));
        if (c == u':' && i + 1 < sql_.size() && sql_[i + 1] == u':') return Keep(i, i + 2);
        if (c == u':' && i + 1 < sql_.size() && IsNameStart(sql_[i + 1])) {
            qsizetype end = i + 2;
            while (end < sql_.size() && IsNameChar(sql_[end])) ++end;
            return Emit(SqlPiece::Kind::Param, i + 1, end);
        }
        return Keep(i, i + 1);
    }
    qsizetype Keep(qsizetype from, qsizetype to) {
        text_ += QStringView(sql_).mid(from, to - from);
        return to;
    }
    qsizetype Emit(SqlPiece::Kind kind, qsizetype from, qsizetype to) {
        Flush();
        pieces_.push_back({kind, sql_.mid(from, to - from)});
        return to;
    }
    void Flush() {
        if (!text_.isEmpty()) pieces_.push_back({SqlPiece::Kind::Text, text_});
        text_.clear();
    }

    const QString& sql_;
    QString text_;
    std::vector<SqlPiece> pieces_;
};

std::vector<SqlPiece> SplitSql(const QString& sql) { return SqlSplitter(sql).Split(); }

}  // namespace

QStringList QueryParamNames(const QString& sql) {
    QStringList names;
    for (const SqlPiece& piece : SplitSql(sql))
        if (piece.kind == SqlPiece::Kind::Param && !names.contains(piece.text, Qt::CaseInsensitive))
            names << piece.text;
    return names;
}

TParams QueryParams(const QString& sql) {
    TParams params;
    for (const QString& name : QueryParamNames(sql)) params.CreateParam(ftUnknown, name);
    return params;
}

QStringList SplitStatements(const QString& script) {
    QStringList statements;
    const auto add = [&statements](const QString& statement) {
        if (!ToPositional(statement).sql.trimmed().isEmpty()) statements << statement.trimmed();
    };
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < script.size()) {
        const QChar c = script[i];
        if (c == u'\'' || c == u'"' || c == u'`') {
            i = QuotedEnd(script, i);
        } else if (CommentStarts(script, i)) {
            i = CommentEnd(script, i);
        } else if (c == u';') {
            add(script.mid(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    add(script.mid(start));
    return statements;
}

PositionalQuery ToPositional(const QString& sql) {
    PositionalQuery result;
    for (const SqlPiece& piece : SplitSql(sql)) {
        switch (piece.kind) {
            case SqlPiece::Kind::Text:
                result.sql += piece.text;
                break;
            case SqlPiece::Kind::Param:
                result.sql += u'?';
                result.bindings << piece.text;
                break;
            case SqlPiece::Kind::Comment:
                result.sql += u' ';
                break;
        }
    }
    return result;
}

BoundQuery BindReportQuery(const QString& sql, const TParams& params) {
    BoundQuery bound{ToPositional(sql), {}};
    for (const QString& name : bound.query.bindings) {
        const TParam* param = params.FindParam(name);
        if (!param)
            throw EDatabaseError(
                QStringLiteral("O parâmetro '%1' da consulta do relatório não foi informado.")
                    .arg(name));
        bound.values << BoundValue(*param);
    }
    return bound;
}
