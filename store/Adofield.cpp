// TField: typed reading and writing of one column of the current row.
#include <QDateTime>
#include <cmath>
#include <limits>

#include "platform/DateFormat.h"
#include "store/Adodb.h"
#include "store/Adotableimpl.h"

namespace ado {

namespace {

int32_t SaturatedInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);  // truncates toward zero
}

int32_t SaturatedInt(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Numbers kept in a text cell (a foreign file) read as numbers; other text as 0.
double TextNumber(const QString& text) {
    bool ok = false;
    const qlonglong i = text.trimmed().toLongLong(&ok);
    if (ok) return static_cast<double>(i);
    double d = 0;
    return TryStrToFloat(text, d) ? d : 0;
}

double NumberOf(const CellView& cell, ColumnType type) {
    switch (cell.kind) {
        case Cell::Int:
            return static_cast<double>(cell.i);
        case Cell::Real:
            return cell.r;
        case Cell::Text: {
            const QString text = cell.Text();
            TDateTime dt = 0;
            if (type == ColumnType::DateTime && TryStrToDateTime(text, dt)) return dt;
            return TextNumber(text);
        }
        case Cell::Null:
            break;
    }
    return 0;
}

void RequireFinite(double value) {
    if (!std::isfinite(value))
        throw EDatabaseError(
            QStringLiteral("%1 cannot be stored: only finite numbers can").arg(FloatToStr(value)));
}

}  // namespace

Cell CellFromVariant(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    switch (value.typeId()) {
        case QMetaType::Bool:
            return Cell::FromInt(value.toBool() ? 1 : 0);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Long:
        case QMetaType::ULong:
            return Cell::FromInt(value.toLongLong());
        case QMetaType::ULongLong:
            return Cell::FromInt(static_cast<int64_t>(
                std::min<qulonglong>(value.toULongLong(), std::numeric_limits<int64_t>::max())));
        case QMetaType::Double:
        case QMetaType::Float:
            return Cell::FromReal(value.toDouble());
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::QChar:
            return Cell::FromText(value.toString());
        case QMetaType::QDate:
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            const QDate d = dt.date();
            const QTime t = dt.time();
            return Cell::FromReal(
                ComposeDateTime(EncodeDate(d.year(), d.month(), d.day()),
                                EncodeTime(t.hour(), t.minute(), t.second(), t.msec())));
        }
        default:
            throw EDatabaseError(
                QStringLiteral("A value of type %1 cannot be stored").arg(value.typeName()));
    }
}

bool ConvertForColumn(const Cell& value, ColumnType type, Cell* out) {
    if (value.kind == Cell::Null) return *out = {}, true;
    switch (type) {
        case ColumnType::Text:
            if (value.kind == Cell::Text) return *out = value, true;
            *out = Cell::FromText(value.kind == Cell::Int ? QString::number(value.i)
                                                          : FloatToStr(value.r));
            return true;
        case ColumnType::DateTime: {
            if (value.kind != Cell::Text)
                return *out = Cell::FromReal(NumberOf(CellView::Of(value), type)), true;
            TDateTime dt = 0;
            if (value.s.trimmed().isEmpty()) return *out = {}, true;
            if (!TryStrToDateTime(value.s, dt)) return false;
            return *out = Cell::FromReal(dt), true;
        }
        case ColumnType::Integer: {
            if (value.kind == Cell::Int) return *out = value, true;
            if (value.kind == Cell::Real) {
                const double r = value.r;
                if (r == std::trunc(r) && std::fabs(r) < 9.0e18)
                    return *out = Cell::FromInt(static_cast<int64_t>(r)), true;
                return *out = value, true;
            }
            const QString t = value.s.trimmed();
            if (t.isEmpty()) return *out = {}, true;
            bool ok = false;
            const qlonglong i = t.toLongLong(&ok);
            if (ok) return *out = Cell::FromInt(i), true;
            double d = 0;
            if (!TryStrToFloat(t, d)) return false;
            return ConvertForColumn(Cell::FromReal(d), type, out);
        }
    }
    return false;
}

}  // namespace ado

namespace {

ado::ColumnType TypeOf(TADOTable::Impl& d, int index) {
    return d.def->columns[index].type;
}

}  // namespace

QString TField::FieldName() const {
    return QLatin1String(table_->d_->def->columns[index_].name);
}

bool TField::IsNull() const {
    return table_->d_->ReadCell(index_).kind == Cell::Null;
}

int TField::AsInteger() const {
    const CellView c = table_->d_->ReadCell(index_);
    if (c.kind == Cell::Int) return ado::SaturatedInt(c.i);
    return ado::SaturatedInt(ado::NumberOf(c, TypeOf(*table_->d_, index_)));
}

QString TField::AsString() const {
    const CellView c = table_->d_->ReadCell(index_);
    const bool isDate = TypeOf(*table_->d_, index_) == ado::ColumnType::DateTime;
    switch (c.kind) {
        case Cell::Null:
            return {};
        case Cell::Int:
            return isDate ? DateTimeToStr(static_cast<double>(c.i)) : QString::number(c.i);
        case Cell::Real:
            return isDate ? DateTimeToStr(c.r) : FloatToStr(c.r);
        case Cell::Text:
            break;
    }
    return c.Text();
}

TDateTime TField::AsDateTime() const {
    const CellView c = table_->d_->ReadCell(index_);
    return ado::NumberOf(c, ado::ColumnType::DateTime);
}

double TField::AsFloat() const {
    const CellView c = table_->d_->ReadCell(index_);
    return ado::NumberOf(c, TypeOf(*table_->d_, index_));
}

QVariant TField::AsVariant() const {
    const CellView c = table_->d_->ReadCell(index_);
    switch (c.kind) {
        case Cell::Null:
            return {};
        case Cell::Int:
            if (TypeOf(*table_->d_, index_) == ado::ColumnType::DateTime)
                return QVariant(static_cast<double>(c.i));
            if (c.i >= INT32_MIN && c.i <= INT32_MAX) return QVariant(static_cast<int>(c.i));
            return QVariant(static_cast<qlonglong>(c.i));
        case Cell::Real:
            return QVariant(c.r);
        case Cell::Text:
            break;
    }
    return QVariant(c.Text());
}

namespace {

void Store(TADOTable::Impl& d, int index, const Cell& value) {
    Cell stored;
    if (!ado::ConvertForColumn(value, TypeOf(d, index), &stored))
        throw EDatabaseError(QStringLiteral("'%1' is not a valid value for field '%2'")
                                 .arg(value.s, d.def->columns[index].name));
    d.WritableCell(index) = std::move(stored);
}

}  // namespace

void TField::SetAsInteger(int value) {
    Store(*table_->d_, index_, Cell::FromInt(value));
}

void TField::SetAsString(const QString& value) {
    Store(*table_->d_, index_, Cell::FromText(value));
}

void TField::SetAsDateTime(TDateTime value) {
    ado::RequireFinite(value);
    Store(*table_->d_, index_, Cell::FromReal(value));
}

void TField::SetAsFloat(double value) {
    ado::RequireFinite(value);
    Store(*table_->d_, index_, Cell::FromReal(value));
}

void TField::SetAsVariant(const QVariant& value) {
    const Cell cell = ado::CellFromVariant(value);
    if (cell.kind == Cell::Real) ado::RequireFinite(cell.r);
    Store(*table_->d_, index_, cell);
}
