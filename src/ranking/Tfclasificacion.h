#pragma once

#include "scoring/ClasificacionDia.h"

#include <QDialog>
#include <QRegion>

class QLabel;
class QPushButton;
class QTableWidget;
class Tdm;

// The live day ranking "CLASIFICACIÓN PESADA": a non-modal window in large
// type, one row per team of the current day, best total first. It belongs to
// the weigh-in screen, which creates it, refills it after every change and
// sets its caption and its two labels; the window itself only reads.
class Tfclasificacion : public QDialog {
    Q_OBJECT
public:
    explicit Tfclasificacion(Tdm& data, QWidget* parent = nullptr);

    // Refills the grid from the file for the current competition and day;
    // only the cells whose text changed are drawn again.
    void escribeDatos();
    // Paints now the cells the last refill changed, so the window shows the
    // refill when this returns (what did not change already shows right).
    void repintar();

    // The text of a grid cell (row 0 is the heading row).
    QString cellText(int row, int column) const;
    int rowCount() const;

    QLabel* LEquipo = nullptr;
    QLabel* LPesada = nullptr;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void setRow(int row, const QStringList& cells);
    bool individual() const;

    Tdm& dm_;
    bool individual_ = false;  // names on one line, vertically centred
    bool centred_ = false;
    QRegion cambiado_;  // the cells the last refill changed, in the grid's viewport
    // The teams' members as last read, of competition miembrosDe_ while the
    // participants table stays at version miembrosVersion_.
    MiembrosEquipos miembros_;
    QString miembrosDe_;
    quint64 miembrosVersion_ = 0;
    QTableWidget* sg = nullptr;
    QPushButton* BSalir = nullptr;
};
