#pragma once

#include "widgets/FieldLink.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPointer>

namespace widgets {

// A drop-down list of one field of a list dataset.
// Bound (setDataSource): shows the list row whose key field equals the bound
// field and, when the user chooses an item, stores that row's key in the
// bound field (starting the edit as the data source's autoEdit says).
// Unbound: shows the list dataset's current row; choosing a text moves the
// list dataset to the first row with that text.
// Typing looks for the first item that starts with what was typed (letters
// typed within the keyboard input interval add up; case and accents are
// ignored; the same letter again goes on to the next item that starts with
// it), in the closed box, where a found item is taken at once (without
// `chosen`: the user may type on), and in the open list, where it is marked
// for Enter. Text that starts no item picks nothing: a bound box is
// emptied, the open list marks nothing, and a hint beside the box says so
// (setNotFoundText); Enter then closes the list.
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
    // The hint shown when typed text starts no item; %1 is the text.
    void setNotFoundText(const QString& text) { notFoundText_ = text; }
    // A list opened again starts a new search.
    void showPopup() override;

Q_SIGNALS:
    // After a choice of the user has been applied.
    void chosen(int index);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Looks for typed text: the index found, or -1 when nothing starts so.
    int search(const QString& typed, int from);
    // A typed character in the closed box (list false) or the open list.
    void typed(const QString& text, bool list);
    void notFound();
    // Takes item i as choose does, without saying it was chosen.
    bool apply(int i);
    void hideHint();
    void showCurrent();
    int indexOfKey(const QVariant& key) const;
    static bool sameKey(const QVariant& a, const QVariant& b);

    FieldLink link_;
    QPointer<engine::Dataset> list_;
    QString listField_, keyField_;
    QList<QVariant> keys_;
    bool loading_ = false;
    QMetaObject::Connection l1_, l2_;
    QString search_;
    QElapsedTimer lastKey_;
    QString notFoundText_ = QStringLiteral("Nada de la lista empieza por «%1»");
    bool hinting_ = false;
};

}  // namespace widgets
