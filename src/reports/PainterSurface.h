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
//
// Every device gets the same page: the reports lay out on the command line's
// PDF page (A4 at 600 dots per inch, no margins), in device units of that
// page, and a device of another paper, margins or resolution (a printer)
// receives that page scaled to fit its printable area and centred in it.
// Text is measured at 600 dots per inch on every device, so a report lays
// out the same words at the same places whatever it is printed on.
class PainterSurface : public PrintSurface {
public:
    // The default face and size of the surface: the platform's default face
    // (on Linux one that holds every Spanish letter and "º") at 8 points, the
    // size the layouts' column widths were drawn for.
    static constexpr int kInitialSize = 8;

    explicit PainterSurface(QPagedPaintDevice& device, std::function<void(const QString&)> titleSetter = {});
    // On what the print dialog handed back.
    explicit PainterSurface(PrintDevice& device);
    ~PainterSurface() override;

    void setOrientation(Orientation o) override;
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
    static QFont defaultFont();
    // The page the reports lay out on, in its units: A4 at 600 dots per inch.
    static QSize a4Page(Orientation o);

private:
    void applyFont();
    // The face at the current size, as the device must be given it for
    // text to measure as at 600 dots per inch.
    QFont deviceFont() const;

    QPagedPaintDevice& device_;
    Orientation orientation_ = Orientation::Portrait;
    std::function<void(const QString&)> titleSetter_;
    QPainter painter_;
    QFont font_;
    QColor brush_ = Qt::white;
    QPoint pen_;
};
