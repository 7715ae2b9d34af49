#include "widgets/EntryFilter.h"

#include "engine/Field.h"
#include "widgets/IntegerValidator.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace widgets {

namespace {

const char* const kHintName = "FieldHint";

QLabel* hintLabel(QWidget* window, bool create)
{
    auto* l = window->findChild<QLabel*>(QString::fromLatin1(kHintName), Qt::FindDirectChildrenOnly);
    if (!l && create) {
        l = new QLabel(window);
        l->setObjectName(QString::fromLatin1(kHintName));
        l->setAutoFillBackground(true);
        l->setForegroundRole(QPalette::ToolTipText);
        l->setBackgroundRole(QPalette::ToolTipBase);
        l->setFrameShape(QFrame::Box);
        l->setMargin(2);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->setFocusPolicy(Qt::NoFocus);
    }
    return l;
}

// The text after a typed character replaces the selection or goes in at the cursor.
QString afterTyping(const QLineEdit* e, const QString& typed)
{
    QString t = e->text();
    if (e->hasSelectedText())
        return t.replace(e->selectionStart(), e->selectedText().size(), typed);
    return t.insert(e->cursorPosition(), typed);
}

bool isCharacter(const QKeyEvent* k)
{
    // The first code point: an emoji key's text is a surrogate pair.
    const QList<uint> t = k->text().toUcs4();
    return !t.isEmpty() && QChar::isPrint(char32_t(t.front())) &&
           !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

}  // namespace

void showFieldHint(QWidget* field, const QString& text)
{
    QApplication::beep();
    QWidget* window = field->window();
    QLabel* l = hintLabel(window, true);
    l->setText(text);
    l->adjustSize();
    // Right of the field, or under it where the window ends first.
    QPoint at = field->mapTo(window, QPoint(field->width() + 4, 0));
    if (at.x() + l->width() > window->width())
        at = field->mapTo(window, QPoint(0, field->height() + 2));
    at.setX(std::max(0, std::min(at.x(), window->width() - l->width())));
    l->move(at);
    l->show();
    l->raise();
}

void hideFieldHint(QWidget* field)
{
    if (QLabel* l = hintLabel(field->window(), false))
        l->hide();
}

EntryFilter::EntryFilter(QLineEdit* edit) : QObject(edit), edit_(edit)
{
    edit->installEventFilter(this);
    // While stopped no key changes the text: a change is the program's or a correction.
    connect(edit, &QLineEdit::textChanged, this, [this] { interrupted_ = false; });
}

EntryFilter* limitText(QLineEdit* edit, int maxChars)
{
    auto* f = new EntryFilter(edit);
    f->setText(maxChars);
    edit->setMaxLength(unitsFor(maxChars));
    return f;
}

void EntryFilter::setText(int maxChars)
{
    kind_ = Kind::Text;
    maxChars_ = maxChars;
}

void EntryFilter::setInteger(qint64 lo, qint64 hi)
{
    kind_ = Kind::Integer;
    lo_ = lo;
    hi_ = hi;
}

void EntryFilter::setPattern(const QRegularExpression& pattern, const QString& hint)
{
    kind_ = Kind::Pattern;
    pattern_ = pattern;
    patternHint_ = hint;
}

QString EntryFilter::integerHint(const QString& text) const
{
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]*$"));
    if (!digits.match(text).hasMatch())
        return integerOnlyText();
    return QStringLiteral("Solo números enteros de %1 a %2").arg(lo_).arg(hi_);
}

bool EntryFilter::takes(const QString& candidate, QString* hint) const
{
    switch (kind_) {
    case Kind::Text:
        if (maxChars_ > 0 && engine::characterCount(candidate) > maxChars_) {
            *hint = QStringLiteral("Como máximo %1 caracteres").arg(maxChars_);
            return false;
        }
        return true;
    case Kind::Integer: {
        QString t = candidate;
        int pos = 0;
        if (IntegerValidator(lo_, hi_, nullptr).validate(t, pos) != QValidator::Invalid)
            return true;
        *hint = integerHint(candidate);
        return false;
    }
    case Kind::Pattern:
        if (pattern_.match(candidate).hasMatch())
            return true;
        *hint = patternHint_;
        return false;
    }
    return true;
}

bool EntryFilter::acceptable() const { return problem().isEmpty(); }

bool EntryFilter::interrupted() const { return interrupted_; }

QString EntryFilter::problem() const
{
    if (interrupted())
        return lastHint_;
    const QString t = edit_->text();
    if (kind_ == Kind::Integer && !t.isEmpty()) {
        QString c = t;
        int pos = 0;
        if (IntegerValidator(lo_, hi_, nullptr).validate(c, pos) != QValidator::Acceptable)
            return integerHint(t);
    }
    QString hint;
    if (kind_ == Kind::Pattern && !takes(t, &hint))
        return hint;
    return {};
}

bool EntryFilter::notInteger() const { return kind_ == Kind::Integer && problem() == integerOnlyText(); }

bool EntryFilter::outOfRange() const
{
    if (kind_ != Kind::Integer)
        return false;
    const QString p = problem();
    return !p.isEmpty() && p != integerOnlyText();
}

void EntryFilter::refuse()
{
    const QString p = problem();
    showFieldHint(edit_, p.isEmpty() ? lastHint_ : p);
}

void EntryFilter::refuseWith(const QString& hint)
{
    lastHint_ = hint;
    showFieldHint(edit_, hint);
}

void EntryFilter::reset()
{
    interrupted_ = false;
    hideFieldHint(edit_);
}

bool EntryFilter::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != edit_)
        return QObject::eventFilter(watched, e);
    if (e->type() == QEvent::MouseButtonPress) {
        interrupted_ = false;  // the user puts the cursor somewhere: a correction
        return false;
    }
    if (e->type() != QEvent::KeyPress || edit_->isReadOnly())
        return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->matches(QKeySequence::Paste)) {
        const QString pasted = QApplication::clipboard()->text().section(QLatin1Char('\n'), 0, 0);
        // A text that does not fit is refused whole; a number goes in whole
        // and is judged when the field is left.
        if (kind_ != Kind::Integer) {
            QString hint;
            if (!takes(afterTyping(edit_, pasted), &hint)) {
                refuseWith(hint);
                return true;
            }
        }
        interrupted_ = false;
        hideFieldHint(edit_);
        return false;
    }
    switch (k->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return false;  // leaving, committing and cancelling are the owner's
    default: break;
    }
    if (!isCharacter(k)) {
        // Deleting, moving the cursor or selecting: the user corrects.
        if (k->key() != Qt::Key_Shift && k->key() != Qt::Key_Control && k->key() != Qt::Key_Alt) {
            interrupted_ = false;
            hideFieldHint(edit_);
        }
        return false;
    }
    // After a refused key nothing more goes in until the user corrects.
    if (interrupted()) {
        refuseWith(lastHint_);
        return true;
    }
    QString hint;
    if (!takes(afterTyping(edit_, k->text()), &hint)) {
        // A text field stops at its limit; a number field stops until corrected.
        interrupted_ = kind_ != Kind::Text;
        refuseWith(hint);
        return true;
    }
    interrupted_ = false;
    hideFieldHint(edit_);
    return false;
}

}  // namespace widgets
