#pragma once

// The drawing surface every printed report works on: exactly the printer
// operations the reports need. Coordinates are device units of the page's
// printable area; a text is placed by the top-left corner of its cell.
//
// Two implementations: PainterSurface (a real printer or a PDF file, through
// QPainter) and RecordingSurface (records every call, with fixed text
// metrics, for layout tests).

#include <QColor>
#include <QImage>
#include <QString>

#include <stdexcept>

enum class Orientation { Portrait, Landscape };

// A job that cannot start or go on (the output cannot be opened).
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    // Page layout: set before anything is measured.
    virtual void setOrientation(Orientation o) = 0;
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;
    virtual void setTitle(const QString& title) = 0;

    // Document control.
    virtual void beginDoc() = 0;  // throws PrintError when the output cannot be opened
    virtual void newPage() = 0;
    virtual void endDoc() = 0;    // does nothing when no document is open

    // Font: only its size (points) and weight are ever changed.
    virtual int fontSize() const = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool on) = 0;

    virtual int textWidth(const QString& text) = 0;
    virtual int textHeight(const QString& text) = 0;
    // The cell behind the text takes the brush colour.
    virtual void textOut(int x, int y, const QString& text) = 0;

    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void setBrushColor(const QColor& c) = 0;
    // Fills the rectangle from (left, top) to (right, bottom), right and bottom excluded.
    virtual void fillRect(int left, int top, int right, int bottom) = 0;
    // Draws the image stretched into the rectangle; a null image draws nothing.
    virtual void stretchDraw(int left, int top, int right, int bottom, const QImage& image) = 0;

    // A rule from (x1, y1) to (x2, y2).
    void line(int x1, int y1, int x2, int y2)
    {
        moveTo(x1, y1);
        lineTo(x2, y2);
    }
};
