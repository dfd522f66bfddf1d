#include "pg_sql.h"

#include <QSet>
#include <vector>

namespace qb::engine::pg {
namespace {

enum class Kind { Blank, Word, Quoted, Literal, Placeholder, Symbol };

struct Token {
    Kind kind;
    QString text;
    bool is(const char* word) const {
        return kind == Kind::Word && !text.compare(QLatin1String(word), Qt::CaseInsensitive);
    }
    bool isSymbol(char symbol) const { return kind == Kind::Symbol && text == QLatin1Char(symbol); }
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c.unicode() >= 0x80;
}

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const int start = i;
        Kind kind = Kind::Symbol;
        if (c.isSpace()) {
            while (i < n && sql[i].isSpace())
                ++i;
            kind = Kind::Blank;
        } else if (sql.mid(i, 2) == QLatin1String("--")) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            kind = Kind::Blank;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const int end = int(sql.indexOf(QLatin1String("*/"), i + 2));
            i = end < 0 ? n : end + 2;
            kind = Kind::Blank;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote stands for itself inside the text.
            for (++i; i < n; ++i) {
                if (sql[i] != c) continue;
                if (i + 1 < n && sql[i + 1] == c) {
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            kind = c == QLatin1Char('"') ? Kind::Quoted : Kind::Literal;
        } else if (c == QLatin1Char('?')) {
            ++i;
            kind = Kind::Placeholder;
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(sql[i]))
                ++i;
            kind = Kind::Word;
        } else {
            ++i;
        }
        tokens.push_back({kind, sql.mid(start, i - start)});
    }
    return tokens;
}

bool isName(const Token& t) {
    return t.kind == Kind::Word || t.kind == Kind::Quoted;
}

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// The tokens that say something, by their index into all tokens.
class Significant {
public:
    explicit Significant(const std::vector<Token>& tokens) : tokens_(tokens) {
        for (int i = 0; i < int(tokens.size()); ++i)
            if (tokens[i].kind != Kind::Blank) at_.push_back(i);
    }
    int size() const { return int(at_.size()); }
    int index(int k) const { return at_[k]; }
    const Token& operator[](int k) const {
        static const Token none{Kind::Blank, {}};
        return k >= 0 && k < size() ? tokens_[at_[k]] : none;
    }
    // A possibly schema-qualified name starting at k, and the position after it.
    QString nameAt(int k, int* after) const {
        QString name;
        while (isName((*this)[k])) {
            name += (*this)[k].text;
            ++k;
            if (!(*this)[k].isSymbol('.')) break;
            name += QLatin1Char('.');
            ++k;
        }
        *after = k;
        return name;
    }

private:
    const std::vector<Token>& tokens_;
    std::vector<int> at_;
};

// The single table a select list's "*" at position k reads from, or empty when the select reads
// from a subquery or from several tables.
QString starTable(const Significant& s, int k) {
    const Token& before = s[k - 1];
    const Token& after = s[k + 1];
    if (!(before.is("select") || before.is("distinct") || before.is("all") || before.isSymbol(',')))
        return {};
    if (!(after.is("from") || after.isSymbol(','))) return {};
    int depth = 0;
    for (++k; k < s.size() && !(depth == 0 && s[k].is("from")); ++k) {
        if (s[k].isSymbol('(')) ++depth;
        if (s[k].isSymbol(')') && --depth < 0) return {};
    }
    int next = 0;
    const QString table = s.nameAt(k + 1, &next);
    static const QSet<QString> notAlias = {
        QStringLiteral("where"),   QStringLiteral("group"),    QStringLiteral("order"),
        QStringLiteral("limit"),   QStringLiteral("offset"),   QStringLiteral("having"),
        QStringLiteral("window"),  QStringLiteral("union"),    QStringLiteral("intersect"),
        QStringLiteral("except"),  QStringLiteral("for"),      QStringLiteral("fetch"),
        QStringLiteral("join"),    QStringLiteral("inner"),    QStringLiteral("left"),
        QStringLiteral("right"),   QStringLiteral("full"),     QStringLiteral("cross"),
        QStringLiteral("natural"), QStringLiteral("returning")};
    if (s[next].is("as"))
        next += 2;
    else if (s[next].kind == Kind::Word && !notAlias.contains(s[next].text.toLower()))
        next += 1;
    const Token& then = s[next];
    if (then.isSymbol(',') || then.is("join") || then.is("inner") || then.is("left") ||
        then.is("right") || then.is("full") || then.is("cross") || then.is("natural"))
        return {};
    return table;
}

}  // namespace

Translation translate(const QString& sql, const ColumnsOf& columnsOf) {
    const std::vector<Token> tokens = tokenize(sql);
    const Significant s(tokens);
    std::vector<QString> replaced(tokens.size());
    Translation result;
    for (int k = 0; k < s.size(); ++k) {
        const Token& token = s[k];
        QString& out = replaced[s.index(k)];
        if (token.kind == Kind::Placeholder) {
            out = QLatin1Char('$') + QString::number(++result.placeholders);
        } else if (token.is("user") && !s[k - 1].isSymbol('.')) {
            out = quoted(QStringLiteral("user"));
        } else if (token.is("returning")) {
            result.returning = true;
        } else if (token.isSymbol('*')) {
            const QString table = starTable(s, k);
            const QStringList columns = table.isEmpty() ? QStringList() : columnsOf(table);
            QStringList names;
            for (const QString& column : columns)
                names << quoted(column);
            if (!names.isEmpty()) out = names.join(QLatin1Char(','));
        }
    }
    if (s[0].kind == Kind::Word) result.command = s[0].text.toLower();
    if (s[1].kind == Kind::Word) result.object = s[1].text.toLower();
    if (result.command == QLatin1String("insert")) {
        int into = 1;
        while (into < s.size() && !s[into].is("into"))
            ++into;
        int after = 0;
        result.insertTable = s.nameAt(into + 1, &after);
    }
    QString text;
    for (size_t i = 0; i < tokens.size(); ++i)
        text += replaced[i].isNull() ? tokens[i].text : replaced[i];
    result.text = text.toUtf8();
    return result;
}

}  // namespace qb::engine::pg
