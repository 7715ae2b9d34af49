#pragma once

#include "reports/PrintSurface.h"

#include <QList>

#include <functional>

// A print surface that draws nothing and records every call, with fixed text
// metrics: a text is 6 × size units wide per character and 10 × size units
// high (a 10-point "M" is 60 × 100). Layout tests assert on what it recorded.
class RecordingSurface : public PrintSurface {
public:
    enum class Op { Orientation, Title, Begin, NewPage, End, FontSize, Bold, Text, MoveTo, LineTo, Brush, Fill, Image };

    struct Call {
        Op op = Op::End;
        int page = 0;      // 1 for the first page, 0 before the document begins
        int x = 0, y = 0;  // text, pen, rectangle's top-left
        int x2 = 0, y2 = 0;
        QString text;      // text drawn, title
        int size = 0;      // font size at the call
        bool bold = false;
        QColor brush;
        int value = 0;     // new size, bold on, orientation
    };

    // A rule: a move followed by a line.
    struct Rule {
        int page, x1, y1, x2, y2;
    };

    // A page of portraitWidth × portraitHeight device units in portrait
    // (A4 at 600 dots per inch by default), swapped in landscape.
    explicit RecordingSurface(int portraitWidth = 4961, int portraitHeight = 7016, int initialSize = 10);

    void setOrientation(Orientation o) override;
    int pageWidth() const override;
    int pageHeight() const override;
    void setTitle(const QString& title) override;
    void beginDoc() override;
    void newPage() override;
    void endDoc() override;
    int fontSize() const override { return size_; }
    void setFontSize(int points) override;
    void setBold(bool on) override;
    int textWidth(const QString& text) override;
    int textHeight(const QString& text) override;
    void textOut(int x, int y, const QString& text) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setBrushColor(const QColor& c) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void stretchDraw(int left, int top, int right, int bottom, const QImage& image) override;

    // Runs before every textOut (a test makes it throw to fail part-way).
    std::function<void(const QString&)> beforeText;

    QList<Call> calls;
    Orientation orientation() const { return orientation_; }
    bool open() const { return open_; }
    bool bold() const { return bold_; }
    int pages() const { return page_; }
    int documents() const { return documents_; }
    QString title() const { return title_; }

    // What was recorded, in order.
    QList<Call> texts() const;
    QStringList textStrings() const;
    QList<Rule> rules() const;
    QList<Call> fills() const;
    // The first text drawn equal to t; a call with op End when there is none.
    Call text(const QString& t) const;
    int count(const QString& t) const;

private:
    void record(Call c);

    int portraitWidth_, portraitHeight_;
    Orientation orientation_ = Orientation::Portrait;
    int size_;
    bool bold_ = false;
    bool open_ = false;
    int page_ = 0;
    int documents_ = 0;
    QColor brush_ = Qt::white;
    QString title_;
};
