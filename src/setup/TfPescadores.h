#pragma once

#include "engine/DataSource.h"
#include "engine/Table.h"

#include <QDialog>

class QPushButton;
class Tdm;

namespace widgets {
class DataGrid;
class DataNavigator;
}  // namespace widgets

// "Pescadores registrados", the register of fishermen: a grid by name over a
// table object of its own (typing starts editing), a navigator along the
// bottom and "&Cerrar". Editing a fisherman here changes no participant.
// Created for one use, shown modally, released afterwards.
class TfPescadores : public QDialog {
    Q_OBJECT
public:
    explicit TfPescadores(Tdm& data, QWidget* parent = nullptr);
    ~TfPescadores() override;

    engine::Table pescadores;
    engine::DataSource dsPescadores{&pescadores};

    widgets::DataGrid* DBGPescadores = nullptr;
    widgets::DataNavigator* DBNPescadores = nullptr;
    QPushButton* bbCerrar = nullptr;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void closeTable();

    Tdm& data_;
    bool activated_ = false;
};
