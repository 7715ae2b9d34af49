#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace engine {
class DataSource;
}  // namespace engine

namespace widgets {
class DataEdit;
}  // namespace widgets

// The controls the competition workbook's pages are made of, made alike on
// every page.
namespace workbook {

// A button that Enter in a field never presses by accident.
QPushButton* button(const QString& text, const char* name, QWidget* parent, const QString& hint = {});
// An edit bound to a field; numbers in it are whole, from 0 to the field's
// top. chars > 0 fixes its width to that many average characters.
widgets::DataEdit* edit(engine::DataSource* source, const QString& field, const char* name, QWidget* parent,
                        int chars = 0);
// A caption whose mnemonic takes the focus to buddy.
QLabel* label(const QString& text, QWidget* parent, QWidget* buddy = nullptr);

}  // namespace workbook
