#pragma once

#include "engine/DataSource.h"
#include "engine/Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

#include <optional>

namespace widgets {

// One column of a DataGrid.
struct GridColumn {
    QString field;          // field name in the dataset
    QString title;          // empty: the field's display label
    QString format;         // number pattern ("#,##0"); empty: the field's display format
    int alignment = 0;      // Qt::Alignment bits; 0: the field's, else numbers right, text left
    int width = 0;          // in characters; 0: the field's display width, else automatic
    bool readOnly = false;  // never edited in place

    GridColumn() = default;
    GridColumn(QString f, QString t = {}, QString fmt = {}, int align = 0, int w = 0)
        : field(std::move(f)), title(std::move(t)), format(std::move(fmt)), alignment(align), width(w) {}
};

// The rows of a dataset as a table model. While a record is being inserted
// it appears as an extra row at the place of insertion.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    void setDataSource(engine::DataSource* source);
    engine::DataSource* dataSource() const { return source_; }
    engine::Dataset* dataset() const { return source_ ? source_->dataset() : nullptr; }
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return columns_; }
    void setReadOnly(bool on) { readOnly_ = on; }
    bool readOnly() const { return readOnly_; }

    // The model row of the dataset's current record (-1 when none).
    int currentModelRow() const;
    // The dataset row shown on a model row (-1 for the row being inserted).
    int datasetRow(int modelRow) const;
    engine::Field* columnField(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Called when the dataset changed: inserts, removes and repaints only
    // the rows that changed since the last call, or starts again when that
    // is not known.
    void sync();

    // While set, a refused value is kept here instead of being shown, so a
    // post that asked for it can stop with that error.
    void holdRefusals(bool on) { holdRefusals_ = on; held_.reset(); }
    std::optional<engine::DatabaseError> takeRefusal() { auto e = std::move(held_); held_.reset(); return e; }

private:
    int insertRow() const;
    QVariant value(int modelRow, int column) const;
    QList<GridColumn> effectiveColumns() const;

    bool sameColumnsAs(const QList<GridColumn>& columns) const;
    void setShown(const QList<GridColumn>& columns);
    bool followChange(engine::Dataset& ds, int insertAt, int editing);
    void rowsChanged(int first, int last);

    QPointer<engine::DataSource> source_;
    QList<GridColumn> columns_;
    QList<GridColumn> shown_;
    bool readOnly_ = true;
    int rows_ = 0;
    // What the rows showed at the last sync: the dataset and its reading,
    // the row being inserted and the row being edited (-1 for none).
    QPointer<engine::Dataset> synced_;
    quint64 syncedRead_ = 0;
    int syncedInsert_ = -1;
    int syncedEdit_ = -1;
    // The field index of each shown column, for the dataset's present fields.
    mutable std::vector<int> fieldOf_;
    mutable QPointer<engine::Dataset> fieldsOf_;
    mutable quint64 fieldsVersion_ = 0;
    bool holdRefusals_ = false;
    std::optional<engine::DatabaseError> held_;
};

// A grid over a dataset: whole-row selection, the grid's current row and the
// dataset's current record follow each other, refreshed on every change of
// the dataset. Tab and Shift+Tab leave the grid (in a cell editor they go
// from cell to cell of the record first); the arrows move inside it. Edited in place unless read-only: editing starts as the data
// source's autoEdit says (with autoEdit off only a record already being
// edited can be changed). Failures are reported through userDialogs().
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    DataGrid(engine::DataSource* source, const QList<GridColumn>& columns, QWidget* parent = nullptr);
    ~DataGrid() override;

    void setDataSource(engine::DataSource* source);
    engine::DataSource* dataSource() const { return model_.dataSource(); }
    // No columns: every field of the dataset.
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return model_.columns(); }
    void setReadOnly(bool on);
    bool isReadOnly() const { return model_.readOnly(); }
    void setTitlesVisible(bool on);
    // Ctrl+Delete deletes the current record; with confirm, after the
    // toolkit's "¿Borrar el registro?" question.
    void setCtrlDeleteEnabled(bool on, bool confirm = true);

    DatasetModel* datasetModel() { return &model_; }
    // Shown text of a cell, as the user sees it.
    QString cellText(int row, int column) const;

    // Writes an in-place edit still open into the record.
    void updateRecord();

    // After rows were only inserted or removed, the view is laid out again
    // and drawn from the first row inserted, removed or changed down, not whole.
    void doItemsLayout() override;
    // A cell editor is open.
    bool cellEditorOpen() const { return state() == EditingState; }

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void followDataset();
    QWidget* openEditor() const;
    void applyWidths();
    void connectSource();

    DatasetModel model_;
    QPointer<engine::Dataset> registered_;
    int updaterId_ = 0;
    bool syncing_ = false;
    // The first row inserted or removed since the last layout (-1: none),
    // the first row whose contents changed (-1: none), and whether anything
    // else asks for the whole view to be drawn.
    int changedFrom_ = -1;
    int dirtyFrom_ = -1;
    // The rows' scroll offset when the view was last laid out.
    int laidOutOffset_ = 0;
    bool wholeLayout_ = false;
    bool ctrlDelete_ = false;
    bool confirmDelete_ = true;
    QMetaObject::Connection c1_, c2_, c3_;
};

}  // namespace widgets
