#include "dialogs/MsgDlg.h"

#include "data/Dialogs.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>

#include <algorithm>


QString resourceString(int id)
{
    switch (id) {
    case 1: return QStringLiteral("&Sí");
    case 2: return QStringLiteral("&No");
    case 3: return QStringLiteral("&Ok");
    case 4: return QStringLiteral("&Cancelar");
    case 5: return QStringLiteral("&Abortar");
    case 6: return QStringLiteral("&Reintentar");
    case 7: return QStringLiteral("&Ignorar");
    case 8: return QStringLiteral("&Todas");
    case 9: return QStringLiteral("A&yuda");
    case 10: return QStringLiteral("Advertencia");
    case 11: return QStringLiteral("Error");
    case 12: return QStringLiteral("Información");
    case 13: return QStringLiteral("Confirmación");
    default: return {};
    }
}

namespace {

// One row of the button table: bit i of the set selects row i.
struct ButtonKind {
    const char* name;
    QStyle::StandardPixmap image;
    int result;  // mrNone: the button does not close the box
    bool isDefault;
    bool isCancel;
};

constexpr ButtonKind buttonKinds[9] = {
    {"Yes", QStyle::SP_DialogYesButton, mrYes, true, false},
    {"No", QStyle::SP_DialogNoButton, mrNo, false, true},
    {"OK", QStyle::SP_DialogOkButton, mrOk, true, false},
    {"Cancel", QStyle::SP_DialogCancelButton, mrCancel, false, true},
    {"Abort", QStyle::SP_DialogAbortButton, mrAbort, false, false},
    {"Retry", QStyle::SP_DialogRetryButton, mrRetry, false, false},
    {"Ignore", QStyle::SP_DialogIgnoreButton, mrIgnore, false, false},
    {"All", QStyle::SP_DialogYesToAllButton, mrAll, false, false},
    {"Help", QStyle::SP_DialogHelpButton, mrNone, false, false},
};

// Callers end lines with CR LF, LF CR, or CR or LF alone: each is one break.
QString withLineBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (i + 1 < text.size() && (text.at(i + 1) == u'\r' || text.at(i + 1) == u'\n') && text.at(i + 1) != c)
                ++i;
            out.append(u'\n');
        } else {
            out.append(c);
        }
    }
    return out;
}

// A word wider than the line (a long file name) may break: after each
// folder separator, and where a piece is still too wide, after any
// character. The breaks are zero-width spaces, so nothing shows of them.
QString breakableWords(const QString& text, const QFontMetrics& fm, int lineWidth)
{
    constexpr QChar kBreak(0x200B);
    QString out;
    QString word;
    auto piece = [&](const QString& p) {
        if (fm.horizontalAdvance(p) > lineWidth)
            for (const QChar c : p) out += QString(c) + kBreak;
        else
            out += p;
    };
    auto flush = [&] {
        if (fm.horizontalAdvance(word) <= lineWidth) {
            out += word;
        } else {
            QString p;
            for (const QChar c : word) {
                p += c;
                if (c == u'/' || c == u'\\') {
                    piece(p);
                    if (!out.endsWith(kBreak)) out += kBreak;
                    p.clear();
                }
            }
            piece(p);
        }
        word.clear();
    };
    for (const QChar c : text) {
        if (c.isSpace()) {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

int floorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

QFont boxFont(bool bold)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(bold);
    return f;
}

}  // namespace

TMsgDlgBox::TMsgDlgBox(const QString& text, int type, unsigned buttons, int helpContext, int x, int y,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      helpContext_(helpContext)
{
    setObjectName(QStringLiteral("MsgDlg"));
    int width = 250;
    int height = 150;

    // Title by type; the custom type takes the application's title.
    if (type >= mtWarning && type <= mtConfirmation)
        setWindowTitle(resourceString(10 + type));
    else
        setWindowTitle(QGuiApplication::applicationDisplayName());

    // The type's system icon at (10, 8); the text starts after it.
    int textLeft = 10;
    if (type >= mtWarning && type <= mtConfirmation) {
        static constexpr QStyle::StandardPixmap icons[4] = {
            QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation,
            QStyle::SP_MessageBoxQuestion};
        const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        const QPixmap pm = style()->standardIcon(icons[type], nullptr, this).pixmap(side, side);
        image_ = new QLabel(this);
        image_->setObjectName(QStringLiteral("Image"));
        image_->setPixmap(pm);
        const QSize iconSize = pm.deviceIndependentSize().toSize();
        image_->setGeometry(10, 8, iconSize.width(), iconSize.height());
        textLeft = 55;
    }

    // The text, sized to itself first.
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("Message"));
    message_->setTextFormat(Qt::PlainText);  // names typed by users are never markup
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setFont(boxFont(true));
    message_->setText(withLineBreaks(text));
    message_->adjustSize();
    const QFontMetrics fm = message_->fontMetrics();
    int labelHeight = message_->height();
    const int need = message_->width() + textLeft + 15;

    // Too wide for the box: widen it, and past 390 wrap over three lines.
    // A notice (information with OK alone, such as where a file was written)
    // is shown whole instead: the box widens for its longest word (a file
    // name), up to the screen, and grows down for every line.
    if (width < need) {
        message_->setWordWrap(true);
        if (need <= 380) {
            width = need + 15;
        } else if (type == mtInformation && buttons == mbOK) {
            int word = 0;
            for (const QString& w : message_->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                word = std::max(word, fm.horizontalAdvance(w));
            const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
            const int widest = std::min(screen ? screen->availableGeometry().width() - 40 : 700, 700);
            width = std::clamp(word + textLeft + 15 + 15, 390, std::max(390, widest));
            const int textWidth = width - textLeft - 15;
            message_->setText(breakableWords(message_->text(), fm, textWidth));
            labelHeight = fm.boundingRect(QRect(0, 0, textWidth, 1 << 20), Qt::TextWordWrap, message_->text()).height();
            height = std::max(height, labelHeight + 65 + 20);
        } else {
            width = 390;
            labelHeight = 3 * fm.lineSpacing();
        }
    }
    message_->setGeometry(textLeft, floorHalf(height - 65 - labelHeight), width - textLeft - 15, labelHeight);

    // The buttons of the set, in table order.
    QList<QPushButton*> row;
    QPushButton* defaultButton = nullptr;
    for (int bit = 0; bit < 9; ++bit) {
        if (!(buttons & (1u << bit)))
            continue;
        const ButtonKind& kind = buttonKinds[bit];
        auto* b = new QPushButton(resourceString(bit + 1), this);
        b->setObjectName(QString::fromLatin1(kind.name));
        b->setFont(boxFont(false));
        b->setIcon(style()->standardIcon(kind.image, nullptr, b));
        b->setFixedSize(70, 27);
        if (kind.isDefault && !defaultButton)
            defaultButton = b;
        // Escape answers No, or Cancelar where the box has it: the answer
        // that changes nothing ("¿Guardar los cambios?" with Sí, No and
        // Cancelar stays where it was).
        if (kind.isCancel)
            cancel_ = b;
        const int result = kind.result;
        if (result != mrNone)
            connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        row << b;
    }

    const int n = int(row.size());
    const int total = (70 + 2) * n + 16 * (n - 1);
    if (total > width - 60)
        width = total + 60;
    int left = floorHalf(width - total);
    for (QPushButton* b : row) {
        b->move(left, height - 70);
        left += 70 + 16;
    }
    if ((buttons & mbKeepDefault) && cancel_)
        defaultButton = cancel_;
    if (defaultButton) {
        defaultButton->setDefault(true);
        defaultButton->setFocus();
    } else if (!row.isEmpty()) {
        row.front()->setFocus();
    }

    // The sizes above are the whole window's. Where the window in front shows
    // the frame the window manager draws, the client area is that much smaller.
    QMargins frame;
    if (parent && parent->window()->isVisible()) {
        const QRect outer = parent->window()->frameGeometry();
        const QRect inner = parent->window()->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    setFixedSize(width - frame.left() - frame.right(), height - frame.top() - frame.bottom());
    centred_ = x < 0 || y < 0;
    if (centred_)
        centre(QSize(width, height));
    else
        move(x, y);
}

// The middle of the screen for the whole window; once shown, with the frame
// the window actually got.
void TMsgDlgBox::centre(const QSize& outer)
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.x() + floorHalf(area.width() - outer.width()), area.y() + floorHalf(area.height() - outer.height()));
}

void TMsgDlgBox::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (centred_)
        centre(frameGeometry().size());
}

void TMsgDlgBox::reject() { done(mrCancel); }

void TMsgDlgBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        // Escape answers the cancel button; without one it does nothing.
        if (cancel_)
            cancel_->click();
        e->accept();
        return;
    }
    // With nothing to type into, a button's underlined letter alone presses it.
    if ((e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && e->text().size() == 1) {
        const QChar typed = e->text().at(0).toLower();
        for (QPushButton* b : findChildren<QPushButton*>()) {
            const QString caption = b->text();
            const qsizetype amp = caption.indexOf(u'&');
            if (amp >= 0 && amp + 1 < caption.size() && caption.at(amp + 1).toLower() == typed) {
                b->click();
                e->accept();
                return;
            }
        }
    }
    QDialog::keyPressEvent(e);
}

QWidget* windowInFront()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    if (QWidget* w = QApplication::activeWindow())
        return w;
    // The program has no focus: the main window, or any window showing.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isWindow() && qobject_cast<QMainWindow*>(w))
            return w;
    return nullptr;
}

int showMsgDlgBox(const QString& text, int type, unsigned buttons, int helpContext, int x, int y)
{
    QWidget* parent = windowInFront();
    QPointer<TMsgDlgBox> box = new TMsgDlgBox(text, type, buttons, helpContext, x, y, parent);
    const int result = box->exec();
    delete box;  // null when the parent went first
    return result;
}
