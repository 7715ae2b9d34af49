#include "engine/Dataset.h"

#include "engine/Database.h"

#include <algorithm>

namespace engine {

Dataset::Dataset(QObject* parent) : QObject(parent) {}
Dataset::~Dataset() = default;

void Dataset::ensureActive() const
{
    if (state_ == State::Inactive)
        throw DatabaseError(QStringLiteral("El conjunto de datos está cerrado"), DatabaseError::Kind::State);
}

void Dataset::setDefs(std::vector<FieldDef> defs)
{
    for (const FieldDef& c : calcDefs_)
        defs.push_back(c);
    defs_ = std::move(defs);
    ++fieldsVersion_;
    fields_.clear();
    for (int i = 0; i < int(defs_.size()); ++i)
        fields_.push_back(std::make_unique<Field>(this, i));
}

void Dataset::takeRows(std::vector<Row>&& fresh)
{
    previous_ = std::move(rows_);
    rows_ = std::move(fresh);
}

namespace {

bool sameRow(const Row& a, const Row& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].isNull() != b[i].isNull() || a[i] != b[i])
            return false;
    return true;
}

// The one stretch of rows that differs between two readings: what the
// leading and the trailing equal rows leave.
Dataset::RowChange changeBetween(const std::vector<Row>& before, const std::vector<Row>& after)
{
    const size_t shorter = std::min(before.size(), after.size());
    size_t head = 0;
    while (head < shorter && sameRow(before[head], after[head]))
        ++head;
    size_t tail = 0;
    while (tail < shorter - head && sameRow(before[before.size() - 1 - tail], after[after.size() - 1 - tail]))
        ++tail;
    return {int(head), int(before.size() - head - tail), int(after.size() - head - tail)};
}

}  // namespace

void Dataset::addCalculatedField(const QString& name, FieldType type, int size)
{
    FieldDef d;
    d.name = name;
    d.type = type;
    d.size = size;
    d.calculated = true;
    calcDefs_.push_back(d);
}

FieldMeta& Dataset::meta(const QString& fieldName) { return meta_[fieldName.toLower()]; }

void Dataset::open()
{
    if (active())
        return;
    ++reads_;
    lastChange_.reset();
    {
        Database::Operation reading(databaseOf());
        doOpen();
        state_ = State::Browse;
        afterRead();
    }
    previous_.clear();
    setPosition(rows_.empty() ? -1 : 0);
    Q_EMIT stateChanged();
    emitDataChanged();
    emitRecordChanged();
    if (afterScroll)
        afterScroll(*this);
}

void Dataset::close()
{
    if (!active())
        return;
    state_ = State::Inactive;
    doClose();
    rows_.clear();
    ++reads_;
    lastChange_.reset();
    buf_.clear();
    cur_ = -1;
    eof_ = bof_ = true;
    Q_EMIT stateChanged();
    emitDataChanged();
    emitRecordChanged();
}

void Dataset::refresh()
{
    ensureActive();
    if (isEditing())
        throw DatabaseError(QStringLiteral("No se puede releer mientras se edita un registro"), DatabaseError::Kind::State);
    rereadAt(bookmark(), cur_);
}

void Dataset::rereadAt(Bookmark b, int fallbackRow)
{
    // Counted before reading: should the reading fail, no change is known
    // and a view of the rows starts again.
    ++reads_;
    lastChange_.reset();
    previous_.clear();
    {
        Database::Operation reading(databaseOf());
        const quint64 fields = fieldsVersion_;
        const size_t before = rows_.size();
        reread();
        afterRead();
        if (fields == fieldsVersion_ && previous_.size() == before)
            lastChange_ = changeBetween(previous_, rows_);
        previous_.clear();
    }
    int row = -1;
    if (!b.isEmpty()) {
        for (int i = 0; i < int(rows_.size()); ++i)
            if (rowBookmark(i) == b) { row = i; break; }
    }
    if (row < 0 && !rows_.empty())
        row = std::clamp(fallbackRow, 0, int(rows_.size()) - 1);
    setPosition(row);
    emitDataChanged();
    emitRecordChanged();
}

void Dataset::afterRead()
{
    if (calcDefs_.empty() || !onCalcFields)
        return;
    for (Row& r : rows_)
        computeCalcFields(r);
}

void Dataset::computeCalcFields(Row& row)
{
    if (calcDefs_.empty())
        return;
    row.resize(defs_.size());
    const size_t firstCalc = defs_.size() - calcDefs_.size();
    for (size_t i = firstCalc; i < defs_.size(); ++i)
        row[i] = QVariant();
    if (!onCalcFields)
        return;
    Row* saved = calcRow_;
    calcRow_ = &row;
    try {
        onCalcFields(*this);
    } catch (...) {
        calcRow_ = saved;
        throw;
    }
    calcRow_ = saved;
}

void Dataset::setPosition(int row)
{
    cur_ = row;
    if (rows_.empty()) {
        cur_ = -1;
        eof_ = bof_ = true;
    } else {
        eof_ = bof_ = false;
    }
}

void Dataset::emitRecordChanged()
{
    if (disabled_ > 0) { pendingRecord_ = true; return; }
    Q_EMIT recordChanged();
}

void Dataset::emitDataChanged()
{
    if (disabled_ > 0) { pendingData_ = true; return; }
    Q_EMIT dataChanged();
}

int Dataset::addUpdater(Updater u)
{
    const int id = nextUpdater_++;
    updaters_.emplace_back(id, std::move(u));
    return id;
}

void Dataset::removeUpdater(int id)
{
    std::erase_if(updaters_, [id](const auto& p) { return p.first == id; });
}

void Dataset::updateRecord()
{
    if (!isEditing())
        return;
    // A copy: an updater may register or remove others.
    const auto list = updaters_;
    for (const auto& [id, fn] : list)
        if (fn) fn();
}

void Dataset::disableControls() { ++disabled_; }

void Dataset::enableControls()
{
    if (disabled_ > 0 && --disabled_ == 0) {
        if (pendingData_) { pendingData_ = false; Q_EMIT dataChanged(); }
        if (pendingRecord_) { pendingRecord_ = false; Q_EMIT recordChanged(); }
    }
}

static void leaveEditing(Dataset& ds)
{
    if (ds.isEditing())
        ds.post();
}

void Dataset::first()
{
    ensureActive();
    leaveEditing(*this);
    if (stale())
        rereadAt({}, 0);
    setPosition(rows_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = rows_.empty();
    emitRecordChanged();
    if (afterScroll) afterScroll(*this);
}

void Dataset::last()
{
    ensureActive();
    leaveEditing(*this);
    if (stale())
        rereadAt({}, 0);
    setPosition(rows_.empty() ? -1 : int(rows_.size()) - 1);
    eof_ = true;
    bof_ = rows_.empty();
    emitRecordChanged();
    if (afterScroll) afterScroll(*this);
}

void Dataset::next()
{
    ensureActive();
    leaveEditing(*this);
    if (cur_ + 1 < int(rows_.size())) {
        ++cur_;
        bof_ = false;
        eof_ = false;
        emitRecordChanged();
        if (afterScroll) afterScroll(*this);
    } else {
        eof_ = true;
    }
}

void Dataset::prior()
{
    ensureActive();
    leaveEditing(*this);
    if (cur_ > 0) {
        --cur_;
        bof_ = false;
        eof_ = false;
        emitRecordChanged();
        if (afterScroll) afterScroll(*this);
    } else {
        bof_ = true;
    }
}

void Dataset::moveTo(int row)
{
    ensureActive();
    if (rows_.empty() || row < 0 || row >= int(rows_.size()))
        return;
    if (row == cur_ && !isEditing())
        return;
    leaveEditing(*this);
    setPosition(row);
    emitRecordChanged();
    if (afterScroll) afterScroll(*this);
}

Dataset::Bookmark Dataset::bookmark() const
{
    if (cur_ < 0 || cur_ >= int(rows_.size()))
        return {};
    return rowBookmark(cur_);
}

bool Dataset::gotoBookmark(Bookmark b)
{
    ensureActive();
    for (int i = 0; i < int(rows_.size()); ++i) {
        if (rowBookmark(i) == b) {
            leaveEditing(*this);
            setPosition(i);
            emitRecordChanged();
            if (afterScroll) afterScroll(*this);
            return true;
        }
    }
    return false;
}

int Dataset::fieldIndex(const QString& name) const
{
    // Names are nearly always written as the field is: that is a quick look.
    for (int i = 0; i < int(defs_.size()); ++i)
        if (defs_[size_t(i)].name == name)
            return i;
    const QString n = name.trimmed();
    for (int i = 0; i < int(defs_.size()); ++i)
        if (defs_[size_t(i)].name.compare(n, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field* Dataset::findField(const QString& name)
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : fields_[size_t(i)].get();
}

Field& Dataset::fieldByName(const QString& name)
{
    Field* f = findField(name);
    if (!f)
        throw DatabaseError(QStringLiteral("No existe el campo «%1»").arg(name), DatabaseError::Kind::FieldMissing, name);
    return *f;
}

QVariant Dataset::rowValue(int row, int field) const
{
    if (row < 0 || row >= int(rows_.size()))
        return {};
    // The record being edited shows its buffer; a record being inserted is
    // not yet a row of the view, so every row keeps its stored values.
    if (state_ == State::Edit && row == cur_)
        return field < int(buf_.size()) ? buf_[size_t(field)] : QVariant();
    const Row& r = rows_[size_t(row)];
    return field < int(r.size()) ? r[size_t(field)] : QVariant();
}

QVariant Dataset::storedValue(const QString& name) const
{
    const int field = fieldIndex(name);
    if (field < 0 || state_ == State::Insert || cur_ < 0 || cur_ >= int(rows_.size()))
        return {};
    const Row& r = rows_[size_t(cur_)];
    return field < int(r.size()) ? r[size_t(field)] : QVariant();
}

QVariant Dataset::currentValue(int field) const
{
    if (calcRow_)
        return field < int(calcRow_->size()) ? (*calcRow_)[size_t(field)] : QVariant();
    if (isEditing())
        return field < int(buf_.size()) ? buf_[size_t(field)] : QVariant();
    if (cur_ < 0 || cur_ >= int(rows_.size()))
        return {};
    const Row& r = rows_[size_t(cur_)];
    return field < int(r.size()) ? r[size_t(field)] : QVariant();
}

void Dataset::setCurrentValue(int field, const QVariant& v)
{
    const FieldDef& d = defs_.at(size_t(field));
    if (calcRow_) {
        if (!d.calculated)
            throw DatabaseError(QStringLiteral("Solo los campos calculados se escriben al calcular"), DatabaseError::Kind::State, d.name);
        (*calcRow_)[size_t(field)] = v;
        return;
    }
    if (!isEditing())
        throw DatabaseError(QStringLiteral("El registro no está en edición: no se puede cambiar el campo «%1»").arg(d.name),
                            DatabaseError::Kind::State, d.name);
    buf_.resize(defs_.size());
    if (buf_[size_t(field)] == v && buf_[size_t(field)].isNull() == v.isNull())
        return;
    buf_[size_t(field)] = v;
    if (!d.calculated)
        computeCalcFields(buf_);
    Q_EMIT fieldChanged(field);
    emitRecordChanged();
}

void Dataset::insert()
{
    ensureActive();
    if (readOnly())
        throw DatabaseError(QStringLiteral("Este conjunto de datos es de solo lectura"), DatabaseError::Kind::State);
    leaveEditing(*this);
    buf_.assign(defs_.size(), QVariant());
    insertAt_ = cur_;
    state_ = State::Insert;
    if (onNewRecord) {
        try {
            onNewRecord(*this);
        } catch (...) {
            state_ = State::Browse;
            buf_.clear();
            Q_EMIT stateChanged();
            throw;
        }
    }
    computeCalcFields(buf_);
    Q_EMIT stateChanged();
    emitRecordChanged();
}

void Dataset::edit()
{
    ensureActive();
    if (isEditing())
        return;
    if (readOnly())
        throw DatabaseError(QStringLiteral("Este conjunto de datos es de solo lectura"), DatabaseError::Kind::State);
    if (cur_ < 0) {
        insert();
        return;
    }
    buf_ = rows_[size_t(cur_)];
    buf_.resize(defs_.size());
    state_ = State::Edit;
    Q_EMIT stateChanged();
}

void Dataset::post()
{
    ensureActive();
    if (!isEditing())
        return;
    updateRecord();
    // What a before-post rule writes elsewhere and the record itself are
    // one transaction: the rule's writes go if the post fails.
    std::optional<Transaction> together;
    if (Database* db = databaseOf(); db && beforePost)
        together.emplace(*db, TransactionStart::AtFirstWrite);
    if (beforePost)
        beforePost(*this);
    // Required fields first, with the field's name.
    for (size_t i = 0; i < defs_.size(); ++i) {
        const FieldDef& d = defs_[i];
        if (d.required && !d.calculated && d.type != FieldType::AutoInc && (!buf_[i].isValid() || buf_[i].isNull()))
            throw DatabaseError(QStringLiteral("El campo «%1» debe tener un valor").arg(d.name),
                                DatabaseError::Kind::RequiredMissing, d.name);
    }
    const bool inserting = state_ == State::Insert;
    const Bookmark b = doPost(buf_, inserting);
    if (together)
        together->commit();
    state_ = State::Browse;
    buf_.clear();
    rereadAt(b, inserting ? std::max(insertAt_, 0) : cur_);
    Q_EMIT stateChanged();
    if (afterPost)
        afterPost(*this);
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    state_ = State::Browse;
    buf_.clear();
    Q_EMIT stateChanged();
    emitRecordChanged();
}

void Dataset::remove()
{
    ensureActive();
    if (readOnly())
        throw DatabaseError(QStringLiteral("Este conjunto de datos es de solo lectura"), DatabaseError::Kind::State);
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (state_ == State::Edit)
        cancel();
    if (cur_ < 0)
        throw DatabaseError(QStringLiteral("No hay ningún registro que borrar"), DatabaseError::Kind::State);
    if (beforeDelete)
        beforeDelete(*this);  // Abort keeps the record
    const int row = cur_;
    doDelete(row);
    rereadAt({}, row);
    if (afterDelete)
        afterDelete(*this);
}

Dataset::Bookmark Dataset::doPost(Row&, bool)
{
    throw DatabaseError(QStringLiteral("Este conjunto de datos es de solo lectura"), DatabaseError::Kind::State);
}

void Dataset::doDelete(int)
{
    throw DatabaseError(QStringLiteral("Este conjunto de datos es de solo lectura"), DatabaseError::Kind::State);
}

}  // namespace engine
