#include "widgets/DataLookupCombo.h"

#include "widgets/Guard.h"

#include <QKeyEvent>
#include <QWheelEvent>

namespace widgets {

DataLookupCombo::DataLookupCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(&link_, &FieldLink::reload, this, &DataLookupCombo::showCurrent);
    connect(&link_, &FieldLink::fieldSet, this, &DataLookupCombo::showCurrent);
    connect(&link_, &FieldLink::stateChanged, this, &DataLookupCombo::showCurrent);
    connect(this, &QComboBox::activated, this, [this](int i) {
        if (!loading_)
            choose(i);
    });
}

void DataLookupCombo::setListSource(engine::Dataset* list, const QString& listField, const QString& keyField)
{
    disconnect(l1_);
    disconnect(l2_);
    list_ = list;
    listField_ = listField;
    keyField_ = keyField.isEmpty() ? listField : keyField;
    if (list) {
        l1_ = connect(list, &engine::Dataset::dataChanged, this, &DataLookupCombo::refreshList);
        l2_ = connect(list, &engine::Dataset::recordChanged, this, [this] {
            if (!link_.dataSource())
                showCurrent();
        });
    }
    refreshList();
}

void DataLookupCombo::setDataSource(engine::DataSource* source, const QString& dataField)
{
    link_.bind(source, dataField);
    showCurrent();
}

void DataLookupCombo::refreshList()
{
    loading_ = true;
    clear();
    keys_.clear();
    if (list_ && list_->active()) {
        const int fi = list_->fieldIndex(listField_);
        const int ki = list_->fieldIndex(keyField_);
        if (fi >= 0 && ki >= 0) {
            engine::Field& shown = list_->field(fi);
            for (int r = 0; r < list_->recordCount(); ++r) {
                addItem(shown.displayTextOf(list_->rowValue(r, fi)));
                keys_ << list_->rowValue(r, ki);
            }
        }
    }
    loading_ = false;
    showCurrent();
}

bool DataLookupCombo::sameKey(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || a.isNull() || !b.isValid() || b.isNull())
        return false;
    bool ok1 = false, ok2 = false;
    const qint64 x = a.toLongLong(&ok1), y = b.toLongLong(&ok2);
    if (ok1 && ok2 && a.typeId() != QMetaType::QString && b.typeId() != QMetaType::QString)
        return x == y;
    return a.toString() == b.toString();
}

int DataLookupCombo::indexOfKey(const QVariant& key) const
{
    for (int i = 0; i < keys_.size(); ++i)
        if (sameKey(keys_[i], key))
            return i;
    return -1;
}

void DataLookupCombo::showCurrent()
{
    loading_ = true;
    int i = -1;
    if (link_.dataSource()) {
        engine::Field* f = link_.field();
        if (f)
            i = indexOfKey(f->value());
        setEnabled(f != nullptr);
    } else if (list_ && list_->active() && list_->currentRow() >= 0) {
        i = list_->currentRow() < count() ? list_->currentRow() : -1;
    }
    setCurrentIndex(i);
    loading_ = false;
}

QVariant DataLookupCombo::keyValue() const
{
    const int i = currentIndex();
    return i >= 0 && i < keys_.size() ? keys_[i] : QVariant();
}

void DataLookupCombo::choose(int i)
{
    if (i < 0 || i >= keys_.size())
        return;
    if (link_.dataSource()) {
        engine::Field* f = link_.field();
        if (!f || !link_.startEdit()) {
            showCurrent();
            return;
        }
        const QVariant key = keys_[i];
        guarded([f, key] { f->setValue(key); });
        showCurrent();
    } else if (list_ && list_->active()) {
        // The first row with that text: equal titles take the first of them.
        const QString text = itemText(i);
        int row = i;
        for (int r = 0; r < count(); ++r)
            if (itemText(r) == text) { row = r; break; }
        guarded([this, row] { list_->moveTo(row); });
        showCurrent();
    }
    Q_EMIT chosen(currentIndex());
}

void DataLookupCombo::keyPressEvent(QKeyEvent* e)
{
    // A bound list that may not change keeps its item.
    if (link_.dataSource() && !link_.editing() && !(link_.dataSource()->autoEdit && link_.canModify())) {
        const int k = e->key();
        if (k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_PageUp || k == Qt::Key_PageDown ||
            k == Qt::Key_Home || k == Qt::Key_End || (!e->text().isEmpty() && e->text().at(0).isPrint())) {
            e->accept();
            return;
        }
    }
    QComboBox::keyPressEvent(e);
}

void DataLookupCombo::wheelEvent(QWheelEvent* e)
{
    // The wheel scrolls the form, never changes a stored value by accident.
    e->ignore();
}

}  // namespace widgets
