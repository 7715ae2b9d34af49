#pragma once

#include "scoring/ClasFinal.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;
class Tdm;

// The final ranking of the current competition over all its days: one entry
// per team, best total first, the members one a row, and "Exportar a &Html"
// for the page "clasfinal.html". The caller sets the caption to the
// competition's title (the page's title too). Only reads the database; the
// grid is filled again, with the same result, whenever the window becomes
// active. Created for one showing and released afterwards.
class Tfclafinal : public QDialog {
    Q_OBJECT
public:
    explicit Tfclafinal(Tdm& data, QWidget* parent = nullptr);

    QLabel* LTitulo = nullptr;
    QTableWidget* csg = nullptr;
    QPushButton* BExportar = nullptr;
    QPushButton* BSalir = nullptr;

    // Fills the grid from the file (on every activation).
    void llenar();
    // "Exportar a &Html".
    void BExportarClick();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void build();

    Tdm& dm_;
    TClasFinal clas_;  // what the grid shows
};
