#include "widgets/DataNavigator.h"

#include "data/Dialogs.h"
#include "engine/Dataset.h"
#include "widgets/DataEdit.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>

namespace widgets {

namespace {
const char* const kGlyphs[DataNavigator::ButtonCount] = {
    "|\u25C0", "\u25C0", "\u25B6", "\u25B6|", "+", "\u2212", "\u25B2", "\u2714", "\u2716", "\u21BB",
};
const char* const kNames[DataNavigator::ButtonCount] = {
    "First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh",
};
}  // namespace

DataNavigator::DataNavigator(QWidget* parent) : QWidget(parent)
{
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(kGlyphs[i]));
        b->setObjectName(QString::fromLatin1(kNames[i]));
        b->setMinimumSize(28, 24);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, i] { run(Button(i)); });
        lay->addWidget(b);
        buttons_[i] = b;
    }
    setButtons({First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh});
}

DataNavigator::DataNavigator(engine::DataSource* source, const QList<Button>& buttons, const QStringList& hints,
                             QWidget* parent)
    : DataNavigator(parent)
{
    setButtons(buttons, hints);
    setDataSource(source);
}

void DataNavigator::setDataSource(engine::DataSource* source)
{
    for (auto* c : {&c1_, &c2_, &c3_})
        disconnect(*c);
    source_ = source;
    if (source) {
        c1_ = connect(source, &engine::DataSource::recordChanged, this, &DataNavigator::updateButtons);
        c2_ = connect(source, &engine::DataSource::stateChanged, this, &DataNavigator::updateButtons);
        c3_ = connect(source, &engine::DataSource::dataChanged, this, &DataNavigator::updateButtons);
    }
    updateButtons();
}

void DataNavigator::setButtons(const QList<Button>& buttons, const QStringList& hints)
{
    shown_ = buttons;
    for (int i = 0; i < ButtonCount; ++i)
        buttons_[i]->setVisible(buttons.contains(Button(i)));
    for (int k = 0; k < buttons.size() && k < hints.size(); ++k)
        setHint(buttons[k], hints[k]);
}

namespace {
// The keys of the commands, as Spanish keyboards name them.
const char* keyName(DataNavigator::Button b)
{
    switch (b) {
    case DataNavigator::Insert: return "Ins";
    case DataNavigator::Delete: return "Ctrl+Supr";
    case DataNavigator::Edit: return "F2";
    case DataNavigator::Post: return "Intro";
    case DataNavigator::Cancel: return "Esc";
    default: return nullptr;
    }
}
}  // namespace

void DataNavigator::setHint(Button b, const QString& hint)
{
    hints_[b] = hint;
    showHint(b);
}

void DataNavigator::setEscapeCancels(bool on)
{
    escapeCancels_ = on;
    showHint(Cancel);
}

void DataNavigator::showHint(Button b)
{
    const char* key = keyScope_ && (b != Cancel || escapeCancels_) ? keyName(b) : nullptr;
    buttons_[b]->setToolTip(key ? QStringLiteral("%1 (%2)").arg(hints_[b], QString::fromLatin1(key)) : hints_[b]);
}

void DataNavigator::setKeyScope(QWidget* scope)
{
    keyScope_ = scope;
    scope->installEventFilter(this);
    for (QWidget* w : scope->findChildren<QWidget*>())
        w->installEventFilter(this);
    for (int i = 0; i < ButtonCount; ++i)
        showHint(Button(i));
}

bool DataNavigator::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress || !keyScope_)
        return QWidget::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    engine::Dataset* ds = source_ ? source_->dataset() : nullptr;
    const bool editing = ds && ds->active() && ds->isEditing();
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    int b = -1;
    if (k->key() == Qt::Key_Insert && mods == Qt::NoModifier)
        b = Insert;
    else if (k->key() == Qt::Key_Delete && mods == Qt::ControlModifier)
        b = Delete;
    else if (k->key() == Qt::Key_F2 && mods == Qt::NoModifier)
        b = Edit;
    else if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && mods == Qt::NoModifier && editing &&
             !qobject_cast<QAbstractButton*>(watched))
        b = Post;
    else if (k->key() == Qt::Key_Escape && mods == Qt::NoModifier && editing && escapeCancels_) {
        // Typed text not yet in the record goes first.
        if (auto* line = qobject_cast<DataEdit*>(watched); line && line->isModified())
            return false;
        b = Cancel;
    }
    // A grid's open cell editor answers its own Intro and Esc.
    if (b == Post || b == Cancel)
        for (DataGrid* grid : keyScope_->findChildren<DataGrid*>())
            if (grid->cellEditorOpen())
                return QWidget::eventFilter(watched, e);
    if (b < 0 || !shown_.contains(Button(b)))
        return QWidget::eventFilter(watched, e);
    e->accept();
    click(Button(b));
    return true;
}

void DataNavigator::updateButtons()
{
    engine::Dataset* ds = source_ ? source_->dataset() : nullptr;
    const bool active = ds && ds->active();
    const bool editing = active && ds->isEditing();
    const bool canModify = active && !ds->readOnly();
    const int row = active ? ds->currentRow() : -1;
    const int count = active ? ds->recordCount() : 0;
    const bool inserting = active && ds->state() == engine::Dataset::State::Insert;
    // While inserting, every stored row can be reached.
    const bool back = active && count > 0 && (inserting || row > 0);
    const bool forward = active && count > 0 && (inserting || row < count - 1);
    buttons_[First]->setEnabled(back);
    buttons_[Prior]->setEnabled(back);
    buttons_[Next]->setEnabled(forward);
    buttons_[Last]->setEnabled(forward);
    buttons_[Insert]->setEnabled(canModify);
    buttons_[Delete]->setEnabled(canModify && (count > 0 || inserting));
    buttons_[Edit]->setEnabled(canModify && !editing);
    buttons_[Post]->setEnabled(canModify && editing);
    buttons_[Cancel]->setEnabled(canModify && editing);
    buttons_[Refresh]->setEnabled(active);
}

void DataNavigator::click(Button b)
{
    if (buttons_[b]->isEnabled())
        run(b);
}

void DataNavigator::run(Button b)
{
    engine::Dataset* ds = source_ ? source_->dataset() : nullptr;
    if (!ds)
        return;
    const bool done = guarded([&] {
        if (beforeAction)
            beforeAction(b);
        switch (b) {
        case First: ds->first(); break;
        case Prior: ds->prior(); break;
        case Next: ds->next(); break;
        case Last: ds->last(); break;
        case Insert: ds->insert(); break;
        case Delete:
            if (confirmDelete_ && !userDialogs().confirm(QStringLiteral("¿Borrar el registro?")))
                throw engine::Abort();
            ds->remove();
            break;
        case Edit: ds->edit(); break;
        case Post: ds->post(); break;
        case Cancel: ds->cancel(); break;
        case Refresh:
            if (ds->isEditing())
                ds->post();
            ds->refresh();
            break;
        }
    });
    updateButtons();
    if (!done)
        return;
    Q_EMIT clicked(b);
    if (afterAction)
        guarded([&] { afterAction(b); });
}

}  // namespace widgets
