#include "widgets/DataEdit.h"

#include "widgets/IntegerValidator.h"

#include "data/Dialogs.h"
#include "engine/DatabaseError.h"
#include "widgets/Guard.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QValidator>

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

DataEdit::DataEdit(QWidget* parent) : QLineEdit(parent)
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
    const QValidator* old = validator();
    QValidator* v = nullptr;
    int maxLen = 32767;
    switch (f->type()) {
    case engine::FieldType::String:
        if (f->size() > 0)
            maxLen = f->size();
        break;
    case engine::FieldType::Smallint:
    case engine::FieldType::Integer:
    case engine::FieldType::Largeint:
    case engine::FieldType::AutoInc:
        v = new IntegerValidator(lo, hi, this);
        maxLen = 20;
        break;
    case engine::FieldType::Date:
        v = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9/\\-]{0,10}$")), this);
        maxLen = 10;
        break;
    case engine::FieldType::Float:
        v = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^-?[0-9.,]*$")), this);
        maxLen = 30;
        break;
    case engine::FieldType::Boolean: break;
    }
    if (maxLength() != maxLen)
        setMaxLength(maxLen);
    setValidator(v);
    if (old && old != v && old->parent() == this)
        delete old;
}

void DataEdit::show_()
{
    engine::Field* f = link_.field();
    loading_ = true;
    setText(f ? f->asString() : QString());
    loading_ = false;
    pending_ = false;
    setModified(false);
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
    // Text the validator only lets through while typing (a number still
    // below the minimum) is not a value.
    if (const QValidator* v = validator()) {
        QString t = typed;
        int pos = 0;
        if (!typed.isEmpty() && v->validate(t, pos) != QValidator::Acceptable)
            throw engine::DatabaseError(QStringLiteral("«%1» no es un valor válido para el campo «%2»").arg(typed, f->name()),
                                        engine::DatabaseError::Kind::OutOfRange, f->name());
    }
    f->setAsString(typed);  // throws a DatabaseError for a refused value; the text stays
    pending_ = false;
    setModified(false);
}

void DataEdit::commitFromUser()
{
    if (!pending_ || reporting_)
        return;
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
    commitFromUser();
}

}  // namespace widgets
