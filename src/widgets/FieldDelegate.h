#pragma once

#include "widgets/CellCache.h"

#include <QStyledItemDelegate>

namespace widgets {

// The cell editor of a DataGrid takes only what its field can hold: a text
// stops at the field's size, an integer cell takes digits (and a minus sign
// where the type allows it) and no more of them than the type can hold. A
// keystroke refused beeps and says why next to the cell (EntryFilter.h).
// Cells are drawn as the style draws them and kept for the next repaint
// (CellCache.h).
class FieldDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    qsizetype cellsKept() const { return cells_.size(); }

private:
    mutable CellCache cells_;
};

}  // namespace widgets
