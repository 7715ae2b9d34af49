#include "widgets/CellCache.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace widgets {

size_t qHash(const CellCache::Key& k, size_t seed)
{
    return qHashMulti(seed, k.text, k.font, k.size.width(), k.size.height(), k.alignment, k.direction, k.state,
                      k.features, k.palette, k.style);
}

namespace {

// The state bits a style's item drawing looks at.
constexpr int kDrawnState = QStyle::State_Enabled | QStyle::State_Active | QStyle::State_Selected |
                            QStyle::State_MouseOver | QStyle::State_Window;

}  // namespace

// The cell as the item view and the style draw it, at `option.rect`: the
// view's background, the row panel, the item panel and the text, set in by
// the style's text margin.
void CellCache::draw(QPainter* p, const QStyleOptionViewItem& option, const QStyle* style, int margin,
                     QTextLayout& text)
{
    const QWidget* widget = option.widget;
    p->fillRect(option.rect, option.palette.brush(QPalette::Base));
    style->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, p, widget);
    QStyleOptionViewItem panel = option;
    panel.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &panel, p, widget);

    QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(option.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
    p->save();
    p->setClipRect(option.rect);
    p->setPen(option.palette.color(group, option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                  : QPalette::Text));
    const QRect placed =
        QStyle::alignedRect(option.direction, option.displayAlignment & Qt::AlignVertical_Mask,
                            QSize(textRect.width(), int(text.lineAt(0).height())), textRect);
    text.draw(p, QPointF(textRect.x(), placed.y()));
    p->restore();
}

bool CellCache::paint(QPainter* p, const QStyleOptionViewItem& option)
{
    using Opt = QStyleOptionViewItem;
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (!view || option.text.isEmpty() ||
        (option.features & (Opt::WrapText | Opt::HasCheckIndicator | Opt::HasDecoration)) ||
        (option.state & (QStyle::State_Editing | QStyle::State_HasFocus)) ||
        option.backgroundBrush.style() != Qt::NoBrush || option.text.contains(QChar::LineFeed) ||
        option.text.contains(QChar::CarriageReturn) || view->testAttribute(Qt::WA_StyleSheet) ||
        view->viewport()->backgroundRole() != QPalette::Base || !view->viewport()->autoFillBackground() ||
        p->transform().type() > QTransform::TxTranslate || p->device()->devicePixelRatio() != 1.0 ||
        option.rect.isEmpty())
        return false;

    if (lastFontKey_.isEmpty() || option.font != lastFont_) {
        lastFont_ = option.font;
        lastFontKey_ = option.font.key();
    }
    const Qt::Alignment align = QStyle::visualAlignment(option.direction, option.displayAlignment);
    Key key{option.text,
            lastFontKey_,
            option.rect.size(),
            int(align),
            int(option.direction),
            int(option.state & kDrawnState),
            int(option.features),
            option.palette.cacheKey(),
            view->style()};
    if (const QPixmap* cell = cells_.object(key)) {
        p->drawPixmap(option.rect.topLeft(), *cell);
        return true;
    }

    // One line laid out as the style lays it out; the style elides what does
    // not fit.
    QTextLayout text(option.text, option.font);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(option.direction);
    textOption.setAlignment(align);
    text.setTextOption(textOption);
    const QStyle* style = view->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int width = option.rect.width() - 2 * margin;
    text.beginLayout();
    QTextLine line = text.createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
    }
    text.endLayout();
    if (text.lineCount() != 1 || text.lineAt(0).naturalTextWidth() > width)
        return false;

    auto* cell = new QPixmap(option.rect.size());
    {
        QPainter q(cell);
        q.setRenderHints(p->renderHints());
        q.setFont(p->font());
        Opt at = option;
        at.rect.moveTo(0, 0);
        draw(&q, at, style, margin, text);
    }
    p->drawPixmap(option.rect.topLeft(), *cell);
    const qint64 bytes = qint64(cell->width()) * cell->height() * 4;
    cells_.insert(std::move(key), cell, bytes);
    return true;
}

}  // namespace widgets
