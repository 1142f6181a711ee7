#include "ReportHeader.h"

#include <vector>

#include "ClassRegistry.h"
#include "ReportValues.h"

namespace {

// One choice of a placeholder: a parameter's text, a text when the
// parameter's text is a given value, or a fixed text.
struct Alternative {
    enum class Kind { Param, WhenEquals, Literal };
    Kind kind = Kind::Literal;
    QString name;
    QString value;
    QString text;
};

// Plain text (no alternatives) or a placeholder.
struct Piece {
    QString text;
    std::vector<Alternative> alternatives;
};

[[noreturn]] void Malformed(const QString& what, qsizetype at) {
    throw EPropertyValue(
        QStringLiteral("%1 (caractere %2 da linha de cabeçalho)").arg(what).arg(at + 1));
}

bool IsName(const QString& name) {
    if (name.isEmpty() || !(name[0].isLetter() || name[0] == u'_')) return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_')) return false;
    return true;
}

class TemplateParser {
public:
    explicit TemplateParser(const QString& text) : text_(text) {}

    std::vector<Piece> Parse() {
        std::vector<Piece> pieces;
        while (at_ < text_.size()) {
            if (text_[at_] == u'}') Malformed(QStringLiteral("'}' sem '{'"), at_);
            pieces.push_back(text_[at_] == u'{' ? Placeholder() : PlainText());
        }
        return pieces;
    }

private:
    Piece PlainText() {
        Piece piece;
        while (at_ < text_.size() && text_[at_] != u'{' && text_[at_] != u'}')
            piece.text += text_[at_++];
        return piece;
    }

    Piece Placeholder() {
        const qsizetype open = at_++;
        Piece piece;
        for (;;) {
            piece.alternatives.push_back(OneAlternative());
            if (at_ >= text_.size()) Malformed(QStringLiteral("'{' sem '}'"), open);
            if (text_[at_++] == u'}') return piece;
        }
    }

    Alternative OneAlternative() {
        SkipSpaces();
        Alternative alternative;
        if (at_ < text_.size() && text_[at_] == u'"') {
            alternative.text = Quoted();
        } else {
            const qsizetype start = at_;
            alternative.name = Until(QStringLiteral("=|}")).trimmed();
            if (!IsName(alternative.name))
                Malformed(QStringLiteral("nome de parâmetro inválido '%1'").arg(alternative.name),
                          start);
            alternative.kind = Alternative::Kind::Param;
            if (at_ < text_.size() && text_[at_] == u'=') WhenEquals(alternative);
        }
        SkipSpaces();
        if (at_ < text_.size() && text_[at_] != u'|' && text_[at_] != u'}')
            Malformed(QStringLiteral("esperado '|' ou '}'"), at_);
        return alternative;
    }

    void WhenEquals(Alternative& alternative) {
        ++at_;
        alternative.kind = Alternative::Kind::WhenEquals;
        alternative.value = Until(QStringLiteral(":|}"));
        if (at_ >= text_.size() || text_[at_] != u':')
            Malformed(QStringLiteral("esperado ':' depois de '%1=%2'")
                          .arg(alternative.name, alternative.value),
                      at_);
        ++at_;
        alternative.text = Until(QStringLiteral("|}"));
    }

    QString Quoted() {
        const qsizetype close = text_.indexOf(u'"', at_ + 1);
        if (close < 0) Malformed(QStringLiteral("aspas sem fechamento"), at_);
        const QString quoted = text_.mid(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        return quoted;
    }

    QString Until(const QString& stops) {
        const qsizetype start = at_;
        while (at_ < text_.size() && !stops.contains(text_[at_]) && text_[at_] != u'"') ++at_;
        if (at_ < text_.size() && text_[at_] == u'"')
            Malformed(QStringLiteral("aspas fora de lugar"), at_);
        return text_.mid(start, at_ - start);
    }

    void SkipSpaces() {
        while (at_ < text_.size() && text_[at_] == u' ') ++at_;
    }

    const QString& text_;
    qsizetype at_ = 0;
};

QString ParamText(const TParams& params, const QString& name) {
    const TParam* param = params.FindParam(name);
    return param ? DisplayText(*param) : QString();
}

QString Choose(const std::vector<Alternative>& alternatives, const TParams& params) {
    for (const Alternative& alternative : alternatives) {
        QString text;
        switch (alternative.kind) {
            case Alternative::Kind::Param:
                text = ParamText(params, alternative.name);
                break;
            case Alternative::Kind::WhenEquals:
                if (ParamText(params, alternative.name) == alternative.value)
                    text = alternative.text;
                break;
            case Alternative::Kind::Literal:
                text = alternative.text;
                break;
        }
        if (!text.isEmpty()) return text;
    }
    return QString();
}

}  // namespace

QString FillHeaderLine(const QString& headerTemplate, const TParams& params) {
    QString line;
    for (const Piece& piece : TemplateParser(headerTemplate).Parse())
        line += piece.alternatives.empty() ? piece.text : Choose(piece.alternatives, params);
    return line;
}

QStringList HeaderLineParams(const QString& headerTemplate) {
    QStringList names;
    for (const Piece& piece : TemplateParser(headerTemplate).Parse())
        for (const Alternative& alternative : piece.alternatives)
            if (alternative.kind != Alternative::Kind::Literal &&
                !names.contains(alternative.name, Qt::CaseInsensitive))
                names << alternative.name;
    return names;
}
