#include "engine/Table.h"

#include "engine/Collation.h"
#include "engine/DataSource.h"


#include <algorithm>

namespace engine {

Table::Table(Database& db, const QString& tableName, QObject* parent) : Dataset(parent), db_(db), table_(tableName) {}

void Table::setTableName(const QString& name)
{
    requireClosedOrBrowse("cambiar la tabla");
    table_ = name;
    info_ = nullptr;
}

void Table::requireClosedOrBrowse(const char* what) const
{
    if (isEditing())
        throw DatabaseError(QStringLiteral("No se puede %1 mientras se edita un registro").arg(QString::fromUtf8(what)),
                            DatabaseError::Kind::State);
}

void Table::setIndexName(const QString& name)
{
    requireClosedOrBrowse("cambiar el índice");
    indexName_ = name.trimmed();
    indexFields_.clear();
    if (active()) {
        if (!currentIndex())
            throw DatabaseError(QStringLiteral("La tabla «%1» no tiene el índice «%2»").arg(table_, name));
        changeView();
    }
}

void Table::setIndexFieldNames(const QString& fields)
{
    requireClosedOrBrowse("cambiar el índice");
    indexFields_ = fields.trimmed();
    indexName_.clear();
    if (active()) {
        if (!currentIndex())
            throw DatabaseError(QStringLiteral("La tabla «%1» no tiene un índice por «%2»").arg(table_, fields));
        changeView();
    }
}

const IndexInfo* Table::currentIndex() const
{
    if (!info_)
        return nullptr;
    if (!indexName_.isEmpty())
        return info_->index(indexName_);
    if (!indexFields_.isEmpty())
        return info_->indexForFields(indexFields_.split(';', Qt::SkipEmptyParts));
    return nullptr;
}

QString Table::indexName() const
{
    if (const IndexInfo* ix = currentIndex())
        return ix->name;
    return indexName_;
}

void Table::setMaster(DataSource* master, const QString& masterFields)
{
    requireClosedOrBrowse("cambiar el enlace");
    if (master_)
        disconnect(master_, nullptr, this, nullptr);
    master_ = master;
    masterFields_.clear();
    for (const QString& f : masterFields.split(';', Qt::SkipEmptyParts))
        masterFields_ << f.trimmed();
    if (master_)
        connect(master_, &DataSource::recordChanged, this, &Table::masterMoved);
    lastMaster_.clear();
    if (active())
        changeView();
}

QVariantList Table::masterValues() const
{
    QVariantList vals;
    Dataset* m = master_ ? master_->dataset() : nullptr;
    for (const QString& f : masterFields_) {
        if (!m || !m->active() || (m->currentRow() < 0 && !m->isEditing())) {
            vals << QVariant();
            continue;
        }
        Field* fld = m->findField(f);
        vals << (fld ? fld->value() : QVariant());
    }
    return vals;
}

void Table::masterMoved()
{
    if (!active() || isEditing())
        return;
    const QVariantList now = masterValues();
    if (now == lastMaster_)
        return;
    changeView();
}

void Table::setRange(const QVariantList& start, const QVariantList& end)
{
    requireClosedOrBrowse("poner un rango");
    hasRange_ = true;
    rangeStart_ = start;
    rangeEnd_ = end;
    if (active())
        changeView();
}

void Table::cancelRange()
{
    requireClosedOrBrowse("quitar el rango");
    if (!hasRange_)
        return;
    hasRange_ = false;
    rangeStart_.clear();
    rangeEnd_.clear();
    if (active())
        changeView();
}

void Table::setFilter(const QString& filter)
{
    requireClosedOrBrowse("cambiar el filtro");
    filter_ = filter;
    if (active() && filtered_)
        changeView();
}

void Table::setFiltered(bool on)
{
    requireClosedOrBrowse("cambiar el filtro");
    if (filtered_ == on)
        return;
    filtered_ = on;
    if (active())
        changeView();
}

void Table::changeView()
{
    rereadAt({}, 0);
    setPosition(rows_.empty() ? -1 : 0);
    emitRecordChanged();
    if (afterScroll) afterScroll(*this);
}

void Table::readIfChanged()
{
    if (stale())
        rereadAt(bookmark(), cur_);
}

QString Table::collateFor(const IndexPart& p) const
{
    const int fi = info_->fieldIndex(p.field);
    if (fi < 0 || info_->fields[size_t(fi)].type != FieldType::String)
        return {};
    return QStringLiteral(" COLLATE ") + (p.caseInsensitive ? kCollationNoCase : kCollationCase);
}

QString Table::orderClause(int fixedParts, bool asStored) const
{
    // Leading fields held to one value by the link or the range add nothing
    // to the order; leaving them out lets SQLite walk the index instead of
    // sorting the rows itself. asStored: texts in the index's own order in
    // the file (bytes, or NOCASE), which SQLite reads without sorting.
    QStringList parts;
    const IndexInfo* ix = currentIndex();
    if (ix)
        for (size_t k = size_t(std::max(fixedParts, 0)); k < ix->parts.size(); ++k) {
            const IndexPart& p = ix->parts[k];
            const QString collate = !asStored ? collateFor(p)
                                    : collateFor(p).isEmpty() || !p.caseInsensitive ? QString()
                                                                                    : QStringLiteral(" COLLATE NOCASE");
            parts << quoteIdent(p.field) + collate + (p.descending ? " DESC" : "");
        }
    // Then the key, as the file orders it, so that rows equal in the order
    // stand the same way at every reading.
    for (int f : keyFields_)
        parts << quoteIdent(info_->fields[size_t(f)].name);
    if (parts.isEmpty())
        return {};
    return " ORDER BY " + parts.join(", ");
}

int Table::compareKeys(const Row& a, const Row& b) const
{
    // As the file orders the key's values without a collation of its own:
    // texts by their characters' codes, numbers by value.
    for (int f : keyFields_) {
        const QVariant& va = a[size_t(f)];
        const QVariant& vb = b[size_t(f)];
        if (va.isNull() || vb.isNull()) {
            if (va.isNull() != vb.isNull())
                return va.isNull() ? -1 : 1;
            continue;
        }
        int c = 0;
        if (info_->fields[size_t(f)].type == FieldType::String) {
            const QByteArray x = va.toString().toUtf8(), y = vb.toString().toUtf8();
            c = x < y ? -1 : (y < x ? 1 : 0);
        } else {
            const qint64 x = va.toLongLong(), y = vb.toLongLong();
            c = x < y ? -1 : (x > y ? 1 : 0);
        }
        if (c != 0)
            return c;
    }
    return 0;
}

std::vector<Table::OrderPart> Table::textOrder(int fixedParts) const
{
    // The parts of the order a row can be put in place by here: texts and
    // whole numbers. None when the order has no text (SQLite's order is then
    // the program's) or has a part of any other kind.
    std::vector<OrderPart> order;
    const IndexInfo* ix = currentIndex();
    if (!ix)
        return {};
    bool text = false;
    for (size_t k = size_t(std::max(fixedParts, 0)); k < ix->parts.size(); ++k) {
        const IndexPart& p = ix->parts[k];
        const int fi = info_->fieldIndex(p.field);
        if (fi < 0)
            return {};
        switch (info_->fields[size_t(fi)].type) {
        case FieldType::String: text = true; break;
        case FieldType::Smallint:
        case FieldType::Integer:
        case FieldType::Largeint:
        case FieldType::AutoInc: break;
        default: return {};
        }
        order.push_back({fi, info_->fields[size_t(fi)].type == FieldType::String, p.descending, p.caseInsensitive});
    }
    return text ? order : std::vector<OrderPart>{};
}

void Table::inOrder(const std::vector<OrderPart>& order, std::vector<Row>& rows)
{
    // The program's order: texts by its collation, numbers by value, each
    // part as the index runs, then the key; a total order, so the rows sorted
    // by it stand exactly as SQLite's ORDER BY ... COLLATE would give them.
    auto compare = [&](size_t a, size_t b) {
        for (const OrderPart& p : order) {
            const QVariant& va = rows[a][size_t(p.field)];
            const QVariant& vb = rows[b][size_t(p.field)];
            int c = 0;
            if (p.text) {
                c = collateTexts(va.toString(), vb.toString(), p.caseInsensitive);
            } else {
                const qint64 x = va.toLongLong(), y = vb.toLongLong();
                c = x < y ? -1 : (x > y ? 1 : 0);
            }
            if (c != 0)
                return p.descending ? -c : c;
        }
        return compareKeys(rows[a], rows[b]);
    };
    bool sorted = true;
    for (size_t i = 1; i < rows.size() && sorted; ++i)
        sorted = compare(i - 1, i) < 0;
    if (sorted)
        return;
    std::vector<size_t> at(rows.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = i;
    std::stable_sort(at.begin(), at.end(), [&](size_t a, size_t b) { return compare(a, b) < 0; });
    std::vector<Row> sortedRows;
    sortedRows.reserve(at.size());
    for (size_t i : at)
        sortedRows.push_back(std::move(rows[i]));
    rows = std::move(sortedRows);
}

void Table::doOpen()
{
    if (!db_.isOpen())
        throw DatabaseError(QStringLiteral("La base de datos no está abierta"), DatabaseError::Kind::FileMissing);
    info_ = &db_.tableInfo(table_);
    if ((!indexName_.isEmpty() || !indexFields_.isEmpty()) && !currentIndex())
        throw DatabaseError(QStringLiteral("La tabla «%1» no tiene el índice «%2»")
                                .arg(table_, indexName_.isEmpty() ? indexFields_ : indexName_));
    setDefs(info_->fields);
    // The table's key: the fields of its primary index, which is unique.
    keyFields_.clear();
    if (const IndexInfo* primary = info_->primary())
        for (const IndexPart& p : primary->parts)
            keyFields_.push_back(info_->fieldIndex(p.field));
    lastMaster_.clear();
    reread();
}

void Table::doClose()
{
    keys_.clear();
    keyParts_ = 0;
}

void Table::reread()
{
    QStringList where;
    QVariantList binds;
    const IndexInfo* ix = currentIndex();
    int fixed = 0;  // leading index fields held to one value

    if (master_) {
        lastMaster_ = masterValues();
        if (!ix || int(ix->parts.size()) < masterFields_.size())
            throw DatabaseError(QStringLiteral("El índice de «%1» no sirve para el enlace con su tabla maestra").arg(table_));
        for (int k = 0; k < masterFields_.size(); ++k) {
            if (lastMaster_[k].isNull()) {
                where << "0";
                continue;
            }
            where << quoteIdent(ix->parts[size_t(k)].field) + " = ?";
            binds << lastMaster_[k];
        }
        fixed = int(masterFields_.size());
    }
    if (hasRange_) {
        if (!ix)
            throw DatabaseError(QStringLiteral("Un rango necesita un índice en «%1»").arg(table_));
        const int n = std::min<int>(std::max(rangeStart_.size(), rangeEnd_.size()), int(ix->parts.size()));
        if (rangeStart_ == rangeEnd_ && rangeStart_.size() == n) {
            // A range of one key is an equality on each of its fields.
            for (int k = 0; k < n; ++k) {
                where << quoteIdent(ix->parts[size_t(k)].field) + " = ?";
                binds << rangeStart_[k];
            }
            fixed = std::max(fixed, n);
        } else {
            // Start and end are compared as tuples in the index's order.
            QStringList cols;
            for (int k = 0; k < n; ++k)
                cols << quoteIdent(ix->parts[size_t(k)].field);
            auto tuple = [&](const QVariantList& v, const char* op) {
                if (v.isEmpty()) return;
                QStringList qs;
                for (int k = 0; k < n && k < v.size(); ++k) {
                    qs << "?";
                    binds << v[k];
                }
                const int m = int(qs.size());
                QStringList c = cols.mid(0, m);
                where << "(" + c.join(", ") + ") " + op + " (" + qs.join(", ") + ")";
            };
            const bool desc = !ix->parts.empty() && ix->parts[0].descending;
            tuple(rangeStart_, desc ? "<=" : ">=");
            tuple(rangeEnd_, desc ? ">=" : "<=");
        }
    }
    if (filtered_ && !filter_.trimmed().isEmpty())
        where << "(" + filter_ + ")";

    QStringList cols;
    for (const FieldDef& d : info_->fields)
        cols << quoteIdent(d.name);
    QString sql = "SELECT " + cols.join(", ") + " FROM " + quoteIdent(info_->name);
    if (!where.isEmpty())
        sql += " WHERE " + where.join(" AND ");

    // An order with texts: SQLite would sort every row through the program's
    // collation. Read in the index's own order instead, which it walks
    // without sorting, and put the rows in the program's order here; they
    // nearly always are already. A value this cannot place (empty, or of
    // another type) has the rows read again, sorted by SQLite.
    const std::vector<OrderPart> order = textOrder(fixed);
    std::vector<Row> rows;
    if (order.empty() || !readRows(sql + orderClause(fixed, true), binds, order, rows))
        readRows(sql + orderClause(fixed, false), binds, {}, rows);
    else
        inOrder(order, rows);
    // The view changes only once the whole reading succeeded.
    takeRows(std::move(rows));
    keys_.clear();
    keyParts_ = 0;
    seenGeneration_ = db_.generation();
    seen_ = db_.version(table_);
}

bool Table::readRows(const QString& sql, const QVariantList& binds, const std::vector<OrderPart>& order,
                     std::vector<Row>& rows)
{
    CachedStatement st = db_.prepare(sql);
    for (int i = 0; i < binds.size(); ++i)
        st->bind(i + 1, binds[i]);
    rows.clear();
    const size_t nf = info_->fields.size();
    while (st->step()) {
        for (const OrderPart& p : order)
            if (st->storedType(p.field) != (p.text ? StoredType::Text : StoredType::Integer))
                return false;
        Row r(defs_.size());
        for (size_t i = 0; i < nf; ++i)
            r[i] = st->columnAs(int(i), info_->fields[i].type);
        rows.push_back(std::move(r));
    }
    return true;
}

bool Table::stale() const
{
    // Calculated fields may show what other tables hold.
    return calcDefs_.empty() ? db_.version(table_) != seen_ : db_.generation() != seenGeneration_;
}

Dataset::Bookmark Table::keyOf(const Row& r) const
{
    Bookmark key;
    for (int f : keyFields_)
        key << r[size_t(f)];
    return key;
}

Dataset::Bookmark Table::rowBookmark(int row) const
{
    if (row < 0 || row >= int(rows_.size()))
        return {};
    return keyOf(rows_[size_t(row)]);
}

QString Table::keyCondition() const
{
    if (keyFields_.empty())
        throw DatabaseError(QStringLiteral("La tabla «%1» no tiene clave: sus registros no se pueden cambiar").arg(table_),
                            DatabaseError::Kind::State);
    QStringList parts;
    for (int f : keyFields_)
        parts << quoteIdent(info_->fields[size_t(f)].name) + " = ?";
    return parts.join(" AND ");
}

Dataset::Bookmark Table::doPost(Row& buf, bool inserting)
{
    db_.beforeWrite();
    const size_t nf = info_->fields.size();
    QStringList names, marks;
    QVariantList vals;
    int autoField = -1;
    for (size_t i = 0; i < nf; ++i) {
        const FieldDef& d = info_->fields[i];
        if (d.type == FieldType::AutoInc) {
            autoField = int(i);
            if (inserting && buf[i].isNull())
                continue;
        }
        names << quoteIdent(d.name);
        marks << "?";
        vals << buf[i];
    }
    if (inserting) {
        CachedStatement st = db_.prepare("INSERT INTO " + quoteIdent(info_->name) + " (" + names.join(", ") +
                                         ") VALUES (" + marks.join(", ") + ")");
        for (int i = 0; i < vals.size(); ++i)
            st->bind(i + 1, vals[i]);
        st->step();
        if (autoField >= 0 && buf[size_t(autoField)].isNull())
            buf[size_t(autoField)] = QVariant(st->insertedKey());
    } else {
        // The row as it was read, by its key: a key changed in the edit is
        // written over the one it had.
        const Bookmark was = rowBookmark(cur_);
        QStringList sets;
        for (const QString& n : names)
            sets << n + " = ?";
        CachedStatement st =
            db_.prepare("UPDATE " + quoteIdent(info_->name) + " SET " + sets.join(", ") + " WHERE " + keyCondition());
        int i = 0;
        for (; i < vals.size(); ++i)
            st->bind(i + 1, vals[i]);
        for (const QVariant& k : was)
            st->bind(++i, k);
        st->step();
        // The row read may have gone since (another program deleted it):
        // an update that reaches no row has stored nothing.
        if (st->changes() == 0)
            throw DatabaseError(QStringLiteral("El registro ya no está en el fichero: otro programa lo ha borrado"),
                                DatabaseError::Kind::RowChanged);
    }
    db_.touch(table_);
    return keyOf(buf);
}

void Table::doDelete(int row)
{
    db_.beforeWrite();
    CachedStatement st = db_.prepare("DELETE FROM " + quoteIdent(info_->name) + " WHERE " + keyCondition());
    int i = 0;
    for (const QVariant& k : rowBookmark(row))
        st->bind(++i, k);
    st->step();
    db_.touch(table_);
}

bool Table::sameValue(FieldType t, const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    switch (t) {
    case FieldType::String: return a.toString() == b.toString();
    case FieldType::Date: return a.toDate() == b.toDate();
    case FieldType::Float: return a.toDouble() == b.toDouble();
    case FieldType::Boolean: return a.toBool() == b.toBool();
    default: return a.toLongLong() == b.toLongLong();
    }
}

QString Table::keyText(FieldType t, const QVariant& v)
{
    // Equal texts exactly when sameValue holds (a NaN aside, which a key
    // never is).
    if (v.isNull())
        return QStringLiteral("\x01N");
    switch (t) {
    case FieldType::String: {
        const QString t = v.toString();
        return QStringLiteral("\x01S") + QString::number(t.size()) + ':' + t;
    }
    case FieldType::Date: return QStringLiteral("\x01D") + QString::number(v.toDate().toJulianDay());
    case FieldType::Float: {
        const double d = v.toDouble();
        return QStringLiteral("\x01F") + QString::number(d == 0 ? 0.0 : d, 'g', 17);
    }
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("\x01B1") : QStringLiteral("\x01B0");
    default: return QStringLiteral("\x01I") + QString::number(v.toLongLong());
    }
}

int Table::findRow(const std::vector<int>& idx, const std::vector<QVariant>& want, bool byIndex)
{
    // Small views are scanned; a large one is looked up by its index's
    // leading fields through a map built once per read.
    if (!byIndex || rows_.size() <= 32) {
        for (int r = 0; r < int(rows_.size()); ++r) {
            bool ok = true;
            for (size_t k = 0; k < idx.size() && ok; ++k)
                ok = sameValue(defs_[size_t(idx[k])].type, rows_[size_t(r)][size_t(idx[k])], want[k]);
            if (ok)
                return r;
        }
        return -1;
    }
    auto keyOf = [&](auto value) {
        QString key;
        for (size_t k = 0; k < idx.size(); ++k)
            key += keyText(defs_[size_t(idx[k])].type, value(k));
        return key;
    };
    if (keyParts_ != int(idx.size())) {
        keys_.clear();
        keys_.reserve(qsizetype(rows_.size()));
        for (int r = 0; r < int(rows_.size()); ++r) {
            const QString key = keyOf([&](size_t k) { return rows_[size_t(r)][size_t(idx[k])]; });
            if (!keys_.contains(key))  // the first row of equal keys is the one found
                keys_.insert(key, r);
        }
        keyParts_ = int(idx.size());
    }
    return keys_.value(keyOf([&](size_t k) { return want[k]; }), -1);
}

void Table::moveToFound(int r)
{
    setPosition(r);
    emitRecordChanged();
    if (afterScroll) afterScroll(*this);
}

bool Table::seek(const QVariantList& key)
{
    ensureActive();
    const IndexInfo* ix = currentIndex();
    if (!ix)
        throw DatabaseError(QStringLiteral("Para buscar en «%1» hace falta un índice").arg(table_));
    if (key.isEmpty() || key.size() > int(ix->parts.size()))
        throw DatabaseError(QStringLiteral("La búsqueda en «%1» lleva %2 valores y el índice tiene %3 campos")
                                .arg(table_).arg(key.size()).arg(ix->parts.size()));
    if (isEditing())
        post();
    readIfChanged();
    std::vector<int> idx;
    std::vector<QVariant> want;
    for (int k = 0; k < key.size(); ++k) {
        const int fi = fieldIndex(ix->parts[size_t(k)].field);
        idx.push_back(fi);
        QVariant v;
        try {
            v = field(fi).convert(key[k]);
        } catch (const DatabaseError&) {
            return false;  // a value that cannot be in the field matches nothing
        }
        want.push_back(v);
    }
    const int r = findRow(idx, want, true);
    if (r < 0)
        return false;
    moveToFound(r);
    return true;
}

bool Table::locate(const QString& fields, const QVariantList& values)
{
    ensureActive();
    const QStringList names = fields.split(';', Qt::SkipEmptyParts);
    if (names.size() != values.size())
        throw DatabaseError(QStringLiteral("La búsqueda por «%1» necesita %2 valores").arg(fields).arg(names.size()));
    std::vector<int> idx;
    std::vector<QVariant> want;
    for (int k = 0; k < names.size(); ++k) {
        Field& f = fieldByName(names[k].trimmed());
        idx.push_back(f.index());
        QVariant v;
        try {
            v = f.convert(values[k]);
        } catch (const DatabaseError&) {
            return false;
        }
        want.push_back(v);
    }
    if (isEditing())
        post();
    readIfChanged();
    const int r = findRow(idx, want, false);
    if (r < 0)
        return false;
    moveToFound(r);
    return true;
}

}  // namespace engine
