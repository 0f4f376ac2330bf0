#include "store/Adofilter.h"

#include <limits>

#include "platform/DateFormat.h"
#include "store/Adodb.h"

namespace ado {

namespace {

class Parser {
public:
    Parser(const QString& text, const TableDef& table) : text_(text), table_(table) {}

    ParsedFilter Run() {
        ParsedFilter result;
        SkipBlanks();
        if (AtEnd()) return result;
        for (;;) {
            result.terms.push_back(Term());
            SkipBlanks();
            if (AtEnd()) break;
            const int at = pos_;
            if (Word().compare(QLatin1String("AND"), Qt::CaseInsensitive) != 0)
                Fail(QStringLiteral("AND or the end of the filter expected"), at);
        }
        for (const FilterTerm& t : result.terms) {
            if (!result.sql.isEmpty()) result.sql += QStringLiteral(" AND ");
            result.sql +=
                ComparedExpr(table_.columns[t.column]) + u' ' + t.op + QStringLiteral(" ?");
        }
        return result;
    }

private:
    [[noreturn]] void Fail(const QString& what, int at) const {
        const QString rest = at < text_.size() ? QStringLiteral("\"%1\"").arg(text_.mid(at, 20))
                                               : QStringLiteral("the end");
        throw EDatabaseError(
            QStringLiteral("Invalid filter \"%1\": %2 at %3").arg(text_, what, rest));
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : text_[pos_]; }
    static bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    void SkipBlanks() {
        while (!AtEnd() && text_[pos_].isSpace())
            ++pos_;
    }

    // A run of letters, digits and underscores; empty when none starts here.
    QString Word() {
        const int start = pos_;
        while (!AtEnd() && IsWordChar(text_[pos_]))
            ++pos_;
        return text_.mid(start, pos_ - start);
    }

    FilterTerm Term() {
        SkipBlanks();
        const int at = pos_;
        const QString name = Word();
        if (name.isEmpty()) Fail(QStringLiteral("a column name expected"), at);
        FilterTerm term{-1, {}, {}};
        for (size_t c = 0; c < table_.columns.size(); ++c)
            if (name.compare(QLatin1String(table_.columns[c].name), Qt::CaseInsensitive) == 0)
                term.column = static_cast<int>(c);
        if (term.column < 0)
            Fail(QStringLiteral("unknown column \"%1\" of table %2").arg(name, table_.name), at);
        SkipBlanks();
        term.op = Operator();
        SkipBlanks();
        term.value = Value(table_.columns[term.column]);
        return term;
    }

    QString Operator() {
        const int at = pos_;
        QString op;
        if (Peek() == u'=') {
            op = QStringLiteral("=");
        } else if (Peek() == u'<' || Peek() == u'>') {
            op = Peek();
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'=') op += u'=';
        }
        if (op.isEmpty()) Fail(QStringLiteral("one of = >= > < <= expected"), at);
        pos_ += static_cast<int>(op.size());
        if (Peek() == u'=' || Peek() == u'<' || Peek() == u'>')
            Fail(QStringLiteral("one of = >= > < <= expected"), at);
        return op;
    }

    Cell Value(const ColumnDef& column) {
        const int at = pos_;
        if (Peek() == u'\'') {
            const Cell v = DateLiteral();
            if (column.type != ColumnType::DateTime)
                Fail(QStringLiteral("a date compared with the non-date column \"%1\"")
                         .arg(column.name),
                     at);
            return v;
        }
        Cell v = Peek() == u'-' || Peek().isDigit() ? Integer() : FalseWord();
        if (column.type != ColumnType::Integer)
            Fail(QStringLiteral("a number compared with the non-integer column \"%1\"")
                     .arg(column.name),
                 at);
        return v;
    }

    Cell Integer() {
        const int at = pos_;
        if (Peek() == u'-') ++pos_;
        const QString digits = Word();
        bool ok = false;
        const qlonglong v = text_.mid(at, pos_ - at).toLongLong(&ok);
        bool allDigits = !digits.isEmpty();
        for (QChar c : digits)
            allDigits = allDigits && c >= u'0' && c <= u'9';
        if (!allDigits || !ok) Fail(QStringLiteral("an integer expected"), at);
        return Cell::FromInt(v);
    }

    Cell FalseWord() {
        const int at = pos_;
        if (Word().compare(QLatin1String("FALSE"), Qt::CaseInsensitive) != 0)
            Fail(QStringLiteral("an integer, FALSE or a quoted date expected"), at);
        return Cell::FromInt(0);
    }

    Cell DateLiteral() {
        const int at = pos_;
        const int close = text_.indexOf(u'\'', pos_ + 1);
        if (close < 0) Fail(QStringLiteral("unterminated quoted date"), at);
        const QString literal = text_.mid(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        TDateTime value = 0;
        if (literal.trimmed().isEmpty() || !TryStrToDateTime(literal, value))
            Fail(QStringLiteral("'%1' is not a date or time in the current format").arg(literal),
                 at);
        return Cell::FromReal(value);
    }

    const QString& text_;
    const TableDef& table_;
    int pos_ = 0;
};

}  // namespace

ParsedFilter ParseFilter(const QString& text, const TableDef& table) {
    return Parser(text, table).Run();
}

}  // namespace ado
