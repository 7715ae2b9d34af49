#pragma once

#include <QMainWindow>

class QLabel;
class QToolButton;

// The main window: the menu and button bar every screen is opened from.
class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);

    // The text of the status bar's single panel.
    QString statusText() const;

public Q_SLOTS:
    void Definicin1Click();
    void ImprimirListadodeParticipantes1Click();
    void PenalizacionesClick();
    void Verclasificacin1Click();
    void Resumen1Click();
    void InformePruebaCSVClick();
    void ExportaraHTML1Click();
    void ExportaraCSVClick();
    void Salir1Click();
    void Pesaje2Click();
    void ImprimirActas1Click();
    void Actafinal1Click();
    void Especies2Click();
    void Pescadores1Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void centre();
    void buildMenu();
    void buildButtonBar();
    void buildStatusBar();

    QToolButton* SBCompeticiones = nullptr;
    QToolButton* SBPesaje = nullptr;
    QToolButton* SBsalir = nullptr;
    QLabel* statusPanel = nullptr;
    bool centred_ = false;
};
