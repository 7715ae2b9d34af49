#pragma once

#include "widgets/FieldLink.h"

#include <QComboBox>
#include <QPointer>

namespace widgets {

// A drop-down list of one field of a list dataset.
// Bound (setDataSource): shows the list row whose key field equals the bound
// field and, when the user chooses an item, stores that row's key in the
// bound field (starting the edit as the data source's autoEdit says).
// Unbound: shows the list dataset's current row; choosing a text moves the
// list dataset to the first row with that text.
class DataLookupCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DataLookupCombo(QWidget* parent = nullptr);

    // The list: the dataset whose rows are offered, the field shown and the
    // field stored (the key). Re-read whenever the list's rows change.
    void setListSource(engine::Dataset* list, const QString& listField, const QString& keyField = {});
    engine::Dataset* listDataset() const { return list_; }
    // Binds the chosen key to a field of another data source (optional).
    void setDataSource(engine::DataSource* source, const QString& dataField);
    engine::DataSource* dataSource() const { return link_.dataSource(); }
    QString fieldName() const { return link_.fieldName(); }

    // The key of the item shown, null when none.
    QVariant keyValue() const;
    // Chooses the item of index i as the user would.
    void choose(int i);
    // Reads the items again from the list dataset.
    void refreshList();

Q_SIGNALS:
    // After a choice of the user has been applied.
    void chosen(int index);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void showCurrent();
    int indexOfKey(const QVariant& key) const;
    static bool sameKey(const QVariant& a, const QVariant& b);

    FieldLink link_;
    QPointer<engine::Dataset> list_;
    QString listField_, keyField_;
    QList<QVariant> keys_;
    bool loading_ = false;
    QMetaObject::Connection l1_, l2_;
};

}  // namespace widgets
