#include "widgets/FieldDelegate.h"

#include "engine/Field.h"
#include "widgets/DataGrid.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

#include <limits>

namespace widgets {

namespace {

// Digits within the range of the cell's integer type; a minus sign only
// where the type has negatives.
class CellIntegerValidator : public QValidator {
public:
    CellIntegerValidator(qint64 lo, qint64 hi, QObject* parent) : QValidator(parent), lo_(lo), hi_(hi) {}
    State validate(QString& input, int&) const override
    {
        static const QRegularExpression re(QStringLiteral("^-?[0-9]*$"));
        if (input.isEmpty())
            return Acceptable;
        if (!re.match(input).hasMatch() || (input.startsWith('-') && lo_ >= 0))
            return Invalid;
        if (input == QLatin1String("-"))
            return Intermediate;
        bool ok = false;
        const qint64 v = input.toLongLong(&ok);
        return ok && v >= lo_ && v <= hi_ ? Acceptable : Invalid;
    }

private:
    qint64 lo_, hi_;
};

}  // namespace

QWidget* FieldDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(w);
    const auto* model = qobject_cast<const DatasetModel*>(index.model());
    engine::Field* f = model ? model->columnField(index.column()) : nullptr;
    if (!line || !f)
        return w;
    switch (f->type()) {
    case engine::FieldType::String:
        if (f->size() > 0)
            line->setMaxLength(f->size());
        break;
    case engine::FieldType::Smallint:
        line->setValidator(new CellIntegerValidator(std::numeric_limits<qint16>::min(),
                                                    std::numeric_limits<qint16>::max(), line));
        break;
    case engine::FieldType::Integer:
    case engine::FieldType::AutoInc:
        line->setValidator(new CellIntegerValidator(std::numeric_limits<qint32>::min(),
                                                    std::numeric_limits<qint32>::max(), line));
        break;
    case engine::FieldType::Largeint:
        line->setValidator(new CellIntegerValidator(std::numeric_limits<qint64>::min(),
                                                    std::numeric_limits<qint64>::max(), line));
        break;
    default: break;
    }
    return w;
}

}  // namespace widgets
