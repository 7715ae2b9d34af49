#include "widgets/FieldLink.h"

#include "widgets/Guard.h"

namespace widgets {

void FieldLink::bind(engine::DataSource* source, const QString& fieldName)
{
    for (auto* c : {&c1_, &c2_, &c3_, &c4_, &fc_})
        disconnect(*c);
    source_ = source;
    field_ = fieldName;
    if (source) {
        c1_ = connect(source, &engine::DataSource::recordChanged, this, &FieldLink::reload);
        c2_ = connect(source, &engine::DataSource::dataChanged, this, &FieldLink::reload);
        c3_ = connect(source, &engine::DataSource::stateChanged, this, &FieldLink::stateChanged);
        connectDataset();
    }
    Q_EMIT reload();
}

void FieldLink::connectDataset()
{
    engine::Dataset* ds = dataset();
    if (!ds)
        return;
    fc_ = connect(ds, &engine::Dataset::fieldChanged, this, [this](int index) {
        engine::Field* f = field();
        if (f && f->index() == index)
            Q_EMIT fieldSet();
    });
}

engine::Field* FieldLink::field() const
{
    engine::Dataset* ds = dataset();
    if (!ds || !ds->active() || field_.isEmpty())
        return nullptr;
    return ds->findField(field_);
}

bool FieldLink::active() const
{
    engine::Dataset* ds = dataset();
    return ds && ds->active();
}

bool FieldLink::editing() const
{
    engine::Dataset* ds = dataset();
    return ds && ds->isEditing();
}

bool FieldLink::canModify() const
{
    engine::Field* f = field();
    return f && !f->isCalculated() && !dataset()->readOnly();
}

bool FieldLink::startEdit()
{
    if (!canModify())
        return false;
    engine::Dataset* ds = dataset();
    if (ds->isEditing())
        return true;
    if (!source_->autoEdit)
        return false;
    return guarded([ds] { ds->edit(); }) && ds->isEditing();
}

}  // namespace widgets
