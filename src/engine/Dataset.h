#pragma once

#include "engine/DatabaseError.h"
#include "engine/Field.h"

#include <QHash>
#include <QVariantList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace engine {

class Database;

// A cursor over rows: state, current record, navigation, fields by name,
// hooks and change signals. Table and Query fill the rows.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Hook = std::function<void(Dataset&)>;
    // Where a record is: for a table, the values of its key as last read;
    // empty for none.
    using Bookmark = QVariantList;

    explicit Dataset(QObject* parent = nullptr);
    ~Dataset() override;

    // Opening and navigation.
    void open();
    void close();
    bool active() const { return state_ != State::Inactive; }
    void setActive(bool on) { on ? open() : close(); }
    virtual void refresh();   // reads the view again, staying on the same record when it is still there
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return rows_.empty(); }
    int recordCount() const { return int(rows_.size()); }
    int recNo() const { return cur_ + 1; }   // 1-based, 0 when there is no record
    void moveTo(int row);                     // 0-based row of the view
    int currentRow() const { return cur_; }
    Bookmark bookmark() const;
    bool gotoBookmark(Bookmark b);

    // Fields.
    const std::vector<FieldDef>& fieldDefs() const { return defs_; }
    int fieldCount() const { return int(defs_.size()); }
    Field& field(int i) { return *fields_.at(size_t(i)); }
    Field* findField(const QString& name);
    Field& fieldByName(const QString& name);
    int fieldIndex(const QString& name) const;
    QVariant rowValue(int row, int field) const;  // for grids
    // The value the current record has in the file: while it is being
    // edited, the one before the edit; null while inserting.
    QVariant storedValue(const QString& name) const;
    void addCalculatedField(const QString& name, FieldType type, int size = 0);
    FieldMeta& meta(const QString& fieldName);  // kept across open and close

    // Editing.
    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }
    virtual bool readOnly() const { return false; }
    void insert();
    void append() { insert(); }
    void edit();
    void post();
    void cancel();
    void remove();

    // Hooks. A before-delete hook may throw Abort to keep the record.
    Hook onNewRecord;
    Hook beforePost;
    Hook afterPost;
    Hook beforeDelete;
    Hook afterDelete;
    Hook onCalcFields;
    Hook afterScroll;

    // Controls holding typed text not yet in the record register an updater;
    // post() runs every updater first (before the beforePost hook), so all
    // pending text is in the record. An updater that throws stops the post.
    using Updater = std::function<void()>;
    int addUpdater(Updater u);
    void removeUpdater(int id);
    void updateRecord();

    // What a view of the rows needs to redraw only what changed. Every
    // reading of the rows (open, a read again, close) counts one.
    quint64 readCount() const { return reads_; }
    // Counts every new definition of the fields (their objects are new).
    quint64 fieldsVersion() const { return fieldsVersion_; }
    // Rows [first, first + removed) of the reading before the last one were
    // replaced by rows [first, first + inserted) of the last; every other
    // row holds the same values at the same place, shifted by the
    // difference past the change.
    struct RowChange {
        int first = 0;
        int removed = 0;
        int inserted = 0;
    };
    // The change of the last reading; none when it opened or closed the
    // view, defined the fields again or failed.
    const std::optional<RowChange>& lastChange() const { return lastChange_; }

    // Screen updates: while disabled, change signals are held back.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

    // Used by Field.
    QVariant currentValue(int field) const;
    void setCurrentValue(int field, const QVariant& v);

Q_SIGNALS:
    void stateChanged();
    void recordChanged();   // the current record moved or was read again
    void dataChanged();     // the rows were read again (count or contents)
    void fieldChanged(int field);

protected:
    // Fill defs_ (data fields first) and rows_; called by open().
    virtual void doOpen() = 0;
    virtual void doClose() {}
    // Write buf_; return the bookmark of the written row.
    virtual Bookmark doPost(Row& buffer, bool inserting);
    virtual void doDelete(int row);
    virtual Bookmark rowBookmark(int row) const { return {row}; }
    // Read the view again (defs stay) after a write or a change of view.
    virtual void reread() = 0;
    // Whether the view may differ from the file (first() and last() read
    // again only then).
    virtual bool stale() const { return true; }
    // The file the rows come from, when there is one.
    virtual Database* databaseOf() const { return nullptr; }
    // Re-reads and places the cursor on the bookmark, or near where it was.
    void rereadAt(Bookmark b, int fallbackRow);

    void setDefs(std::vector<FieldDef> defs);
    // A reading puts its rows in place of the old ones, which are kept
    // until the reading is done to find what changed.
    void takeRows(std::vector<Row>&& fresh);
    void computeCalcFields(Row& row);
    void afterRead();   // computes calculated fields of every row
    void setPosition(int row);
    void emitRecordChanged();
    void emitDataChanged();
    void ensureActive() const;

    std::vector<FieldDef> defs_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<Row> rows_;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    State state_ = State::Inactive;
    Row buf_;
    int insertAt_ = -1;
    std::vector<FieldDef> calcDefs_;
    QHash<QString, FieldMeta> meta_;
    Row* calcRow_ = nullptr;
    int disabled_ = 0;
    std::vector<std::pair<int, Updater>> updaters_;
    int nextUpdater_ = 1;
    bool pendingRecord_ = false;
    bool pendingData_ = false;
    quint64 reads_ = 0;
    quint64 fieldsVersion_ = 0;
    std::optional<RowChange> lastChange_;
    std::vector<Row> previous_;
};

}  // namespace engine
