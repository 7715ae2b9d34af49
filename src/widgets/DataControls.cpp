#include "widgets/DataControls.h"

#include "widgets/Guard.h"

#include <QGridLayout>

namespace widgets {

namespace {
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || a.isNull() || !b.isValid() || b.isNull())
        return false;
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
    return a == b;
}
}  // namespace

// ---- DataLabel ----

DataLabel::DataLabel(QWidget* parent) : QLabel(parent)
{
    connect(&link_, &FieldLink::reload, this, &DataLabel::show_);
    connect(&link_, &FieldLink::fieldSet, this, &DataLabel::show_);
    connect(&link_, &FieldLink::stateChanged, this, &DataLabel::show_);
}

DataLabel::DataLabel(engine::DataSource* source, const QString& fieldName, QWidget* parent) : DataLabel(parent)
{
    setDataSource(source, fieldName);
}

void DataLabel::setDataSource(engine::DataSource* source, const QString& fieldName)
{
    link_.bind(source, fieldName);
    show_();
}

void DataLabel::show_()
{
    engine::Field* f = link_.field();
    setText(f ? f->displayText() : QString());
}

// ---- DataCheckBox ----

DataCheckBox::DataCheckBox(QWidget* parent) : QCheckBox(parent)
{
    connect(&link_, &FieldLink::reload, this, &DataCheckBox::show_);
    connect(&link_, &FieldLink::fieldSet, this, &DataCheckBox::show_);
    connect(&link_, &FieldLink::stateChanged, this, &DataCheckBox::show_);
}

DataCheckBox::DataCheckBox(const QString& text, engine::DataSource* source, const QString& fieldName, QWidget* parent)
    : DataCheckBox(parent)
{
    setText(text);
    setDataSource(source, fieldName);
}

void DataCheckBox::setDataSource(engine::DataSource* source, const QString& fieldName)
{
    link_.bind(source, fieldName);
    show_();
}

void DataCheckBox::setValues(const QVariant& checkedValue, const QVariant& uncheckedValue)
{
    on_ = checkedValue;
    off_ = uncheckedValue;
    hasValues_ = true;
    show_();
}

void DataCheckBox::show_()
{
    engine::Field* f = link_.field();
    setEnabled(f != nullptr);
    bool checked = false;
    if (f) {
        if (hasValues_)
            checked = sameValue(f->value(), on_);
        else
            checked = f->asBoolean();
    }
    setChecked(checked);
}

void DataCheckBox::nextCheckState()
{
    if (!link_.startEdit())
        return;
    engine::Field* f = link_.field();
    const bool want = !isChecked();
    guarded([&] {
        if (hasValues_)
            f->setValue(want ? on_ : off_);
        else
            f->setAsBoolean(want);
    });
    show_();
}

// ---- DataRadioGroup ----

DataRadioGroup::DataRadioGroup(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    group_.setExclusive(true);
    new QGridLayout(this);
    connect(&link_, &FieldLink::reload, this, &DataRadioGroup::show_);
    connect(&link_, &FieldLink::fieldSet, this, &DataRadioGroup::show_);
    connect(&link_, &FieldLink::stateChanged, this, &DataRadioGroup::show_);
    connect(&group_, &QButtonGroup::idClicked, this, &DataRadioGroup::picked);
}

void DataRadioGroup::setItems(const QStringList& captions, const QVariantList& values)
{
    for (QRadioButton* b : buttons_) {
        group_.removeButton(b);
        delete b;
    }
    buttons_.clear();
    values_.clear();
    for (int i = 0; i < captions.size(); ++i) {
        auto* b = new QRadioButton(captions[i], this);
        group_.addButton(b, i);
        buttons_ << b;
        values_ << (i < values.size() ? values[i] : QVariant(captions[i]));
    }
    layoutButtons();
    show_();
}

void DataRadioGroup::setColumns(int columns)
{
    columns_ = std::max(1, columns);
    layoutButtons();
}

void DataRadioGroup::layoutButtons()
{
    auto* grid = static_cast<QGridLayout*>(layout());
    const int n = int(buttons_.size());
    const int rows = (n + columns_ - 1) / columns_;
    for (int i = 0; i < n; ++i) {
        grid->removeWidget(buttons_[i]);
        // Items run down the first column, then the next.
        grid->addWidget(buttons_[i], rows ? i % rows : 0, rows ? i / rows : 0);
    }
}

void DataRadioGroup::setDataSource(engine::DataSource* source, const QString& fieldName)
{
    link_.bind(source, fieldName);
    show_();
}

int DataRadioGroup::itemIndex() const { return group_.checkedId(); }

void DataRadioGroup::setItemIndex(int i)
{
    loading_ = true;
    if (i >= 0 && i < buttons_.size()) {
        buttons_[i]->setChecked(true);
    } else if (QAbstractButton* b = group_.checkedButton()) {
        group_.setExclusive(false);
        b->setChecked(false);
        group_.setExclusive(true);
    }
    loading_ = false;
}

QVariant DataRadioGroup::value() const
{
    const int i = itemIndex();
    return i >= 0 && i < values_.size() ? values_[i] : QVariant();
}

void DataRadioGroup::show_()
{
    if (!link_.dataSource())
        return;
    engine::Field* f = link_.field();
    setEnabled(f != nullptr);
    int found = -1;
    if (f)
        for (int i = 0; i < values_.size(); ++i)
            if (sameValue(f->value(), values_[i])) { found = i; break; }
    setItemIndex(found);
}

void DataRadioGroup::picked(int i)
{
    if (loading_)
        return;
    if (link_.dataSource()) {
        engine::Field* f = link_.field();
        if (!f || !link_.startEdit()) {
            show_();
            return;
        }
        const QVariant v = values_.value(i);
        guarded([f, v] { f->setValue(v); });
        show_();
    }
    Q_EMIT itemChanged(itemIndex());
}

}  // namespace widgets
