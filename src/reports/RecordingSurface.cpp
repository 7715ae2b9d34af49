#include "reports/RecordingSurface.h"

namespace {

RecordingSurface::Call call(RecordingSurface::Op op, int x = 0, int y = 0, int x2 = 0, int y2 = 0, const QString& text = {},
                            int value = 0)
{
    RecordingSurface::Call c;
    c.op = op;
    c.x = x;
    c.y = y;
    c.x2 = x2;
    c.y2 = y2;
    c.text = text;
    c.value = value;
    return c;
}

}  // namespace

RecordingSurface::RecordingSurface(int portraitWidth, int portraitHeight, int initialSize)
    : portraitWidth_(portraitWidth), portraitHeight_(portraitHeight), size_(initialSize)
{
}

void RecordingSurface::record(Call c)
{
    c.page = page_;
    c.size = size_;
    c.bold = bold_;
    c.brush = brush_;
    calls << c;
}

void RecordingSurface::setOrientation(Orientation o)
{
    orientation_ = o;
    record(call(Op::Orientation, 0, 0, 0, 0, {}, int(o)));
}

int RecordingSurface::pageWidth() const
{
    return orientation_ == Orientation::Portrait ? portraitWidth_ : portraitHeight_;
}

int RecordingSurface::pageHeight() const
{
    return orientation_ == Orientation::Portrait ? portraitHeight_ : portraitWidth_;
}

void RecordingSurface::setTitle(const QString& title)
{
    title_ = title;
    record(call(Op::Title, 0, 0, 0, 0, title));
}

void RecordingSurface::beginDoc()
{
    open_ = true;
    page_ = 1;
    ++documents_;
    record(call(Op::Begin));
}

void RecordingSurface::newPage()
{
    ++page_;
    record(call(Op::NewPage));
}

void RecordingSurface::endDoc()
{
    if (!open_)
        return;
    open_ = false;
    record(call(Op::End));
}

void RecordingSurface::setFontSize(int points)
{
    size_ = points;
    record(call(Op::FontSize, 0, 0, 0, 0, {}, points));
}

void RecordingSurface::setBold(bool on)
{
    bold_ = on;
    record(call(Op::Bold, 0, 0, 0, 0, {}, on ? 1 : 0));
}

int RecordingSurface::textWidth(const QString& text) { return int(text.size()) * 6 * size_; }

int RecordingSurface::textHeight(const QString&) { return 10 * size_; }

void RecordingSurface::textOut(int x, int y, const QString& text)
{
    if (beforeText)
        beforeText(text);
    record(call(Op::Text, x, y, x + textWidth(text), y + textHeight(text), text));
}

void RecordingSurface::moveTo(int x, int y) { record(call(Op::MoveTo, x, y)); }

void RecordingSurface::lineTo(int x, int y) { record(call(Op::LineTo, x, y)); }

void RecordingSurface::setBrushColor(const QColor& c)
{
    brush_ = c;
    record(call(Op::Brush));
}

void RecordingSurface::fillRect(int left, int top, int right, int bottom)
{
    record(call(Op::Fill, left, top, right, bottom));
}

void RecordingSurface::stretchDraw(int left, int top, int right, int bottom, const QImage& image)
{
    if (!image.isNull())
        record(call(Op::Image, left, top, right, bottom));
}

QList<RecordingSurface::Call> RecordingSurface::texts() const
{
    QList<Call> r;
    for (const Call& c : calls)
        if (c.op == Op::Text)
            r << c;
    return r;
}

QStringList RecordingSurface::textStrings() const
{
    QStringList r;
    for (const Call& c : texts())
        r << c.text;
    return r;
}

QList<RecordingSurface::Rule> RecordingSurface::rules() const
{
    QList<Rule> r;
    for (int i = 1; i < calls.size(); ++i)
        if (calls[i].op == Op::LineTo && calls[i - 1].op == Op::MoveTo)
            r << Rule{calls[i].page, calls[i - 1].x, calls[i - 1].y, calls[i].x, calls[i].y};
    return r;
}

QList<RecordingSurface::Call> RecordingSurface::fills() const
{
    QList<Call> r;
    for (const Call& c : calls)
        if (c.op == Op::Fill)
            r << c;
    return r;
}

RecordingSurface::Call RecordingSurface::text(const QString& t) const
{
    for (const Call& c : calls)
        if (c.op == Op::Text && c.text == t)
            return c;
    return call(Op::End);
}

int RecordingSurface::count(const QString& t) const
{
    int n = 0;
    for (const Call& c : calls)
        n += c.op == Op::Text && c.text == t;
    return n;
}
