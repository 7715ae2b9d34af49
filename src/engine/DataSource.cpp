#include "engine/DataSource.h"

#include "engine/Dataset.h"

namespace engine {

DataSource::DataSource(Dataset* dataset, QObject* parent) : QObject(parent) { setDataset(dataset); }

void DataSource::setDataset(Dataset* ds)
{
    disconnect(c1_);
    disconnect(c2_);
    disconnect(c3_);
    ds_ = ds;
    if (!ds)
        return;
    c1_ = connect(ds, &Dataset::recordChanged, this, [this] {
        if (onDataChange) onDataChange();
        Q_EMIT recordChanged();
    });
    c2_ = connect(ds, &Dataset::stateChanged, this, &DataSource::stateChanged);
    c3_ = connect(ds, &Dataset::dataChanged, this, &DataSource::dataChanged);
}

}  // namespace engine
