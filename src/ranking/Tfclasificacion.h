#pragma once

#include <QDialog>

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

    // Refills the grid from the file for the current competition and day.
    void escribeDatos();

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
    bool individual_ = false;
    bool centred_ = false;  // names on one line, vertically centred
    QTableWidget* sg = nullptr;
    QPushButton* BSalir = nullptr;
};
