#include "dialogs/GuiDialogs.h"
#include "dialogs/MsgDlg.h"
#include "support/ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the test saw of the program's box while it was showing.
struct BoxSeen {
    bool seen = false;
    bool stillOpen = false;  // the action left it open; the test closed it
    QString title;
    QRect geometry;  // the client area
    QRect frame;     // with the window's frame
    QRect label;
    int lineHeight = 0;
    int lineSpacing = 0;
    int textWidth = 0;
    int wrappedHeight = 0;  // the height the label's text wants at its width
    bool hasIcon = false;
    QRect icon;
    QImage iconImage;
    QStringList captions;
    QList<QRect> buttons;
    QString defaultButton;
};

// Runs the box through the GUI dialogs; `act` answers it, then the box is
// closed if it is still open so a test cannot hang.
int runBox(const QString& text, int type, unsigned buttons, BoxSeen& seen, std::function<void(TMsgDlgBox*)> act,
           int x = -1, int y = -1)
{
    ModalAnswer::onNext([&seen, act](QWidget* w) {
        auto* box = qobject_cast<TMsgDlgBox*>(w);
        if (!box) {
            w->close();
            return;
        }
        seen.seen = true;
        seen.title = box->windowTitle();
        seen.geometry = box->geometry();
        seen.frame = box->frameGeometry();
        QLabel* msg = box->messageLabel();
        seen.label = msg->geometry();
        const QFontMetrics fm = msg->fontMetrics();
        seen.lineHeight = fm.height();
        seen.lineSpacing = fm.lineSpacing();
        QLabel probe;  // the same text and font, sized to itself
        probe.setFont(msg->font());
        probe.setText(msg->text());
        probe.adjustSize();
        seen.textWidth = probe.width();
        seen.wrappedHeight = msg->wordWrap() ? msg->heightForWidth(msg->width()) : seen.label.height();
        if (QLabel* icon = box->iconLabel()) {
            seen.hasIcon = true;
            seen.icon = icon->geometry();
            seen.iconImage = icon->pixmap().toImage();
        }
        for (QPushButton* b : box->findChildren<QPushButton*>()) {
            seen.captions << b->text();
            seen.buttons << b->geometry();
            if (b->isDefault())
                seen.defaultButton = b->text();
        }
        act(box);
        if (box->isVisible()) {
            seen.stillOpen = true;
            box->close();
        }
    });
    return MsgDlgPos(text, type, buttons, 0, x, y);
}

void pressKey(QWidget* w, int key)
{
    QWidget* target = w->focusWidget() ? w->focusWidget() : w;
    const QString text = key >= Qt::Key_A && key <= Qt::Key_Z ? QString(QChar(key)).toLower() : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void click(TMsgDlgBox* box, const char* name)
{
    if (auto* b = box->findChild<QPushButton*>(QString::fromLatin1(name)))
        b->click();
}

// The width the box's text font gives a text, as the test measures it.
int boldWidth(const QString& text)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(true);
    return QFontMetrics(f).horizontalAdvance(text);
}

// Words appended until the text's width passes `minWidth`.
QString textWiderThan(int minWidth)
{
    const QStringList words = {"La", "competición", "seleccionada", "tiene", "participantes", "y", "capturas"};
    QString t;
    for (int i = 0; boldWidth(t) <= minWidth; ++i)
        t += (t.isEmpty() ? "" : " ") + words[i % words.size()];
    return t;
}

class MsgDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = &userDialogs();
        setUserDialogs(&gui_);
    }
    void TearDown() override { setUserDialogs(previous_); }
    GuiDialogs gui_;
    UserDialogs* previous_ = nullptr;
};

TEST_F(MsgDlgTest, ResourceStringsHoldCaptionsAndTitles)
{
    const QStringList expected = {"&Sí", "&No", "&Ok", "&Cancelar", "&Abortar", "&Reintentar", "&Ignorar",
                                  "&Todas", "A&yuda", "Advertencia", "Error", "Información", "Confirmación"};
    for (int id = 1; id <= 13; ++id)
        EXPECT_EQ(resourceString(id), expected[id - 1]) << id;
    EXPECT_EQ(resourceString(0), "");
    EXPECT_EQ(resourceString(14), "");
}

TEST_F(MsgDlgTest, ShortTextKeepsTheBoxAt250By150OnOneLine)
{
    BoxSeen seen;
    const int r = runBox("Hecho.", mtInformation, mbOK, seen, [](TMsgDlgBox* b) { click(b, "OK"); });
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(r, mrOk);
    EXPECT_EQ(seen.geometry.size(), QSize(250, 150));
    EXPECT_EQ(seen.label.height(), seen.lineHeight);
    EXPECT_EQ(seen.label.left(), 55);
    EXPECT_EQ(seen.label.width(), 250 - 55 - 15);
    EXPECT_EQ(seen.label.top(), (150 - 65 - seen.lineHeight) / 2);
    EXPECT_EQ(seen.icon.topLeft(), QPoint(10, 8));
    // One Ok in the middle of the row, 80 from the top.
    ASSERT_EQ(seen.buttons.size(), 1);
    EXPECT_EQ(seen.buttons[0], QRect((250 - 72) / 2, 80, 70, 27));
}

TEST_F(MsgDlgTest, OverAFramedWindowTheWholeBoxIs250By150)
{
    QMainWindow front;
    front.resize(400, 300);
    front.show();
    const QMargins frame(front.geometry().left() - front.frameGeometry().left(),
                         front.geometry().top() - front.frameGeometry().top(),
                         front.frameGeometry().right() - front.geometry().right(),
                         front.frameGeometry().bottom() - front.geometry().bottom());
    ASSERT_FALSE(frame.isNull());  // the platform draws a frame here
    BoxSeen seen;
    runBox("Hecho.", mtInformation, mbOK, seen, [](TMsgDlgBox* b) { click(b, "OK"); });
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.frame.size(), QSize(250, 150));
    EXPECT_EQ(seen.geometry.size(), QSize(250 - frame.left() - frame.right(), 150 - frame.top() - frame.bottom()));
    EXPECT_EQ(seen.buttons.value(0).top(), 80);
}

TEST_F(MsgDlgTest, OneLineTextWiderThan180WidensTheBoxToNeedPlus15)
{
    const QString text = textWiderThan(185);
    ASSERT_LE(boldWidth(text) + 70, 380) << text.toStdString();
    BoxSeen seen;
    runBox(text, mtWarning, mbYes | mbNo, seen, [](TMsgDlgBox* b) { click(b, "Yes"); });
    ASSERT_TRUE(seen.seen);
    const int need = seen.textWidth + 55 + 15;
    ASSERT_GT(need, 250);
    EXPECT_EQ(seen.geometry.width(), need + 15);
    EXPECT_LE(seen.geometry.width(), 395);
    EXPECT_EQ(seen.geometry.height(), 150);
    // The label spans the box and the text stays on one line.
    EXPECT_EQ(seen.label.width(), need + 15 - 55 - 15);
    EXPECT_EQ(seen.label.height(), seen.lineHeight);
    EXPECT_LE(seen.wrappedHeight, seen.lineSpacing);
}

TEST_F(MsgDlgTest, NeedAbove380Gives390AndAtMostThreeLines)
{
    // Long enough to need five or more lines at the box's width.
    const QString text = textWiderThan(5 * 330);
    BoxSeen seen;
    runBox(text, mtConfirmation, mbYes | mbCancel, seen, [](TMsgDlgBox* b) { click(b, "Cancel"); });
    ASSERT_TRUE(seen.seen);
    EXPECT_GT(seen.textWidth + 55 + 15, 380);
    EXPECT_EQ(seen.geometry.size(), QSize(390, 150));
    EXPECT_EQ(seen.label.width(), 390 - 55 - 15);
    EXPECT_EQ(seen.label.height(), 3 * seen.lineSpacing);
    EXPECT_GT(seen.wrappedHeight, seen.label.height());  // the rest is not shown
    EXPECT_EQ(seen.label.top(), (150 - 65 - 3 * seen.lineSpacing) / 2);
}

TEST_F(MsgDlgTest, CustomTypeStartsTheTextAt10)
{
    const QString text = textWiderThan(200);
    BoxSeen seen;
    runBox(text, mtCustom, mbOK, seen, [](TMsgDlgBox* b) { click(b, "OK"); });
    ASSERT_TRUE(seen.seen);
    EXPECT_FALSE(seen.hasIcon);
    EXPECT_EQ(seen.label.left(), 10);
    const int need = seen.textWidth + 10 + 15;
    EXPECT_EQ(seen.geometry.width(), need > 250 ? need + 15 : 250);
}

TEST_F(MsgDlgTest, ButtonRowWidensTheBoxAndKeepsTableOrder)
{
    struct Case {
        unsigned buttons;
        int width;
        QStringList captions;
    };
    const QList<Case> cases = {
        {mbYes | mbNo, 250, {"&Sí", "&No"}},
        {mbYes | mbNo | mbCancel, 308, {"&Sí", "&No", "&Cancelar"}},
        {mbHelp | mbAll | mbIgnore | mbRetry | mbAbort | mbCancel | mbOK | mbNo | mbYes, 72 * 9 + 16 * 8 + 60,
         {"&Sí", "&No", "&Ok", "&Cancelar", "&Abortar", "&Reintentar", "&Ignorar", "&Todas", "A&yuda"}},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        runBox("Hola", mtWarning, c.buttons, seen, [](TMsgDlgBox* b) { b->close(); });
        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(seen.geometry.width(), c.width);
        EXPECT_EQ(seen.captions, c.captions);
        const int n = int(c.captions.size());
        const int total = 72 * n + 16 * (n - 1);
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(seen.buttons[i], QRect((c.width - total) / 2 + 86 * i, 80, 70, 27)) << i;
    }
}

TEST_F(MsgDlgTest, EveryButtonAnswersItsResultAndHelpDoesNotClose)
{
    const unsigned all = 0x1FF;
    const QList<QPair<const char*, int>> results = {{"Yes", 6}, {"No", 7},    {"OK", 1},     {"Cancel", 2},
                                                    {"Abort", 3}, {"Retry", 4}, {"Ignore", 5}, {"All", 12}};
    for (const auto& [name, result] : results) {
        BoxSeen seen;
        const int r = runBox("Elija", mtConfirmation, all, seen, [name](TMsgDlgBox* b) { click(b, name); });
        EXPECT_EQ(r, result) << name;
        EXPECT_FALSE(seen.stillOpen) << name;
    }
    BoxSeen seen;
    const int r = runBox("Elija", mtConfirmation, all, seen, [](TMsgDlgBox* b) { click(b, "Help"); });
    EXPECT_TRUE(seen.stillOpen);
    EXPECT_EQ(r, mrCancel);  // closed by the test afterwards
}

TEST_F(MsgDlgTest, KeysAnswerDefaultCancelAndUnderlinedButtonsClosingGives2)
{
    struct Case {
        unsigned buttons;
        int key;  // 0: close with the window button
        int result;
    };
    const QList<Case> cases = {
        {mbYes | mbNo, Qt::Key_Escape, mrNo},       {mbYes | mbCancel, Qt::Key_Escape, mrCancel},
        {mbYes | mbNo, 0, mrCancel},                {mbYes | mbCancel, 0, mrCancel},
        {mbYes | mbNo, Qt::Key_Return, mrYes},      {mbOK | mbCancel, Qt::Key_Return, mrOk},
        // With Cancelar there, Escape answers it: the answer that changes nothing.
        {mbNo | mbCancel, Qt::Key_Escape, mrCancel}, {mbYes | mbNo | mbCancel, Qt::Key_Escape, mrCancel},
        {mbYes | mbNo | mbCancel, 0, mrCancel},
        // A button's underlined letter, without Alt.
        {mbYes | mbNo, Qt::Key_N, mrNo},            {mbYes | mbNo, Qt::Key_S, mrYes},
        {mbOK | mbCancel, Qt::Key_C, mrCancel},     {mbAbort | mbRetry | mbIgnore, Qt::Key_I, mrIgnore},
        {mbAll | mbOK, Qt::Key_T, mrAll},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        const int r = runBox("¿Seguro?", mtWarning, c.buttons, seen, [&c](TMsgDlgBox* b) {
            if (c.key)
                pressKey(b, c.key);
            else
                b->close();
        });
        ASSERT_TRUE(seen.seen);
        EXPECT_FALSE(seen.stillOpen) << c.buttons << " " << c.key;
        EXPECT_EQ(r, c.result) << c.buttons << " " << c.key;
    }
}

TEST_F(MsgDlgTest, EscapeWithoutACancelButtonLeavesTheBoxOpen)
{
    BoxSeen seen;
    const int r = runBox("Dato incorrecto", mtWarning, mbOK, seen, [](TMsgDlgBox* b) { pressKey(b, Qt::Key_Escape); });
    EXPECT_TRUE(seen.stillOpen);
    EXPECT_EQ(r, mrCancel);
}

TEST_F(MsgDlgTest, TypesGiveTitleAndSystemIcon)
{
    QCoreApplication::setApplicationName("Tarsela");
    struct Case {
        int type;
        QString title;
        int icon;  // QStyle::StandardPixmap, -1 none
    };
    const QList<Case> cases = {
        {mtWarning, "Advertencia", QStyle::SP_MessageBoxWarning},
        {mtError, "Error", QStyle::SP_MessageBoxCritical},
        {mtInformation, "Información", QStyle::SP_MessageBoxInformation},
        {mtConfirmation, "Confirmación", QStyle::SP_MessageBoxQuestion},
        {mtCustom, "Tarsela", -1},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        runBox("x", c.type, mbOK, seen, [](TMsgDlgBox* b) { click(b, "OK"); });
        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(seen.title, c.title);
        EXPECT_EQ(seen.hasIcon, c.icon >= 0);
        if (c.icon >= 0) {
            QStyle* st = QApplication::style();
            const int side = st->pixelMetric(QStyle::PM_MessageBoxIconSize);
            const QImage want = st->standardIcon(QStyle::StandardPixmap(c.icon)).pixmap(side, side).toImage();
            EXPECT_EQ(seen.iconImage, want) << c.title.toStdString();
            EXPECT_EQ(seen.icon.size(), want.deviceIndependentSize().toSize());
        }
    }
}

TEST_F(MsgDlgTest, ShowMsgShowsTheErrorTitleAndIconWithOneOk)
{
    QString title, text;
    QImage icon;
    QStringList captions;
    ModalAnswer::onNext([&](QWidget* w) {
        if (auto* box = qobject_cast<TMsgDlgBox*>(w)) {
            title = box->windowTitle();
            text = box->messageLabel()->text();
            icon = box->iconLabel() ? box->iconLabel()->pixmap().toImage() : QImage();
            for (QPushButton* b : box->findChildren<QPushButton*>())
                captions << b->text();
            pressKey(box, Qt::Key_Return);
        }
        if (w->isVisible())
            w->close();
    });
    const int answer = ShowMsg("No existe la competición");
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(text, "No existe la competición");
    QStyle* st = QApplication::style();
    const int side = st->pixelMetric(QStyle::PM_MessageBoxIconSize);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon, st->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(side, side).toImage());
    EXPECT_EQ(captions, QStringList{"&Ok"});
}

TEST_F(MsgDlgTest, TextIsShownAsTypedNotAsMarkup)
{
    QString label;
    ModalAnswer::onNext([&label](QWidget* w) {
        if (auto* box = qobject_cast<TMsgDlgBox*>(w)) {
            label = box->messageLabel()->text();
            EXPECT_EQ(box->messageLabel()->textFormat(), Qt::PlainText);
        }
        w->close();
    });
    MsgDlg("Equipo <b>Ñandú</b> & co", mtWarning, mbOK, 0);
    EXPECT_EQ(label, "Equipo <b>Ñandú</b> & co");
}

TEST_F(MsgDlgTest, EveryLineEndIsOneLineBreak)
{
    const QList<QPair<QString, QString>> cases = {
        {"Datos guardados en \r\nres.csv", "Datos guardados en \nres.csv"},
        {"Exportación realizada al archivo\n\rPesca.csv", "Exportación realizada al archivo\nPesca.csv"},
        {"Participante con DNI 1\rya existe", "Participante con DNI 1\nya existe"},
        {"a\r\n\r\nb", "a\n\nb"},
        {"a\n\nb", "a\n\nb"},
    };
    for (const auto& [text, shown] : cases) {
        QString label;
        int height = 0;
        int lineHeight = 0;
        ModalAnswer::onNext([&](QWidget* w) {
            if (auto* box = qobject_cast<TMsgDlgBox*>(w)) {
                label = box->messageLabel()->text();
                height = box->messageLabel()->height();
                lineHeight = box->messageLabel()->fontMetrics().height();
            }
            w->close();
        });
        MsgDlg(text, mtInformation, mbOK, 0);
        EXPECT_EQ(label, shown);
        EXPECT_GT(height, (shown.count('\n')) * lineHeight) << shown.toStdString();
    }
}

TEST_F(MsgDlgTest, PlacedAtXYOrCentredOnTheScreen)
{
    BoxSeen at;
    runBox("Hola", mtWarning, mbOK, at, [](TMsgDlgBox* b) { b->close(); }, 30, 40);
    ASSERT_TRUE(at.seen);
    EXPECT_EQ(at.frame.topLeft(), QPoint(30, 40));

    BoxSeen centred;
    runBox("Hola", mtWarning, mbOK, centred, [](TMsgDlgBox* b) { b->close(); }, -1, 40);
    ASSERT_TRUE(centred.seen);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(centred.frame.center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(centred.frame.center().y() - area.center().y()), 1);
}

// The toolkit's standard boxes behind the dialog interface.
TEST_F(MsgDlgTest, StandardBoxesShowTheirTextsAndAnswer)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QStringList captions;
    auto look = [&](QWidget* w) {
        captions.clear();
        if (auto* mb = qobject_cast<QMessageBox*>(w)) {
            icon = mb->icon();
            text = mb->text();
            for (QAbstractButton* b : mb->buttons())
                captions << b->text().remove('&');
            captions.sort();
        }
    };

    ModalAnswer::onNext([&](QWidget* w) { look(w); ModalAnswer::click(w, "Aceptar"); if (w->isVisible()) w->close(); });
    userDialogs().showError("Campo requerido");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, "Campo requerido");
    EXPECT_EQ(captions, QStringList{"Aceptar"});

    ModalAnswer::onNext([&](QWidget* w) { look(w); ModalAnswer::click(w, "Aceptar"); if (w->isVisible()) w->close(); });
    userDialogs().showMessage("Fichero creado");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(text, "Fichero creado");
    EXPECT_EQ(captions, QStringList{"Aceptar"});

    for (const auto& [button, want] : QList<QPair<QString, bool>>{{"Sí", true}, {"No", false}, {"", false}}) {
        ModalAnswer::onNext([&](QWidget* w) {
            look(w);
            if (!button.isEmpty())
                ModalAnswer::click(w, button);
            if (w->isVisible())
                w->close();
        });
        EXPECT_EQ(userDialogs().confirm("¿Borrar el registro?"), want) << button.toStdString();
        EXPECT_EQ(icon, QMessageBox::Question);
        EXPECT_EQ(text, "¿Borrar el registro?");
        EXPECT_EQ(captions, (QStringList{"No", "Sí"}));
    }
}

TEST_F(MsgDlgTest, InputQueryReturnsTheTypedTextOrKeepsTheValue)
{
    QString value = "C:/exportes";
    QString prompt;
    ModalAnswer::onNext([&](QWidget* w) {
        if (auto* d = qobject_cast<QInputDialog*>(w)) {
            prompt = d->labelText();
            EXPECT_EQ(d->okButtonText(), "Aceptar");
            EXPECT_EQ(d->cancelButtonText(), "Cancelar");
            EXPECT_EQ(d->textValue(), "C:/exportes");
            d->setTextValue("/tmp/salida");
            d->accept();
        }
        if (w->isVisible())
            w->close();
    });
    EXPECT_TRUE(userDialogs().inputQuery("Exportar", "Carpeta de destino", value));
    EXPECT_EQ(prompt, "Carpeta de destino");
    EXPECT_EQ(value, "/tmp/salida");

    ModalAnswer::onNext([&](QWidget* w) {
        if (auto* d = qobject_cast<QInputDialog*>(w)) {
            d->setTextValue("otra");
            d->reject();
        }
        if (w->isVisible())
            w->close();
    });
    EXPECT_FALSE(userDialogs().inputQuery("Exportar", "Carpeta de destino", value));
    EXPECT_EQ(value, "/tmp/salida");
}

}  // namespace
