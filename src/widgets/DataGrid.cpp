#include "widgets/DataGrid.h"

#include "data/Dialogs.h"
#include "engine/Format.h"
#include "engine/ScopeGuard.h"
#include "widgets/FieldDelegate.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

namespace widgets {

using engine::Dataset;
using engine::Field;
using engine::FieldType;

namespace {

bool isNumber(FieldType t) { return engine::isIntegerType(t) || t == FieldType::Float; }

QString shownText(const Field& f, const GridColumn& c, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (!c.format.isEmpty() && isNumber(f.type())) {
        if (f.type() == FieldType::Float)
            return engine::formatNumber(c.format, v.toDouble());
        return engine::formatNumber(c.format, v.toLongLong());
    }
    return f.displayTextOf(v);
}

QString editText(const Field& f, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (f.type()) {
    case FieldType::Date: return f.displayTextOf(v);
    case FieldType::Boolean: return f.displayTextOf(v);
    case FieldType::Float: return QString::number(v.toDouble(), 'g', 15);
    default: return v.toString();
    }
}

}  // namespace

// ---- DatasetModel ----

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataSource(engine::DataSource* source)
{
    beginResetModel();
    source_ = source;
    setShown(effectiveColumns());
    rows_ = 0;
    synced_ = nullptr;
    endResetModel();
    sync();
}

void DatasetModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    columns_ = columns;
    setShown(effectiveColumns());
    endResetModel();
}

void DatasetModel::setShown(const QList<GridColumn>& columns)
{
    shown_ = columns;
    fieldsOf_ = nullptr;
}

bool DatasetModel::sameColumnsAs(const QList<GridColumn>& columns) const
{
    if (columns.size() != shown_.size())
        return false;
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].field != shown_[i].field)
            return false;
    return true;
}

QList<GridColumn> DatasetModel::effectiveColumns() const
{
    if (!columns_.isEmpty())
        return columns_;
    QList<GridColumn> all;
    Dataset* ds = dataset();
    if (ds && ds->active())
        for (const engine::FieldDef& d : ds->fieldDefs())
            all << GridColumn(d.name);
    return all;
}

int DatasetModel::insertRow() const
{
    Dataset* ds = dataset();
    if (!ds || ds->state() != Dataset::State::Insert)
        return -1;
    return std::max(ds->currentRow(), 0);
}

int DatasetModel::currentModelRow() const
{
    Dataset* ds = dataset();
    if (!ds || !ds->active())
        return -1;
    const int ins = insertRow();
    return ins >= 0 ? ins : ds->currentRow();
}

int DatasetModel::datasetRow(int modelRow) const
{
    const int ins = insertRow();
    if (ins < 0)
        return modelRow;
    if (modelRow == ins)
        return -1;
    return modelRow > ins ? modelRow - 1 : modelRow;
}

engine::Field* DatasetModel::columnField(int column) const
{
    Dataset* ds = dataset();
    if (!ds || !ds->active() || column < 0 || column >= shown_.size())
        return nullptr;
    // Looked up by name once per definition of the fields, not per cell.
    if (fieldsOf_ != ds || fieldsVersion_ != ds->fieldsVersion()) {
        fieldOf_.clear();
        for (const GridColumn& c : shown_)
            fieldOf_.push_back(ds->fieldIndex(c.field));
        fieldsOf_ = ds;
        fieldsVersion_ = ds->fieldsVersion();
    }
    const int i = fieldOf_[size_t(column)];
    return i < 0 ? nullptr : &ds->field(i);
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int DatasetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(shown_.size()); }

QVariant DatasetModel::value(int modelRow, int column) const
{
    Field* f = columnField(column);
    if (!f || modelRow < 0 || modelRow >= rows_)
        return {};
    Dataset* ds = dataset();
    const int dr = datasetRow(modelRow);
    if (dr < 0)
        return ds->currentValue(f->index());
    return ds->rowValue(dr, f->index());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    Field* f = columnField(index.column());
    if (!f)
        return {};
    const GridColumn& c = shown_[index.column()];
    switch (role) {
    case Qt::DisplayRole: return shownText(*f, c, value(index.row(), index.column()));
    case Qt::EditRole: return editText(*f, value(index.row(), index.column()));
    case Qt::TextAlignmentRole: {
        int a = c.alignment ? c.alignment : f->meta().alignment;
        if (!a)
            a = int(isNumber(f->type()) ? Qt::AlignRight : Qt::AlignLeft);
        if (!(a & Qt::AlignVertical_Mask))
            a |= Qt::AlignVCenter;
        return a;
    }
    default: return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= shown_.size())
        return QAbstractTableModel::headerData(section, o, role);
    const GridColumn& c = shown_[section];
    if (!c.title.isEmpty())
        return c.title;
    if (Field* f = columnField(section))
        return f->displayLabel();
    return c.field;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    Field* f = columnField(index.column());
    Dataset* ds = dataset();
    if (!readOnly_ && f && !f->isCalculated() && !ds->readOnly() && !shown_[index.column()].readOnly)
        fl |= Qt::ItemIsEditable;
    return fl;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Dataset* ds = dataset();
    Field* f = columnField(index.column());
    if (!ds || !f || !ds->isEditing() || index.row() != currentModelRow())
        return false;
    if (holdRefusals_) {
        try {
            f->setAsString(value.toString());
            return true;
        } catch (const engine::DatabaseError& e) {
            held_ = e;
            return false;
        }
    }
    return guarded([&] { f->setAsString(value.toString()); });
}

void DatasetModel::sync()
{
    Dataset* ds = dataset();
    const bool active = ds && ds->active();
    const int insertAt = active ? insertRow() : -1;
    const int editing = active && ds->state() == Dataset::State::Edit ? ds->currentRow() : -1;
    const int count = active ? ds->recordCount() + (insertAt >= 0 ? 1 : 0) : 0;
    const QList<GridColumn> cols = effectiveColumns();
    const bool sameColumns = sameColumnsAs(cols);
    if (!(active && sameColumns && synced_ == ds && followChange(*ds, insertAt, editing) && rows_ == count)) {
        if (count != rows_ || !sameColumns) {
            beginResetModel();
            rows_ = count;
            setShown(cols);
            endResetModel();
        } else if (rows_ > 0 && !shown_.isEmpty()) {
            rowsChanged(0, rows_ - 1);
        }
    }
    synced_ = active ? ds : nullptr;
    syncedRead_ = active ? ds->readCount() : 0;
    syncedInsert_ = insertAt;
    syncedEdit_ = editing;
}

void DatasetModel::rowsChanged(int first, int last)
{
    Q_EMIT dataChanged(index(first, 0), index(last, int(shown_.size()) - 1));
}

// Brings the rows from what the last sync showed to what the dataset holds
// now, row by row; false when that is not known and the caller starts again.
bool DatasetModel::followChange(Dataset& ds, int insertAt, int editing)
{
    const bool read = ds.readCount() != syncedRead_;
    if (read && (ds.readCount() != syncedRead_ + 1 || !ds.lastChange()))
        return false;
    // The row being inserted leaves first; the other rows are then those of
    // the reading before.
    if (syncedInsert_ >= 0 && (read || syncedInsert_ != insertAt)) {
        beginRemoveRows({}, syncedInsert_, syncedInsert_);
        --rows_;
        syncedInsert_ = -1;
        endRemoveRows();
    }
    if (read) {
        const Dataset::RowChange c = *ds.lastChange();
        if (c.first < 0 || c.first + c.removed > rows_ || rows_ - c.removed + c.inserted != ds.recordCount())
            return false;
        const int same = std::min(c.removed, c.inserted);
        if (c.removed > same) {
            beginRemoveRows({}, c.first + same, c.first + c.removed - 1);
            rows_ -= c.removed - same;
            endRemoveRows();
        } else if (c.inserted > same) {
            beginInsertRows({}, c.first + same, c.first + c.inserted - 1);
            rows_ += c.inserted - same;
            endInsertRows();
        }
        if (same > 0)
            rowsChanged(c.first, c.first + same - 1);
    } else if (syncedEdit_ >= 0 && syncedEdit_ != editing && syncedEdit_ < rows_) {
        // An edit given up or left: the row shows its stored values again.
        rowsChanged(syncedEdit_, syncedEdit_);
    }
    if (insertAt >= 0) {
        if (syncedInsert_ == insertAt) {
            rowsChanged(insertAt, insertAt);  // what is typed into it
        } else {
            beginInsertRows({}, insertAt, insertAt);
            ++rows_;
            endInsertRows();
        }
    }
    if (editing >= 0 && editing < rows_)
        rowsChanged(editing, editing);
    return true;
}

// ---- DataGrid ----

DataGrid::DataGrid(QWidget* parent) : QTableView(parent)
{
    setModel(&model_);
    setItemDelegate(new FieldDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    setReadOnly(true);
    // Tab and Shift+Tab go to the next and previous control; the arrows move
    // inside the grid, so moving the focus never changes the current record.
    setTabKeyNavigation(false);
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        wholeLayout_ = true;
        applyWidths();
        followDataset();
    });
    auto rowsMoved = [this](const QModelIndex&, int first, int) {
        changedFrom_ = changedFrom_ < 0 ? first : std::min(changedFrom_, first);
    };
    connect(&model_, &QAbstractItemModel::rowsInserted, this, rowsMoved);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, rowsMoved);
}

void DataGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    // While a layout is pending the toolkit draws nothing for changed rows,
    // counting on the layout to draw the whole view; this one draws from its
    // first changed row down, so the changed rows must count among them (a
    // team's lines shown in place of another's, with fewer or more rows).
    QTableView::dataChanged(topLeft, bottomRight, roles);
    if (topLeft.isValid())
        dirtyFrom_ = dirtyFrom_ < 0 ? topLeft.row() : std::min(dirtyFrom_, topLeft.row());
}

void DataGrid::doItemsLayout()
{
    int from = changedFrom_;
    const bool whole = wholeLayout_ || from < 0;
    if (dirtyFrom_ >= 0)
        from = std::min(from, dirtyFrom_);
    changedFrom_ = -1;
    dirtyFrom_ = -1;
    wholeLayout_ = false;
    const int offset = verticalOffset();
    if (whole || offset != laidOutOffset_) {
        QTableView::doItemsLayout();
        laidOutOffset_ = verticalOffset();
        return;
    }
    // What the toolkit's layout does, but for drawing everything: the rows
    // above the change did not move, unless the rows scrolled, here or since
    // the last layout (the header's offset moves with rows added or removed
    // without the viewport's pixels being moved alike).
    updateGeometries();
    if (!verticalHeader()->updatesEnabled())
        verticalHeader()->setUpdatesEnabled(true);
    laidOutOffset_ = verticalOffset();
    if (laidOutOffset_ != offset) {
        viewport()->update();
        return;
    }
    const int rows = model_.rowCount();
    int top = 0;
    if (from < rows)
        top = rowViewportPosition(from);
    else if (rows > 0)
        top = rowViewportPosition(rows - 1) + rowHeight(rows - 1);
    top = std::max(top, 0);
    viewport()->update(QRect(0, top, viewport()->width(), std::max(viewport()->height() - top, 0)));
}

DataGrid::DataGrid(engine::DataSource* source, const QList<GridColumn>& columns, QWidget* parent) : DataGrid(parent)
{
    setColumns(columns);
    setDataSource(source);
}

DataGrid::~DataGrid()
{
    if (registered_)
        registered_->removeUpdater(updaterId_);
}

void DataGrid::setDataSource(engine::DataSource* source)
{
    for (auto* c : {&c1_, &c2_, &c3_})
        disconnect(*c);
    if (registered_)
        registered_->removeUpdater(updaterId_);
    registered_ = nullptr;
    model_.setDataSource(source);
    if (source) {
        auto resync = [this] {
            // Rows inserted or removed by the dataset move the view's current
            // index; that is not the user choosing another record.
            {
                syncing_ = true;
                const engine::ScopeGuard done{[this] { syncing_ = false; }};
                model_.sync();
            }
            followDataset();
        };
        c1_ = connect(source, &engine::DataSource::recordChanged, this, resync);
        c2_ = connect(source, &engine::DataSource::stateChanged, this, [this, resync] {
            // A record posted or cancelled elsewhere ends the cell edit.
            Dataset* ds = model_.dataset();
            if (state() == EditingState && (!ds || !ds->isEditing()))
                if (QWidget* w = openEditor())
                    closeEditor(w, QAbstractItemDelegate::NoHint);
            resync();
        });
        c3_ = connect(source, &engine::DataSource::dataChanged, this, resync);
        if (Dataset* ds = source->dataset()) {
            registered_ = ds;
            updaterId_ = ds->addUpdater([this] { updateRecord(); });
        }
    }
    applyWidths();
    followDataset();
}

void DataGrid::setColumns(const QList<GridColumn>& columns)
{
    model_.setColumns(columns);
    model_.sync();
    applyWidths();
    followDataset();
}

void DataGrid::setReadOnly(bool on)
{
    model_.setReadOnly(on);
    setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
}

void DataGrid::setTitlesVisible(bool on) { horizontalHeader()->setVisible(on); }

void DataGrid::setCtrlDeleteEnabled(bool on, bool confirm)
{
    ctrlDelete_ = on;
    confirmDelete_ = confirm;
}

QString DataGrid::cellText(int row, int column) const
{
    return model_.data(model_.index(row, column), Qt::DisplayRole).toString();
}

void DataGrid::applyWidths()
{
    const int charW = fontMetrics().averageCharWidth();
    const QList<GridColumn>& cols = model_.columns();
    for (int i = 0; i < model_.columnCount(); ++i) {
        int w = i < cols.size() ? cols[i].width : 0;
        if (!w)
            if (Field* f = model_.columnField(i))
                w = f->meta().displayWidth;
        if (w > 0)
            setColumnWidth(i, w * charW + 10);
    }
}

void DataGrid::followDataset()
{
    syncing_ = true;
    const int r = model_.currentModelRow();
    if (r >= 0 && r < model_.rowCount()) {
        const int col = std::max(currentIndex().column(), 0);
        const QModelIndex target = model_.index(r, std::min(col, std::max(model_.columnCount() - 1, 0)));
        if (currentIndex() != target)
            setCurrentIndex(target);
        if (!selectionModel()->isRowSelected(r, {}))
            selectRow(r);
    } else {
        clearSelection();
    }
    syncing_ = false;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid())
        return;
    Dataset* ds = model_.dataset();
    if (!ds || !ds->active() || current.row() == model_.currentModelRow())
        return;
    const int target = model_.datasetRow(current.row());
    if (target < 0)
        return;
    // Leaving a record posts it; a refusal keeps the grid on that record.
    guarded([&] {
        if (ds->isEditing())
            ds->post();
        ds->moveTo(std::min(target, ds->recordCount() - 1));
    });
    followDataset();
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool wouldEdit = index.isValid() && (model_.flags(index) & Qt::ItemIsEditable) &&
                           (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger));
    if (wouldEdit) {
        Dataset* ds = model_.dataset();
        if (index.row() != model_.currentModelRow())
            return false;
        if (!ds->isEditing()) {
            if (!model_.dataSource()->autoEdit)
                return false;
            if (!guarded([ds] { ds->edit(); }) || !ds->isEditing())
                return false;
        }
    }
    return QTableView::edit(index, trigger, event);
}

void DataGrid::keyPressEvent(QKeyEvent* e)
{
    Dataset* ds = model_.dataset();
    if (ctrlDelete_ && e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier) && ds && ds->active()) {
        e->accept();
        if (ds->isEmpty() && !ds->isEditing())
            return;
        if (confirmDelete_ && !userDialogs().confirm(QStringLiteral("¿Borrar el registro?")))
            return;
        guarded([ds] { ds->remove(); });
        return;
    }
    if (e->key() == Qt::Key_Escape && !isReadOnly() && ds && ds->isEditing() && state() != EditingState) {
        e->accept();
        guarded([ds] { ds->cancel(); });
        return;
    }
    QTableView::keyPressEvent(e);
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab in a cell editor goes to the next cell of the same record; from the
    // last cell (Shift+Tab: the first) the focus leaves the grid.
    if (hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    const bool forward = hint == QAbstractItemDelegate::EditNextItem;
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex at = currentIndex();
    const int column = at.column() + (forward ? 1 : -1);
    if (at.isValid() && column >= 0 && column < model_.columnCount()) {
        const QModelIndex next = model_.index(at.row(), column);
        setCurrentIndex(next);
        if (model_.flags(next) & Qt::ItemIsEditable)
            edit(next, AllEditTriggers, nullptr);
        return;
    }
    setFocus();
    focusNextPrevChild(forward);
}

QWidget* DataGrid::openEditor() const
{
    // The open cell editor is the viewport's visible child.
    for (QWidget* c : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisible())
            return c;
    return nullptr;
}

void DataGrid::updateRecord()
{
    if (state() != EditingState)
        return;
    QWidget* w = openEditor();
    if (!w)
        return;
    // A refused cell stops the post with its error; the editor stays open.
    model_.holdRefusals(true);
    commitData(w);
    std::optional<engine::DatabaseError> refused = model_.takeRefusal();
    model_.holdRefusals(false);
    if (refused)
        throw *refused;
}

}  // namespace widgets
