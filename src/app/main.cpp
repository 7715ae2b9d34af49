#include "app/SelfCheck.h"
#include "app/TfMain.h"
#include "data/Tdm.h"
#include "dialogs/GuiDialogs.h"
#include "dialogs/TSeleccion.h"
#include "dialogs/Tfselcomp.h"
#include "engine/DatabaseError.h"
#include "engine/Format.h"
#include "ranking/TtfPenal.h"
#include "setup/TFcompet2.h"
#include "widgets/Guard.h"
#include "widgets/LazyDialog.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QThreadPool>
#include <QTranslator>

#include <exception>

namespace {

// The last resort behind the controls' own guards: an engine failure that a
// command did not handle reaches the standard error box with the engine's
// text and the program goes on; a silent abort ends the action without a word.
class TarselaApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const engine::Abort&) {
        } catch (const engine::DatabaseError& e) {
            userDialogs().showError(e.message());
        } catch (const std::exception& e) {
            userDialogs().showError(widgets::unexpectedErrorText(e.what()));
        } catch (...) {
            // Reported, not swallowed: the last resort before the event loop.
            userDialogs().showError(widgets::unexpectedErrorText("?"));
        }
        return false;
    }
};


// The chooser of competition and day, the competition chooser, the workbook
// and the penalties screen live as long as the main window; they are created
// here, in that order, once the main window exists. None of them is on screen
// at start, so each builds its controls when it is first shown.
void createLongLivedScreens(TfMain& main)
{
    constexpr widgets::Build later = widgets::Build::OnFirstUse;
    Seleccion = new TSeleccion(*dm, &main, later);
    // The competition chooser serves the workbook's participant copy.
    auto* fselcomp = new Tfselcomp(*dm, &main, later);
    FCompet2 = new TFcompet2(*dm, fselcomp, &main, later);
    tfPenal = new TtfPenal(*dm, &main, later);
}

// For the start-up benchmark only (bench/StartupBench.cpp): with
// TARSELA_SALIR_AL_MOSTRAR=1 in the environment the program quits, as Salir
// would, right after the main window's first paint, so that the time from
// launch to the window on screen can be measured from outside. Unset, the
// program never looks at it again.
class SalirAlMostrar : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After this paint and the window's flush.
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    TarselaApplication app(argc, argv);
    // The name alone: a display name would be appended to every window title.
    app.setApplicationName(QStringLiteral("Tarsela"));
    // The program works on one thread. The toolkit's raster engine hands a
    // long run of blended spans (the tool bar's shaded lines are one) to the
    // global thread pool in pieces and waits for them; with a worker per core
    // the main window's first paint started a thread per core, which cost
    // more than the pieces it split, the more so on a busy machine. One
    // worker does them as well for windows of this size.
    QThreadPool::globalInstance()->setMaxThreadCount(1);

    static GuiDialogs dialogs;
    setUserDialogs(&dialogs);
    // The system's locale; Spanish (Spain) where the system names none.
    QLocale::setDefault(engine::programLocale());
    // The toolkit's own dialogs (the print dialog, its buttons) speak Spanish
    // like every screen of the program.
    static QTranslator toolkit;
    if (toolkit.load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&toolkit);
    startSelfCheckIfAsked();

    // A database that cannot be opened is reported here and start-up goes on.
    dm = new Tdm(QCoreApplication::applicationDirPath());

    auto* fMain = new TfMain;
    createLongLivedScreens(*fMain);
    if (qEnvironmentVariableIntValue("TARSELA_SALIR_AL_MOSTRAR") == 1)
        fMain->installEventFilter(new SalirAlMostrar(fMain));
    fMain->show();
    const int rc = app.exec();

    // Screens go before the data module; destroying it flushes and closes the file.
    delete fMain;
    delete dm;
    dm = nullptr;
    setUserDialogs(nullptr);
    return rc;
}
