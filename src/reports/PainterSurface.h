#pragma once

#include "reports/PrintSurface.h"

#include <QFont>
#include <QPainter>

#include <functional>

class QPagedPaintDevice;
class PrintDevice;

// The print surface over QPainter on any paged device: the print dialog's
// QPrinter or a QPdfWriter. The device's title is set through `setTitle`
// (QPdfWriter is handled here; a printer's caller passes its own setter, so
// this file needs no print-support header).
class PainterSurface : public PrintSurface {
public:
    // The default face and size of the surface: the platform's default face
    // (on Linux one that holds every Spanish letter and "º") at 8 points, the
    // size the layouts' column widths were drawn for.
    static constexpr int kTamanoInicial = 8;

    explicit PainterSurface(QPagedPaintDevice& device, std::function<void(const QString&)> titleSetter = {});
    // On what the print dialog handed back.
    explicit PainterSurface(PrintDevice& device);
    ~PainterSurface() override;

    void setOrientation(Orientacion o) override;
    int pageWidth() const override;
    int pageHeight() const override;
    void setTitle(const QString& title) override;
    void beginDoc() override;
    void newPage() override;
    void endDoc() override;
    int fontSize() const override { return font_.pointSize(); }
    void setFontSize(int points) override;
    void setBold(bool on) override;
    int textWidth(const QString& text) override;
    int textHeight(const QString& text) override;
    void textOut(int x, int y, const QString& text) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setBrushColor(const QColor& c) override { brush_ = c; }
    void fillRect(int left, int top, int right, int bottom) override;
    void stretchDraw(int left, int top, int right, int bottom, const QImage& image) override;

    // The face the surface draws with.
    static QFont fuentePorDefecto();

private:
    void applyFont();

    QPagedPaintDevice& device_;
    std::function<void(const QString&)> titleSetter_;
    QPainter painter_;
    QFont font_;
    QColor brush_ = Qt::white;
    QPoint pen_;
};
