#pragma once

#include "engine/Database.h"
#include "engine/Dataset.h"

#include <QStringList>
#include <QVariantList>

namespace engine {

class DataSource;

// A cursor over one table, ordered by one of its indexes, with an optional
// master link, range and filter, all pushed into one SELECT.
class Table : public Dataset {
    Q_OBJECT
public:
    explicit Table(Database& db, const QString& tableName = {}, QObject* parent = nullptr);

    Database& database() const { return db_; }
    void setTableName(const QString& name);
    const QString& tableName() const { return table_; }

    // Order: an index by name (letter case ignored) or by leading fields
    // ("Cod comp;Numero"); without either the stored order.
    void setIndexName(const QString& name);
    void setIndexFieldNames(const QString& fields);
    QString indexName() const;
    const IndexInfo* currentIndex() const;

    // Master link: shows the rows whose leading index fields equal the
    // master's fields (";"-separated names) and follows the master.
    void setMaster(DataSource* master, const QString& masterFields);

    // Range on the leading fields of the current index, inclusive.
    void setRange(const QVariantList& start, const QVariantList& end);
    void cancelRange();

    // Filter: an SQL condition such as "equipo =3", "codigo <> 'X'" or
    // "Nombre like '%ñu%'" (like ignores case and accents).
    void setFilter(const QString& filter);
    const QString& filter() const { return filter_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // Moves to the first record whose leading index fields equal the values.
    bool seek(const QVariantList& key);
    bool seek(const QVariant& key) { return seek(QVariantList{key}); }
    // Moves to the first record whose named fields equal the values.
    bool locate(const QString& fields, const QVariantList& values);
    bool locate(const QString& fields, const QVariant& value) { return locate(fields, QVariantList{value}); }

    // Two values of a field of type t are the same value (nulls equal only
    // each other), as the table compares them.
    static bool sameValue(FieldType t, const QVariant& a, const QVariant& b);

    void setReadOnly(bool ro) { readOnly_ = ro; }
    bool readOnly() const override { return readOnly_; }

protected:
    void doOpen() override;
    void doClose() override;
    Bookmark doPost(Row& buffer, bool inserting) override;
    void doDelete(int row) override;
    Bookmark rowBookmark(int row) const override;
    void reread() override;
    bool stale() const override;
    Database* databaseOf() const override { return &db_; }

private:
    void requireClosedOrBrowse(const char* what) const;
    void changeView();          // reads again after a change of range, filter or index
    void readIfChanged();       // reads again when the table was written since the last read
    void masterMoved();
    QVariantList masterValues() const;
    QString orderClause(int fixedParts, bool asStored) const;
    // A part of the view's order that the rows can be put in here.
    struct OrderPart {
        int field;
        bool text;
        bool descending;
        bool caseInsensitive;
    };
    std::vector<OrderPart> textOrder(int fixedParts) const;
    bool readRows(const QString& sql, const QVariantList& binds, const std::vector<OrderPart>& order,
                  std::vector<Row>& rows);
    void inOrder(const std::vector<OrderPart>& order, std::vector<Row>& rows);
    // The key's values of a row, and two rows compared by them.
    Bookmark keyOf(const Row& r) const;
    int compareKeys(const Row& a, const Row& b) const;
    // "k1 = ? AND k2 = ?" over the key's fields; throws for a table without key.
    QString keyCondition() const;
    int findRow(const std::vector<int>& fields, const std::vector<QVariant>& want, bool byIndex);
    void moveToFound(int row);
    static QString keyText(FieldType t, const QVariant& v);
    QString collateFor(const IndexPart& p) const;

    Database& db_;
    QString table_;
    QString indexName_;
    QString indexFields_;
    const TableInfo* info_ = nullptr;
    DataSource* master_ = nullptr;
    QStringList masterFields_;
    QVariantList lastMaster_;
    bool hasRange_ = false;
    QVariantList rangeStart_, rangeEnd_;
    QString filter_;
    bool filtered_ = false;
    bool readOnly_ = false;
    // The fields of the table's key (its unique primary index), which
    // address its rows.
    std::vector<int> keyFields_;
    quint64 seen_ = 0;
    quint64 seenGeneration_ = 0;
    // Rows by the text of their leading index fields, built by a seek.
    QHash<QString, int> keys_;
    int keyParts_ = 0;
};

}  // namespace engine
