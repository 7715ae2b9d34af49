#pragma once

#include "widgets/FieldLink.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QRadioButton>

namespace widgets {

// A label showing a field's display text on the current record.
class DataLabel : public QLabel {
    Q_OBJECT
public:
    explicit DataLabel(QWidget* parent = nullptr);
    DataLabel(engine::DataSource* source, const QString& fieldName, QWidget* parent = nullptr);
    void setDataSource(engine::DataSource* source, const QString& fieldName);
    engine::DataSource* dataSource() const { return link_.dataSource(); }

private:
    void show_();
    FieldLink link_;
};

// A check box bound to a field: a Boolean field, or any field with the
// values stored for checked and unchecked (setValues).
class DataCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DataCheckBox(QWidget* parent = nullptr);
    DataCheckBox(const QString& text, engine::DataSource* source, const QString& fieldName, QWidget* parent = nullptr);
    void setDataSource(engine::DataSource* source, const QString& fieldName);
    engine::DataSource* dataSource() const { return link_.dataSource(); }
    void setValues(const QVariant& checkedValue, const QVariant& uncheckedValue);

protected:
    void nextCheckState() override;

private:
    void show_();
    FieldLink link_;
    QVariant on_{true}, off_{false};
    bool hasValues_ = false;
};

// A framed group of radio buttons; each item has a caption and the value
// stored for it ("Individual" -> "I"). Bound to a field, it shows the item
// whose value equals the field and stores the value of the item the user
// picks; unbound it is a plain choice (itemIndex / setItemIndex).
class DataRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit DataRadioGroup(const QString& title = {}, QWidget* parent = nullptr);

    // Values default to the captions.
    void setItems(const QStringList& captions, const QVariantList& values = {});
    void setColumns(int columns);
    void setDataSource(engine::DataSource* source, const QString& fieldName);
    engine::DataSource* dataSource() const { return link_.dataSource(); }

    int itemIndex() const;          // -1 when none is checked
    void setItemIndex(int i);       // programmatic, does not write the field
    QVariant value() const;         // value of the checked item
    QRadioButton* button(int i) const { return i >= 0 && i < buttons_.size() ? buttons_[i] : nullptr; }
    int count() const { return int(buttons_.size()); }

Q_SIGNALS:
    void itemChanged(int index);   // the user picked an item

private:
    void show_();
    void layoutButtons();
    void picked(int i);

    FieldLink link_;
    QButtonGroup group_;
    QList<QRadioButton*> buttons_;
    QVariantList values_;
    int columns_ = 1;
    bool loading_ = false;
};

}  // namespace widgets
