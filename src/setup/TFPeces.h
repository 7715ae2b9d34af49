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

// "Peces", the register of fish species: a grid of names and other names
// over a table object of its own, a navigator and "Terminar". Editing in the
// grid starts only with the navigator (typing alone does not start it); a
// new row starts on its name. Leaving with a row being edited ("Terminar",
// Esc, the close button) asks first whether to save it. Created for one use,
// shown modally, released afterwards.
class TFPeces : public QDialog {
    Q_OBJECT
public:
    explicit TFPeces(Tdm& data, QWidget* parent = nullptr);
    ~TFPeces() override;

    engine::Table TApeces;
    engine::DataSource Speces{&TApeces};

    widgets::DataGrid* DBGPeces = nullptr;
    widgets::DataNavigator* DBNPeces = nullptr;
    QPushButton* BBTerminar = nullptr;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void closeTable();

    Tdm& data_;
    bool activated_ = false;
};

// Makes the data module's open views read the species register again, so a
// renamed species shows its new name in every list and calculated name.
void refreshSpeciesViews(Tdm& data);
