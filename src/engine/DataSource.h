#pragma once

#include <QObject>

#include <functional>

namespace engine {

class Dataset;

// Links a dataset to the controls and detail datasets bound to it.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(Dataset* dataset = nullptr, QObject* parent = nullptr);

    Dataset* dataset() const { return ds_; }
    void setDataset(Dataset* ds);

    // Typing into a bound control puts the record into edit mode.
    bool autoEdit = true;
    // Runs whenever the current record moves or is read again.
    std::function<void()> onDataChange;

Q_SIGNALS:
    void recordChanged();
    void stateChanged();
    void dataChanged();

private:
    Dataset* ds_ = nullptr;
    QMetaObject::Connection c1_, c2_, c3_;
};

}  // namespace engine
