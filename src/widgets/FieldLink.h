#pragma once

#include "engine/DataSource.h"
#include "engine/Dataset.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace widgets {

// What a control bound to one field of a data source shares with the others:
// finding the field, following the record, and starting an edit the way the
// data source's autoEdit says.
class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QObject* parent = nullptr) : QObject(parent) {}

    void bind(engine::DataSource* source, const QString& fieldName);
    engine::DataSource* dataSource() const { return source_; }
    engine::Dataset* dataset() const { return source_ ? source_->dataset() : nullptr; }
    const QString& fieldName() const { return field_; }

    // The field on the current record, or nullptr when the dataset is closed
    // or has no such field.
    engine::Field* field() const;
    bool active() const;
    bool editing() const;
    // The control may change the field at all (open, not read-only, not calculated).
    bool canModify() const;
    // Makes the record editable for a change the user is making: true when it
    // is already being edited, or when autoEdit is on and edit() succeeded.
    // Failures of edit() are reported and give false.
    bool startEdit();

Q_SIGNALS:
    // The control should show the field's value again.
    void reload();
    // The field itself was set (by code or by another control).
    void fieldSet();
    // The dataset left editing (posted or cancelled) or was opened/closed.
    void stateChanged();

private:
    QPointer<engine::DataSource> source_;
    QString field_;
    QMetaObject::Connection c1_, c2_, c3_, c4_;
    QMetaObject::Connection fc_;
    void connectDataset();
};

}  // namespace widgets
