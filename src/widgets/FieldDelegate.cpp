#include "widgets/FieldDelegate.h"

#include "engine/Field.h"
#include "widgets/DataGrid.h"
#include "widgets/EntryFilter.h"
#include "widgets/IntegerValidator.h"

#include <QLineEdit>

namespace widgets {

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
            limitText(line, f->size());
        else
            (new EntryFilter(line))->setText(0);
        break;
    case engine::FieldType::Smallint:
    case engine::FieldType::Integer:
    case engine::FieldType::AutoInc:
    case engine::FieldType::Largeint: {
        qint64 lo, hi;
        engine::integerRange(f->type(), lo, hi);
        (new EntryFilter(line))->setInteger(lo, hi);
        line->setValidator(new IntegerValidator(lo, hi, line));
        break;
    }
    default: break;
    }
    return w;
}

void FieldDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!cells_.paint(p, opt))
        QStyledItemDelegate::paint(p, option, index);
}

}  // namespace widgets
