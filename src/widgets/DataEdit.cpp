#include "widgets/DataEdit.h"

#include "data/Dialogs.h"
#include "engine/DatabaseError.h"
#include "widgets/Guard.h"

#include <QKeyEvent>
#include <QRegularExpression>

#include <limits>

namespace widgets {

namespace {

bool isTextKey(const QKeyEvent* e)
{
    if (e == nullptr)
        return false;
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Undo) ||
        e->matches(QKeySequence::Redo) || e->matches(QKeySequence::Delete) ||
        e->matches(QKeySequence::DeleteEndOfWord) || e->matches(QKeySequence::DeleteStartOfWord) ||
        e->matches(QKeySequence::DeleteEndOfLine))
        return true;
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete)
        return true;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

}  // namespace

DataEdit::DataEdit(QWidget* parent) : QLineEdit(parent), filter_(new EntryFilter(this))
{
    connect(&link_, &FieldLink::reload, this, [this] {
        // Text being typed stays while the same record is still being edited.
        if (pending_ && link_.editing())
            return;
        show_();
    });
    connect(&link_, &FieldLink::fieldSet, this, &DataEdit::show_);
    connect(&link_, &FieldLink::stateChanged, this, [this] {
        if (!link_.editing())
            show_();
        configure();
    });
    connect(this, &QLineEdit::textEdited, this, &DataEdit::onEdited);
    connect(this, &QLineEdit::returnPressed, this, &DataEdit::commitFromUser);
}

DataEdit::DataEdit(engine::DataSource* source, const QString& fieldName, QWidget* parent) : DataEdit(parent)
{
    setDataSource(source, fieldName);
}

DataEdit::~DataEdit()
{
    if (registered_)
        registered_->removeUpdater(updaterId_);
}

void DataEdit::setDataSource(engine::DataSource* source, const QString& fieldName)
{
    if (registered_) {
        registered_->removeUpdater(updaterId_);
        registered_ = nullptr;
    }
    link_.bind(source, fieldName);
    if (engine::Dataset* ds = link_.dataset()) {
        registered_ = ds;
        updaterId_ = ds->addUpdater([this] { updateRecord(); });
        // The dataset may go before the edit.
        connect(ds, &QObject::destroyed, this, [this] { registered_ = nullptr; });
    }
    configure();
    show_();
}

void DataEdit::setIntegerRange(qint64 lo, qint64 hi)
{
    hasRange_ = true;
    lo_ = lo;
    hi_ = hi;
    configure();
}

void DataEdit::configure()
{
    engine::Field* f = link_.field();
    setEnabled(f != nullptr);
    setReadOnly(f == nullptr || !link_.canModify());
    if (!f)
        return;
    // Set again only when the field's kind changes: setting the length or
    // the validator would drop the user's selection.
    qint64 lo = 0, hi = 0;
    if (engine::isIntegerType(f->type())) {
        engine::integerRange(f->type(), lo, hi);
        if (hasRange_) {
            lo = std::max(lo, lo_);
            hi = std::min(hi, hi_);
        }
    }
    const QString kind = QStringLiteral("%1|%2|%3|%4").arg(int(f->type())).arg(f->size()).arg(lo).arg(hi);
    if (kind == configured_)
        return;
    configured_ = kind;
    // The filter refuses what the field cannot take; no validator, which
    // would drop keys and pastes in silence. A text field's own limit is a
    // last stop behind the filter.
    int maxLen = 32767;
    switch (f->type()) {
    case engine::FieldType::String:
        if (f->size() > 0)
            maxLen = unitsFor(f->size());
        filter_->setText(f->size());
        break;
    case engine::FieldType::Smallint:
    case engine::FieldType::Integer:
    case engine::FieldType::Largeint:
    case engine::FieldType::AutoInc: filter_->setInteger(lo, hi); break;
    case engine::FieldType::Date:
        filter_->setPattern(QRegularExpression(QStringLiteral("^[0-9/\\-]{0,10}$")),
                            QStringLiteral("Solo fechas: día/mes/año"));
        break;
    case engine::FieldType::Float:
        filter_->setPattern(QRegularExpression(QStringLiteral("^-?[0-9.,]{0,30}$")), QStringLiteral("Solo números"));
        break;
    case engine::FieldType::Boolean: filter_->setText(0); break;
    }
    if (maxLength() != maxLen)
        setMaxLength(maxLen);
}

void DataEdit::show_()
{
    engine::Field* f = link_.field();
    loading_ = true;
    setText(f ? f->asString() : QString());
    // A value longer than the edit is shown from its start.
    if (fontMetrics().horizontalAdvance(text()) > contentsRect().width() - 8)
        setCursorPosition(0);
    loading_ = false;
    pending_ = false;
    setModified(false);
    filter_->reset();
}

void DataEdit::reset() { show_(); }

bool DataEdit::allowChange()
{
    if (isReadOnly())
        return false;
    return link_.startEdit();
}

void DataEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape)
        filter_->reset();
    if (e->key() == Qt::Key_Escape && pending_) {
        reset();
        e->accept();
        return;
    }
    if (isTextKey(e) && !allowChange()) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void DataEdit::inputMethodEvent(QInputMethodEvent* e)
{
    if (!allowChange()) {
        e->accept();
        return;
    }
    QLineEdit::inputMethodEvent(e);
}

void DataEdit::dropEvent(QDropEvent* e)
{
    if (!allowChange())
        return;
    QLineEdit::dropEvent(e);
}

void DataEdit::onEdited()
{
    if (loading_)
        return;
    // Text changed by a path the key filter did not see (a menu's paste).
    if (!link_.editing() && !allowChange()) {
        show_();
        return;
    }
    pending_ = true;
}

void DataEdit::updateRecord()
{
    if (!pending_)
        return;
    engine::Field* f = link_.field();
    if (!f || !link_.editing())
        return;
    const QString typed = text();
    // Text the filter only lets through while typing (a number still below
    // the minimum, a pasted "1,5") is not a value; nor is what stands after a
    // refused keystroke.
    if (!filter_->acceptable()) {
        // Said as the hint said it: a whole-number field that was given
        // something else ("1,5", stopped at "1") takes whole numbers only; a
        // whole number is refused for its range.
        using Kind = engine::DatabaseError::Kind;
        const Kind kind = filter_->notInteger() ? Kind::NotInteger
                          : filter_->outOfRange() ? Kind::OutOfRange
                                                  : Kind::BadValue;
        takeFocusBack();
        throw engine::DatabaseError(QStringLiteral("%1: «%2»").arg(filter_->problem(), typed), kind, f->name());
    }
    try {
        f->setAsString(typed);  // throws a DatabaseError for a refused value; the text stays
    } catch (const engine::DatabaseError&) {
        takeFocusBack();
        throw;
    }
    pending_ = false;
    setModified(false);
}

void DataEdit::takeFocusBack()
{
    // After the report: the focus in this edit, its text selected, so the
    // user corrects what was refused.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isVisible())
                return;
            setFocus(Qt::OtherFocusReason);
            selectAll();
        },
        Qt::QueuedConnection);
}

void DataEdit::commitFromUser()
{
    if (!pending_ || reporting_)
        return;
    if (!filter_->acceptable() && link_.editing()) {
        filter_->refuse();
        takeFocusBack();
        return;
    }
    reporting_ = true;
    const QString typed = text();
    guarded([this] { updateRecord(); });
    // A refusal keeps what was typed so the user can correct it.
    if (pending_ && text() != typed)
        setText(typed);
    reporting_ = false;
}

void DataEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    // The window losing the focus is not the user leaving the field: text
    // that is not a value waits for the user's return.
    const bool away = e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
    if (away && !filter_->acceptable())
        return;
    commitFromUser();
    if (!pending_)
        filter_->reset();
}

}  // namespace widgets
