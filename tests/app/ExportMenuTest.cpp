// The main window's export commands driven offscreen with the real choosers,
// the real input dialog and the real message boxes.
#include "app/TfMain.h"

#include "data/Globals.h"
#include "data/Seleccion.h"
#include "data/Tdm.h"
#include "dialogs/GuiDialogs.h"
#include "dialogs/TSeleccion.h"
#include "dialogs/Tfselcomp.h"
#include "reports/DayExports.h"
#include "reports/ExportFixture.h"
#include "reports/TextFile.h"
#include "scoring/Scoring.h"
#include "support/ModalAnswer.h"
#include "widgets/DataGrid.h"
#include "widgets/DataLookupCombo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace exporttest;

namespace {

// What a modal window showed.
struct Seen {
    QString className, title;
    QStringList texts;  // its labels
    QString joined() const { return texts.join('|'); }
};

// Answers the modal windows of one command in order, each with its step;
// a window beyond the steps is recorded and closed, so a test never hangs.
class Answers {
public:
    using Step = std::function<void(QWidget*)>;
    explicit Answers(QList<Step> steps) : steps_(std::move(steps))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(5);
    }
    QList<Seen> seen;

private:
    void tick()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == last_) return;
        last_ = w;
        Seen s{QString::fromLatin1(w->metaObject()->className()), w->windowTitle(), {}};
        for (QLabel* l : w->findChildren<QLabel*>())
            if (!l->text().isEmpty()) s.texts << l->text();
        seen << s;
        const int i = int(seen.size()) - 1;
        if (i < steps_.size()) steps_[i](w);
        else w->close();
    }
    QList<Step> steps_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

void key(QWidget* w, int k)
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// The steps of the windows.
Answers::Step press(const QString& button)
{
    return [button](QWidget* w) { ModalAnswer::click(w, button); };
}
// The program's message box: its button by name ("OK").
Answers::Step pressBox(const char* name)
{
    return [name](QWidget* w) {
        QPushButton* b = w->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    };
}
// The competition and day chooser: C'1 is the second competition (OTRA's day
// is more recent); its day `dayRow` + 1.
Answers::Step chooseCopa(int dayRow = 0)
{
    return [dayRow](QWidget* w) {
        auto* s = qobject_cast<TSeleccion*>(w);
        ASSERT_NE(s, nullptr);
        key(s->DBGComp, Qt::Key_Down);
        for (int i = 0; i < dayRow; ++i) key(s->DBGJor, Qt::Key_Down);
        ModalAnswer::click(w, "OK");
    };
}
// The folder question: types the text and accepts, or cancels.
Answers::Step typeFolder(const QString& text, QString* initial = nullptr)
{
    return [text, initial](QWidget* w) {
        auto* d = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(d, nullptr);
        if (initial) *initial = d->textValue();
        QLineEdit* edit = d->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setText(text);
        ModalAnswer::click(w, "Aceptar");
    };
}

class ExportMenuTest : public ::testing::Test {
protected:
    TempDatabase db;
    GuiDialogs gui;
    UserDialogs* previous = nullptr;
    QTemporaryDir out;
    QString sep = QDir::separator();
    QString folder;  // out, as the user types it: without the final separator

    void SetUp() override
    {
        fill(db);
        previous = &userDialogs();
        setUserDialogs(&gui);
        dm = new Tdm(db.dir());
        ASSERT_TRUE(dm->db.isOpen());
        Seleccion = new TSeleccion(*dm);
        folder = QDir::toNativeSeparators(out.path());
    }
    void TearDown() override
    {
        delete Seleccion;
        Seleccion = nullptr;
        delete dm;
        dm = nullptr;
        setUserDialogs(previous);
    }
    QString in(const QString& name) const { return folder + sep + name; }
};

TEST_F(ExportMenuTest, HtmlWritesThePageAndTheStylesheetAndSaysWhere)
{
    TfMain w;
    QString initial;
    Answers a({chooseCopa(), typeFolder(folder, &initial), pressBox("OK"), pressBox("OK")});
    w.ExportaraHTML1Click();
    ASSERT_EQ(a.seen.size(), 4);
    EXPECT_EQ(a.seen[0].title, u("Selección de Prueba"));
    EXPECT_EQ(a.seen[1].title, "Guardar clasific.htm");
    EXPECT_EQ(a.seen[1].joined(), u("Indique dónde guardar el archivo (termine con ") + sep + ")");
    EXPECT_EQ(initial, reports::defaultFolder());
    // The folder typed without its separator still takes the file; the
    // message names it whole.
    EXPECT_EQ(a.seen[2].className, "TMsgDlgBox");
    EXPECT_TRUE(a.seen[2].joined().contains(u("Exportación realizada al archivo\n") + in("clasific.htm")))
        << a.seen[2].joined().toStdString();
    EXPECT_TRUE(a.seen[3].joined().contains(u("Recuerde que el archivo tablasPesca.css\ndebe estar en la misma carpeta para\n"
                                              "poder visualizar correctamente la página web")))
        << a.seen[3].joined().toStdString();
    EXPECT_EQ(filesIn(out.path()), QStringList({"clasific.htm", "tablasPesca.css"}));
    EXPECT_EQ(fileBytes(in("clasific.htm")), reports::paginaClasificacion(*dm, kCodigo, 1));
    EXPECT_EQ(fileBytes(in("tablasPesca.css")), reports::hojaEstilos());
}

TEST_F(ExportMenuTest, HtmlCancelledWritesNothingAndSaysNothing)
{
    TfMain w;
    {
        Answers a({chooseCopa(), press("Cancelar")});
        w.ExportaraHTML1Click();
        ASSERT_EQ(a.seen.size(), 2);
    }
    {
        Answers a({press("Cancel")});
        w.ExportaraHTML1Click();
        EXPECT_EQ(a.seen.size(), 1);
    }
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST_F(ExportMenuTest, AFolderThatCannotBeWrittenIsReportedWithoutSuccess)
{
    TfMain w;
    const QString missing = in("no-existe") + sep;
    Answers a({chooseCopa(), typeFolder(missing), press("Aceptar")});
    w.ExportaraHTML1Click();
    ASSERT_EQ(a.seen.size(), 3);
    EXPECT_EQ(a.seen[2].className, "QMessageBox");
    EXPECT_TRUE(a.seen[2].joined().contains(u("No se pudo escribir el archivo ") + missing +
                                            u("clasific.htm: no existe la carpeta.")))
        << a.seen[2].joined().toStdString();
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST_F(ExportMenuTest, CsvMakesTheChosenCompetitionCurrentWithItsFirstDay)
{
    ASSERT_TRUE(elegirCompeticion(*dm, "OTRA", 1));
    TfMain w;
    QString initial;
    QStringList items;
    Answers a({[&](QWidget* win) {
                   auto* f = qobject_cast<Tfselcomp*>(win);
                   ASSERT_NE(f, nullptr);
                   for (int i = 0; i < f->DBLCBCompeticion->count(); ++i) items << f->DBLCBCompeticion->itemText(i);
                   const int copa = int(items.indexOf(kTitulo));
                   ASSERT_GE(copa, 0);
                   f->DBLCBCompeticion->choose(copa);
                   ModalAnswer::click(win, "OK");
               },
               typeFolder(folder + sep, &initial), pressBox("OK")});
    w.ExportaraCSVClick();
    ASSERT_EQ(a.seen.size(), 3);
    EXPECT_EQ(a.seen[1].title, "Guardar Pesca ");
    EXPECT_EQ(a.seen[1].joined(), reports::folderPrompt());
    EXPECT_EQ(initial, reports::defaultFolder());
    const QString name = in(u("Pesca Copa -Ñ- -script-; A&B Ω.csv"));
    EXPECT_TRUE(a.seen[2].joined().contains(u("Exportación realizada al archivo\n") + name)) << a.seen[2].joined().toStdString();
    EXPECT_EQ(fileBytes(name), reports::ficheroPesca(*dm, kCodigo, 1));
    EXPECT_EQ(codigoActual(*dm), kCodigo);
    EXPECT_EQ(jornadaActual(*dm), 1);
}

TEST_F(ExportMenuTest, CsvOfACompetitionGoneMeanwhileIsNotFound)
{
    TfMain w;
    Answers a({[&](QWidget* win) {
                   // The list was read; the competition goes before OK.
                   db.exec("DELETE FROM COMPETIC WHERE Codigo = 'OTRA'");
                   auto* f = qobject_cast<Tfselcomp*>(win);
                   ASSERT_NE(f, nullptr);
                   for (int i = 0; i < f->DBLCBCompeticion->count(); ++i)
                       if (f->DBLCBCompeticion->itemText(i) == u("Ñandú €")) f->DBLCBCompeticion->choose(i);
                   ModalAnswer::click(win, "OK");
               },
               pressBox("OK")});
    w.ExportaraCSVClick();
    ASSERT_EQ(a.seen.size(), 2);
    EXPECT_TRUE(a.seen[1].joined().contains(u("No encontrada la competición OTRA"))) << a.seen[1].joined().toStdString();
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST_F(ExportMenuTest, SummaryGoesToTheCurrentDirectory)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(out.path()));
    TfMain w;
    {
        Answers a({chooseCopa(), press("Aceptar")});
        w.InformePruebaCSVClick();
        ASSERT_EQ(a.seen.size(), 2);
        EXPECT_EQ(a.seen[1].className, "QMessageBox");
        EXPECT_TRUE(a.seen[1].joined().contains("Datos guardados en ")) << a.seen[1].joined().toStdString();
        EXPECT_TRUE(a.seen[1].joined().contains(in("ResumenCapturas.csv")));
    }
    const QByteArray first = fileBytes(in("ResumenCapturas.csv"));
    EXPECT_EQ(first, reports::utf8WithBom(reports::joinLines(*reports::lineasResumen(*dm, kCodigo, 1))));
    {
        // Day 2 has no catch lines: the message, and the file stays as it was.
        Answers a({chooseCopa(1), press("Aceptar")});
        w.InformePruebaCSVClick();
        ASSERT_EQ(a.seen.size(), 2);
        EXPECT_TRUE(a.seen[1].joined().contains(u("No hay pesaje de esta competición"))) << a.seen[1].joined().toStdString();
    }
    EXPECT_EQ(fileBytes(in("ResumenCapturas.csv")), first);
    QDir::setCurrent(before);
}

}  // namespace
