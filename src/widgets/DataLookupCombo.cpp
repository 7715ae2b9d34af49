#include "widgets/DataLookupCombo.h"

#include "engine/Collation.h"
#include "widgets/EntryFilter.h"
#include "widgets/Guard.h"

#include <QAbstractItemView>
#include <QApplication>
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
    // Typing in the open list is this box's search, not the list's own.
    view()->installEventFilter(this);
}

namespace {

bool isCharacter(const QKeyEvent* k)
{
    const QString t = k->text();
    return !t.isEmpty() && t.at(0).isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

}  // namespace

int DataLookupCombo::search(const QString& typed, int from)
{
    const QString wanted = engine::foldForMatch(typed);
    const int n = count();
    if (wanted.isEmpty() || n == 0)
        return -1;
    for (int k = 0; k < n; ++k) {
        const int i = (from + k) % n;
        if (engine::foldForMatch(itemText(i)).startsWith(wanted))
            return i;
    }
    return -1;
}

void DataLookupCombo::typed(const QString& text, bool list)
{
    const bool goesOn = lastKey_.isValid() && lastKey_.elapsed() < QApplication::keyboardInputInterval();
    lastKey_.start();
    search_ = goesOn ? search_ + text : text;
    QAbstractItemView* v = view();
    const int current = list ? v->currentIndex().row() : currentIndex();
    int found = search(search_, 0);
    // The same letter again: the next item that starts with it.
    const QString folded = engine::foldForMatch(search_);
    if (found < 0 && folded.size() > 1 && folded.count(folded.at(0)) == folded.size())
        found = search(search_.left(1), current + 1);
    if (found < 0) {
        notFound();
        if (list) {
            v->setCurrentIndex(QModelIndex());
            v->clearSelection();
        }
        return;
    }
    hideHint();
    // In the closed box the item is taken at once, and typing goes on in it.
    if (list)
        v->setCurrentIndex(model()->index(found, modelColumn()));
    else
        apply(found);
}

void DataLookupCombo::notFound()
{
    // Nothing is picked in place of what was asked for.
    if (link_.dataSource()) {
        engine::Field* f = link_.field();
        if (f && !f->isNull() && link_.startEdit())
            guarded([f] { f->clear(); });
        showCurrent();
    }
    showFieldHint(this, notFoundText_.arg(search_));
    hinting_ = true;
}

void DataLookupCombo::hideHint()
{
    if (hinting_)
        hideFieldHint(this);
    hinting_ = false;
}

bool DataLookupCombo::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != view() || (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride))
        return QComboBox::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (enter && !view()->currentIndex().isValid()) {
        // Nothing found, nothing marked: Enter closes the list, picking nothing.
        if (e->type() == QEvent::KeyPress)
            hidePopup();
        k->accept();
        return true;
    }
    if (e->type() == QEvent::KeyPress && isCharacter(k)) {
        typed(k->text(), true);
        return true;
    }
    return QComboBox::eventFilter(watched, e);
}

void DataLookupCombo::showPopup()
{
    lastKey_.invalidate();
    QComboBox::showPopup();
}

void DataLookupCombo::focusOutEvent(QFocusEvent* e)
{
    QComboBox::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason) {
        lastKey_.invalidate();
        hideHint();
    }
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
    if (apply(i))
        Q_EMIT chosen(currentIndex());
}

bool DataLookupCombo::apply(int i)
{
    if (i < 0 || i >= keys_.size())
        return false;
    if (link_.dataSource()) {
        engine::Field* f = link_.field();
        if (!f || !link_.startEdit()) {
            showCurrent();
            return false;
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
    hideHint();
    return true;
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
    if (isCharacter(e)) {
        e->accept();
        typed(e->text(), false);
        return;
    }
    QComboBox::keyPressEvent(e);
}

void DataLookupCombo::wheelEvent(QWheelEvent* e)
{
    // The wheel scrolls the form, never changes a stored value by accident.
    e->ignore();
}

}  // namespace widgets
