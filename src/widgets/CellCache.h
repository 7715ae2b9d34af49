#pragma once

#include <QCache>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QTextLayout>

class QPainter;
class QStyle;
class QStyleOptionViewItem;

namespace widgets {

// Paints an item view's cells as the style paints them, but keeps what it
// painted: a grid repainted after every save (a new row repaints the whole
// view) draws only the cells it has not shown before and copies the others.
// A cell is the view's background, the style's row and item panels
// (selection included) and one line of text that fits, placed with the
// style's margin and alignment; anything else (eliding, wrapping, icons,
// check boxes, the focused cell, a style sheet, a scaled painter) is left to
// the style.
class CellCache {
public:
    // Paints the cell; false, having drawn nothing, when it is not one of these.
    bool paint(QPainter* p, const QStyleOptionViewItem& option);
    // How many painted cells are kept.
    qsizetype size() const { return cells_.size(); }

    struct Key {
        QString text;
        QString font;
        QSize size;
        int alignment = 0;
        int direction = 0;
        int state = 0;
        int features = 0;
        qint64 palette = 0;
        const void* style = nullptr;
        bool operator==(const Key& o) const = default;
    };

private:
    static void draw(QPainter* p, const QStyleOptionViewItem& option, const QStyle* style, int margin,
                     QTextLayout& text);

    QCache<Key, QPixmap> cells_{8 * 1024 * 1024};  // cost: bytes
    QFont lastFont_;
    QString lastFontKey_;
};

size_t qHash(const CellCache::Key& k, size_t seed = 0);

}  // namespace widgets
