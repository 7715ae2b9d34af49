#pragma once

#include "widgets/EntryFilter.h"
#include "widgets/FieldLink.h"

#include <QLineEdit>

namespace widgets {

// A line edit bound to one field of a data source.
// - String fields limit the length to the field's size; integer fields take
//   whole numbers within the type's range or the one set with
//   setIntegerRange; dates are typed dd/MM/yyyy. What a field cannot take is
//   refused visibly, key by key, never dropped in silence (EntryFilter.h).
// - Typing puts the record into edit mode when the data source's autoEdit is
//   on; with autoEdit off typing is ignored unless the record is already
//   being edited.
// - The typed text is written to the field when the edit is left or Enter is
//   pressed, and always before the dataset posts. Text that is not a value
//   of the field (a pasted "1,5" in a number field) is refused whole when
//   the edit is left: a hint next to it, the focus and the text kept. A value
//   the field refuses is shown through userDialogs().showError; the text
//   stays for correction, selected, with the focus in the edit.
// - Escape with pending text shows the field's value again.
class DataEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DataEdit(QWidget* parent = nullptr);
    DataEdit(engine::DataSource* source, const QString& fieldName, QWidget* parent = nullptr);
    ~DataEdit() override;

    void setDataSource(engine::DataSource* source, const QString& fieldName);
    engine::DataSource* dataSource() const { return link_.dataSource(); }
    QString fieldName() const { return link_.fieldName(); }
    engine::Field* field() const { return link_.field(); }

    // Narrows the accepted integers (integer fields only).
    void setIntegerRange(qint64 lo, qint64 hi);

    // Typed text not yet written to the field.
    bool isModified() const { return pending_; }
    // Writes pending text into the field; throws the field's DatabaseError.
    void updateRecord();
    // Shows the field's value again, dropping pending text.
    void reset();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void configure();
    void show_();
    void onEdited();
    bool allowChange();
    void commitFromUser();
    void takeFocusBack();

    FieldLink link_;
    EntryFilter* filter_ = nullptr;
    engine::Dataset* registered_ = nullptr;
    int updaterId_ = 0;
    bool pending_ = false;
    bool loading_ = false;
    bool reporting_ = false;
    QString configured_;
    bool hasRange_ = false;
    qint64 lo_ = 0, hi_ = 0;
};

}  // namespace widgets
