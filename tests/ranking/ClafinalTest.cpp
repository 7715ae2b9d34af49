// The final ranking window: its grid, its refill and its web page.
#include "RankingFixture.h"

#include "app/TfMain.h"
#include "dialogs/GuiDialogs.h"
#include "dialogs/MsgDlg.h"
#include "reports/ClasFinalHtml.h"
#include "ranking/Tfclafinal.h"
#include "scoring/ClasFinal.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

class ClafinalTest : public RankingTest {
protected:
    // Shows the window; steps run on it once it is up, then "&Salir".
    void run(Tfclafinal& w, const std::function<void()>& steps)
    {
        whileShown(w, [&w] { w.exec(); }, steps, Qt::Key_S);
    }
    static QString cells(const QTableWidget* g)
    {
        QStringList rows;
        for (int r = 0; r < g->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < g->columnCount(); ++c)
                row << (g->item(r, c) ? g->item(r, c)->text() : QString("?"));
            rows << row.join('|');
        }
        return rows.join('\n');
    }
};

const char* kGrid =
    "Pos|Eq.|Pescador(es)|Puntos 1|Puntos 2|Total Puntos\n"
    "1º|1|Ana <b>&\"Ñ\"|12.345|0|12.345\n"
    "||Beatriz|||\n"
    "|||||\n"
    "2º|2|Luis|300|50|350\n"
    "|||||";

TEST_F(ClafinalTest, TheGridAndItsRefillOnEveryActivation)
{
    elegir();
    Tfclafinal w(*dm);
    w.setWindowTitle(titulo());
    run(w, [&] {
        EXPECT_EQ(cells(w.csg), QString::fromUtf8(kGrid));
        EXPECT_EQ(w.LTitulo->text(), QString::fromUtf8("Clasificación final por puntos"));
        EXPECT_TRUE(w.LTitulo->font().italic());
        EXPECT_EQ(w.BExportar->text(), QString("Exportar a &Html"));
        EXPECT_EQ(w.BSalir->text(), QString("&Salir"));
        const int widths[] = {28, 39, 185, 64, 64, 64};
        for (int c = 0; c < 6; ++c) EXPECT_EQ(w.csg->columnWidth(c), widths[c]) << c;
        for (int r = 0; r < w.csg->rowCount(); ++r) EXPECT_EQ(w.csg->rowHeight(r), 20) << r;
        EXPECT_EQ(w.size(), QSize(492, 686));
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        // A change in the file shows at the next activation, from the first
        // row again: another window comes up in front and goes.
        file.exec("UPDATE CLASIFIC SET TotalPuntos = 20000 WHERE Equipo = 2 AND Jornada = 2");
        EXPECT_EQ(cells(w.csg), QString::fromUtf8(kGrid));
        {
            QDialog other;
            other.setModal(true);
            other.show();
            other.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
        }
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        EXPECT_TRUE(cells(w.csg).startsWith(QString::fromUtf8("Pos|Eq.|Pescador(es)|Puntos 1|Puntos 2|Total Puntos\n"
                                                               "1º|2|Luis|300|20.000|20.300\n"
                                                               "|||||\n"
                                                               "2º|1|Ana")));
        EXPECT_EQ(w.csg->rowCount(), 6);
    });
}

TEST_F(ClafinalTest, OneDayFourColumnsAndNoRecordsFourEmptyRows)
{
    file.exec("DELETE FROM JORNADAS WHERE \"Cod comp\" = 'P1' AND Numero = 2");
    file.exec("DELETE FROM CLASIFIC");
    elegir();
    Tfclafinal w(*dm);
    run(w, [&] {
        EXPECT_EQ(cells(w.csg), QString("Pos|Eq.|Pescador(es)|Total Puntos\n|||\n|||\n|||\n|||"));
    });
}

TEST_F(ClafinalTest, ExportWritesThePageIntoTheTypedFolder)
{
    elegir();
    QTemporaryDir dir;
    Tfclafinal w(*dm);
    w.setWindowTitle(titulo());
    run(w, [&] {
        // Cancel: nothing written, nothing said.
        dialogs.inputAnswers = {std::nullopt};
        press(Qt::Key_H, Qt::AltModifier);
        ASSERT_EQ(dialogs.inputs.size(), 1);
        EXPECT_EQ(dialogs.inputs[0].caption, QString("Guardar clasfinal.html"));
        EXPECT_EQ(dialogs.inputs[0].prompt,
                  QString::fromUtf8("Indique dónde guardar el archivo (termine con ") + QDir::separator() + ')');
        EXPECT_EQ(dialogs.inputs[0].initial, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
                                               QDir::separator());
        EXPECT_TRUE(dialogs.messages.isEmpty());

        // A folder typed without its final separator.
        dialogs.inputAnswers = {dir.path()};
        press(Qt::Key_H, Qt::AltModifier);
        const QString page = dir.path() + "/clasfinal.html";
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0],
                  QString::fromUtf8("Exportación realizada al archivo\r") + QDir::toNativeSeparators(page));
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), reports::paginaClasFinal(clasificacionFinal(*dm, "P1"), titulo()));

        // A folder that is not there: the reason, no success message.
        dialogs.inputAnswers = {dir.path() + "/no/"};
        press(Qt::Key_H, Qt::AltModifier);
        EXPECT_EQ(dialogs.messages.size(), 1);
        ASSERT_EQ(dialogs.errors.size(), 1);
        EXPECT_TRUE(dialogs.errors[0].contains(QString::fromUtf8("no existe la carpeta"))) << dialogs.errors[0].toStdString();
    });
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"clasfinal.html"});
}

// Runs action on the next modal window other than `except` (the window the
// keys are pressed in stays modal until the dialog it opens comes up).
void onNextOther(QWidget* except, ModalAnswer::Action action, int triesLeft = 2000)
{
    ModalAnswer::onNext([=](QWidget* m) {
        if (m != except)
            action(m);
        else if (triesLeft > 0)
            QTimer::singleShot(1, [=] { onNextOther(except, action, triesLeft - 1); });
    });
}

// The real dialogs: the folder question, then the confirmation, which
// shows the whole file name however long it is.
TEST_F(ClafinalTest, TheConfirmationShowsTheWholeLongFileName)
{
    elegir();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/" + QString(120, 'c') + "/" + QString(90, 'd');
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString page = QDir::toNativeSeparators(folder + "/clasfinal.html");
    GuiDialogs gui;
    UserDialogs* scripted = &userDialogs();
    setUserDialogs(&gui);
    Tfclafinal w(*dm);
    QString question, shown;
    QRect label, box;
    int lines = 0;
    run(w, [&] {
        onNextOther(&w, [&](QWidget* input) {
            auto* d = qobject_cast<QInputDialog*>(input);
            ASSERT_NE(d, nullptr);
            question = d->windowTitle();
            onNextOther(input, [&](QWidget* m) {
                auto* msg = qobject_cast<TMsgDlgBox*>(m);
                ASSERT_NE(msg, nullptr);
                // Long words may break at zero-width spaces, which show nothing.
                const QString text = msg->messageLabel()->text();
                shown = QString(text).remove(QChar(0x200B));
                label = msg->messageLabel()->geometry();
                box = msg->rect();
                const QFontMetrics fm = msg->messageLabel()->fontMetrics();
                lines = fm.boundingRect(QRect(0, 0, label.width(), 1 << 20), Qt::TextWordWrap, text).height();
                EXPECT_GT(lines, 3 * fm.lineSpacing());  // more than the three lines of other boxes
                // Every unbreakable piece fits the label's width.
                for (const QString& l : text.split('\n'))
                    for (const QString& part : l.split(QChar(0x200B)))
                        EXPECT_LE(fm.horizontalAdvance(part), label.width());
                msg->close();
            });
            d->setTextValue(folder);  // without the final separator
            ModalAnswer::click(d, "Aceptar");
        });
        press(Qt::Key_H, Qt::AltModifier);
    });
    setUserDialogs(scripted);
    EXPECT_EQ(question, QString("Guardar clasfinal.html"));
    EXPECT_EQ(shown, QString::fromUtf8("Exportación realizada al archivo\n") + page);
    EXPECT_GE(label.height(), lines);
    EXPECT_TRUE(box.contains(label)) << box.width() << "x" << box.height();
    EXPECT_TRUE(QFile::exists(folder + "/clasfinal.html"));
}

TEST_F(ClafinalTest, VerClasificacionOpensItCaptionedWithTheTitleAfterOK)
{
    TfMain main;
    QAction* a = main.findChild<QAction*>("Verclasificacin1");
    ASSERT_NE(a, nullptr);
    std::shared_ptr<ModalSeen> ranking;
    auto chooser = ModalAnswer::onNext([&](QWidget* w) {
        ranking = ModalAnswer::onNext([](QWidget* r) {
            auto* t = r->findChild<QTableWidget*>("csg");
            ASSERT_NE(t, nullptr);
            ASSERT_NE(t->item(2, 2), nullptr);
            EXPECT_EQ(t->item(2, 2)->text(), QString("Beatriz"));
            static_cast<QDialog*>(r)->reject();
        });
        ModalAnswer::click(w, "OK");
    });
    a->trigger();
    EXPECT_EQ(chooser->className, QString("TSeleccion"));
    ASSERT_TRUE(ranking);
    EXPECT_EQ(ranking->className, QString("Tfclafinal"));
    EXPECT_EQ(ranking->title, titulo());
    auto cancelled = ModalAnswer::pressButton("Cancelar");
    a->trigger();
    EXPECT_EQ(cancelled->className, QString("TSeleccion"));
}

}  // namespace
