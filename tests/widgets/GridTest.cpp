#include "widgets/DataGrid.h"
#include "widgets/FieldDelegate.h"
#include "WidgetFixture.h"

#include <QHeaderView>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QPointer>
#include <QThread>
#include <QWindow>

#include <random>

using engine::Dataset;
using widgets::DataGrid;
using widgets::GridColumn;

namespace {

class GridTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        comp.setIndexName("idxPrimaryKey");
        comp.open();
    }
    engine::Table comp{db, "COMPETIC"};
    engine::DataSource src{&comp};
};

TEST_F(GridTest, ColumnsTakeTitleFormatAlignmentAndWidth)
{
    comp.meta("Peso maximo").displayFormat = "#,##0";
    comp.meta("Titulo").displayLabel = "Prueba";
    DataGrid grid(&src, {GridColumn("Codigo", "Código", {}, 0, 8), GridColumn("Titulo"), GridColumn("Peso maximo"),
                         GridColumn("Peso maximo", "Sin grupos", "0")});
    auto* m = grid.datasetModel();
    ASSERT_EQ(m->rowCount(), 3);
    ASSERT_EQ(m->columnCount(), 4);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Código"));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Prueba"));
    EXPECT_EQ(m->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Peso maximo"));
    EXPECT_EQ(grid.cellText(2, 2), QString("15.000"));   // the field's format
    EXPECT_EQ(grid.cellText(0, 2), QString("1.250"));
    EXPECT_EQ(grid.cellText(2, 3), QString("15000"));    // the column's own format
    EXPECT_EQ(grid.cellText(1, 1), QString("Segunda"));
    const int numAlign = m->data(m->index(0, 2), Qt::TextAlignmentRole).toInt();
    const int textAlign = m->data(m->index(0, 1), Qt::TextAlignmentRole).toInt();
    EXPECT_TRUE(numAlign & Qt::AlignRight);
    EXPECT_TRUE(textAlign & Qt::AlignLeft);
    EXPECT_EQ(grid.columnWidth(0), 8 * grid.fontMetrics().averageCharWidth() + 10);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(grid.horizontalHeader()->isHidden());
    grid.setTitlesVisible(false);
    EXPECT_TRUE(grid.horizontalHeader()->isHidden());
}

TEST_F(GridTest, GridAndDatasetFollowEachOther)
{
    DataGrid grid(&src, {GridColumn("Codigo"), GridColumn("Titulo")});
    grid.show();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    comp.next();
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(1, {}));
    comp.last();
    EXPECT_EQ(grid.currentIndex().row(), 2);

    // The user moves in the grid: the dataset follows.
    key(&grid, Qt::Key_Up);
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("B2"));
    key(&grid, Qt::Key_Home, {}, Qt::ControlModifier);
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("A1"));
    grid.setCurrentIndex(grid.model()->index(2, 1));
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("C3"));
}

TEST_F(GridTest, RowsAreReadAgainWhenTheDatasetChanges)
{
    DataGrid grid(&src, {GridColumn("Codigo"), GridColumn("Titulo")});
    file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('AA', 'Nueva', 'I')");
    comp.refresh();
    ASSERT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.cellText(1, 1), QString("Nueva"));

    // A record being inserted shows as an extra row at its place; cancel removes it.
    comp.moveTo(2);
    comp.insert();
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(grid.cellText(2, 1), QString());
    EXPECT_EQ(grid.cellText(3, 1), QString("Segunda"));
    comp.fieldByName("Titulo").setAsString("Escrita");
    EXPECT_EQ(grid.cellText(2, 1), QString("Escrita"));
    comp.cancel();
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.cellText(2, 1), QString("Segunda"));

    comp.close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

// Types into the current cell and presses Enter, as a user edits in place.
void editCell(DataGrid& grid, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, text.left(1));
    QApplication::sendEvent(&grid, &press);
    QLineEdit* editor = grid.viewport()->findChild<QLineEdit*>();
    if (!editor)
        return;
    editor->setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    // The view commits an edit ended with Enter from the event loop.
    QApplication::processEvents();
}

TEST_F(GridTest, EditedInPlaceAsAutoEditSays)
{
    DataGrid grid(&src, {GridColumn("Codigo"), GridColumn("Titulo")});
    grid.setReadOnly(false);
    grid.show();
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(1, 1));

    // autoEdit off: typing does not start an edit.
    src.autoEdit = false;
    editCell(grid, "Cambiada");
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("Segunda"));

    // autoEdit on: typing starts it, Enter writes the cell, post stores it.
    src.autoEdit = true;
    editCell(grid, "Cambiada");
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    EXPECT_EQ(comp.fieldByName("Titulo").asString(), QString("Cambiada"));
    comp.post();
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'B2' AND Titulo = 'Cambiada'"), 1);

    // A read-only grid never edits.
    grid.setReadOnly(true);
    editCell(grid, "Otra");
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
}

TEST_F(GridTest, AnOpenCellIsWrittenBeforeThePost)
{
    DataGrid grid(&src, {GridColumn("Codigo"), GridColumn("Peso maximo")});
    grid.setReadOnly(false);
    grid.show();
    grid.setCurrentIndex(grid.model()->index(0, 1));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, "7");
    QApplication::sendEvent(&grid, &press);
    QLineEdit* editor = grid.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QPointer<QLineEdit> ed = editor;
    ASSERT_EQ(comp.state(), Dataset::State::Edit);

    // A refused text stops the post with the field's error, the editor stays.
    editor->setText("7x");
    EXPECT_THROW(comp.post(), engine::DatabaseError);
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(dialogs.errors.isEmpty());

    editor->setText("780");
    comp.post();
    EXPECT_EQ(file.scalar("SELECT \"Peso maximo\" FROM COMPETIC WHERE Codigo = 'A1'"), 780);
    EXPECT_EQ(grid.cellText(0, 1), QString("780"));
    // The posted cell is no longer being edited.
    EXPECT_TRUE(!ed || !ed->isVisible());
}

TEST_F(GridTest, MovingToAnotherRowPostsAndARefusalKeepsTheRow)
{
    DataGrid grid(&src, {GridColumn("Codigo"), GridColumn("Titulo")});
    grid.show();
    comp.moveTo(0);
    comp.edit();
    comp.fieldByName("Titulo").clear();  // required: the post is refused
    grid.setCurrentIndex(grid.model()->index(2, 0));
    ASSERT_EQ(dialogs.errors.size(), 1);
    // The field named as the screens label it.
    EXPECT_EQ(dialogs.errors[0], QString("Falta el dato obligatorio «Nombre»."));
    EXPECT_EQ(comp.state(), Dataset::State::Edit);
    EXPECT_EQ(grid.currentIndex().row(), 0);

    comp.fieldByName("Titulo").setAsString("Arreglada");
    grid.setCurrentIndex(grid.model()->index(2, 0));
    EXPECT_EQ(comp.state(), Dataset::State::Browse);
    EXPECT_EQ(comp.fieldByName("Codigo").asString(), QString("C3"));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Titulo = 'Arreglada'"), 1);
}

TEST_F(GridTest, CtrlDeleteAsksFirst)
{
    DataGrid grid(&src, {GridColumn("Codigo")});
    grid.show();
    key(&grid, Qt::Key_Delete, {}, Qt::ControlModifier);
    EXPECT_EQ(comp.recordCount(), 3);  // not enabled: nothing happens
    EXPECT_TRUE(dialogs.notices.isEmpty());

    grid.setCtrlDeleteEnabled(true);
    dialogs.confirmations = {false, true};
    key(&grid, Qt::Key_Delete, {}, Qt::ControlModifier);
    EXPECT_EQ(comp.recordCount(), 3);
    key(&grid, Qt::Key_Delete, {}, Qt::ControlModifier);
    EXPECT_EQ(comp.recordCount(), 2);
    EXPECT_EQ(dialogs.notices, QStringList({"¿Borrar el registro?", "¿Borrar el registro?"}));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM COMPETIC WHERE Codigo = 'A1'"), 0);
}

TEST_F(GridTest, CalculatedAndBooleanColumnsShowTheirTexts)
{
    engine::Table esp{db, "ESPECIAL"};
    esp.addCalculatedField("npez", engine::FieldType::String, 20);
    esp.onCalcFields = [](Dataset& ds) { ds.fieldByName("npez").setValue("pez " + ds.fieldByName("Cod pez").asString()); };
    esp.meta("Puntua").trueText = "Si";
    esp.meta("Puntua").falseText = "No";
    esp.open();
    engine::DataSource s{&esp};
    DataGrid grid(&s, {GridColumn("npez", "Pez"), GridColumn("Puntua")});
    grid.setReadOnly(false);
    EXPECT_EQ(grid.cellText(0, 0), QString("pez 2"));
    EXPECT_EQ(grid.cellText(0, 1), QString("Si"));
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable);
}

// What the grid shows, cell by cell (the row being inserted included).
QList<QStringList> shown(const widgets::DatasetModel& m)
{
    QList<QStringList> rows;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m.columnCount(); ++c)
            cells << m.data(m.index(r, c), Qt::DisplayRole).toString();
        rows << cells;
    }
    return rows;
}

// What a view knows of a model: the rows as they were when the model last
// said they changed (inserted, removed, changed or all anew).
class Mirror {
public:
    explicit Mirror(const widgets::DatasetModel& m) : m_(m), rows_(shown(m))
    {
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] {
            ++resets;
            rows_ = shown(m_);
        });
        QObject::connect(&m, &QAbstractItemModel::rowsInserted, [this](const QModelIndex&, int a, int b) {
            for (int r = a; r <= b; ++r)
                rows_.insert(r, row(r));
        });
        QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [this](const QModelIndex&, int a, int b) {
            rows_.remove(a, b - a + 1);
        });
        QObject::connect(&m, &QAbstractItemModel::dataChanged, [this](const QModelIndex& a, const QModelIndex& b) {
            widest = std::max(widest, b.row() - a.row() + 1);
            for (int r = a.row(); r <= b.row(); ++r)
                rows_[r] = row(r);
        });
    }
    const QList<QStringList>& rows() const { return rows_; }
    int resets = 0;
    int widest = 0;  // the most rows one change said were changed

private:
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < m_.columnCount(); ++c)
            cells << m_.data(m_.index(r, c), Qt::DisplayRole).toString();
        return cells;
    }
    const widgets::DatasetModel& m_;
    QList<QStringList> rows_;
};

// A change redraws only the rows it touched; after any mix of inserts,
// edits, deletions, cancels and another program's writes, what the grid was
// told it shows is exactly what a grid made afresh shows.
TEST_F(GridTest, AChangeRedrawsOnlyItsRows)
{
    const QList<GridColumn> cols{GridColumn("Codigo"), GridColumn("Titulo"), GridColumn("Peso maximo")};
    DataGrid grid(&src, cols);
    grid.show();
    auto* m = grid.datasetModel();
    Mirror view(*m);
    int& resets = view.resets;
    int& widest = view.widest;
    auto check = [&](const char* step) {
        widgets::DatasetModel fresh;
        fresh.setColumns(cols);
        fresh.setDataSource(&src);
        EXPECT_EQ(view.rows(), shown(fresh)) << step;
        EXPECT_EQ(grid.currentIndex().row(), m->currentModelRow()) << step;
    };

    // Moving and reading again unchanged draw nothing.
    comp.next();
    comp.refresh();
    EXPECT_EQ(widest, 0);
    // One record edited, one inserted, one deleted: one row each.
    comp.edit();
    comp.fieldByName("Titulo").setAsString("Cambiada");
    comp.post();
    check("edit");
    comp.last();
    comp.insert();
    comp.fieldByName("Codigo").setAsString("Z9");
    comp.fieldByName("Titulo").setAsString("Última");
    comp.fieldByName("Tipo").setAsString("E");
    comp.post();
    check("insert");
    ASSERT_TRUE(comp.seek(QString("A1")));
    comp.remove();
    check("delete");
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(widest, 1);

    // A fixed mix of everything, checked after each step.
    std::mt19937 rnd(20261211);
    int next = 0;
    for (int step = 0; step < 120; ++step) {
        const int what = int(rnd() % 7);
        const int row = comp.isEmpty() ? 0 : int(rnd() % unsigned(comp.recordCount()));
        const QString code = QString("N%1").arg(next++ % 100, 2, 10, QChar('0')).left(6);
        switch (what) {
        case 0:
            comp.moveTo(row);
            comp.insert();
            comp.fieldByName("Codigo").setAsString(code);
            comp.fieldByName("Titulo").setAsString("Nueva " + code);
            comp.fieldByName("Tipo").setAsString("I");
            check("insertando");  // what is typed shows at once
            try {
                if (rnd() % 3 == 0)
                    comp.cancel();
                else
                    comp.post();
            } catch (const engine::DatabaseError&) {
                comp.cancel();  // a code already taken
            }
            break;
        case 1:
            comp.moveTo(row);
            comp.edit();
            comp.fieldByName("Peso maximo").setAsInteger(int(rnd() % 5000));
            check("editando");
            if (rnd() % 3 == 0)
                comp.cancel();
            else
                comp.post();
            break;
        case 2:
            if (comp.recordCount() > 1) {
                comp.moveTo(row);
                comp.remove();
            }
            break;
        case 3:
            file.exec(QString("INSERT OR IGNORE INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('%1', 'Otro programa', 'E')")
                          .arg(code));
            comp.refresh();
            break;
        case 4:
            file.exec("UPDATE COMPETIC SET Titulo = Titulo || '+' WHERE rowid % 3 = " + QString::number(rnd() % 3));
            comp.refresh();
            break;
        case 5:
            comp.moveTo(row);
            break;
        default:
            comp.refresh();
            break;
        }
        check(QString("paso %1").arg(step).toUtf8().constData());
    }
}

// Cells drawn through the grid's cache look exactly as the style draws
// them, at the first paint and at every later one.
TEST_F(GridTest, CellsFromTheCacheLookExactlyAsTheStyleDrawsThem)
{
    file.exec("UPDATE COMPETIC SET Titulo = 'Un título largo para esta columna' WHERE Codigo = 'B2'");
    comp.refresh();
    const QList<GridColumn> cols{GridColumn("Codigo", {}, {}, 0, 6), GridColumn("Titulo", {}, {}, 0, 12),
                                 GridColumn("Peso maximo", {}, "#,##0", 0, 8)};
    DataGrid grid(&src, cols);
    grid.resize(420, 200);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    // On X the window has the focus once the server says so.
    for (int i = 0; i < 200 && !grid.hasFocus(); ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    ASSERT_TRUE(grid.hasFocus());
    // Only the cells drawn from here on, in the window's active colours.
    grid.setItemDelegate(new widgets::FieldDelegate(&grid));
    comp.moveTo(1);
    QApplication::processEvents();
    auto paint = [&] {
        grid.viewport()->repaint();
        return grid.viewport()->grab().toImage();
    };
    const QImage first = paint();
    const auto* cells = qobject_cast<widgets::FieldDelegate*>(grid.itemDelegate());
    ASSERT_TRUE(cells);
    EXPECT_EQ(cells->cellsKept(), 7);  // nine but the long title and the focused cell
    const QImage again = paint();  // every cell from the cache
    grid.setItemDelegate(new QStyledItemDelegate(&grid));
    const QImage style = paint();
    EXPECT_TRUE(first == style);
    EXPECT_TRUE(again == style);
}

// What a grid shows on the screen (on the real X platform, only what it
// actually repainted) against a grid made afresh over the same data, drawn
// whole, at the same scroll position.
class ScreenGridTest : public GridTest {
protected:
    void place(int height)
    {
        window = std::make_unique<QWidget>();
        window->resize(900, 320);
        this->height = height;
    }
    DataGrid* make(engine::DataSource* source, const QList<GridColumn>& cols, int x)
    {
        auto* g = new DataGrid(source, cols, window.get());
        g->setGeometry(x, 0, 420, height);
        g->setFocusPolicy(Qt::NoFocus);
        return g;
    }
    void showWindow()
    {
        window->show();
        // On X the window is drawn once the server has mapped it.
        for (int i = 0; i < 200 && !(window->windowHandle() && window->windowHandle()->isExposed()); ++i) {
            QApplication::processEvents();
            QThread::msleep(5);
        }
        ASSERT_TRUE(window->windowHandle()->isExposed());
        settle();
    }
    static void settle()
    {
        // The layout waits for the event loop, its painting for the next
        // turn, and on X the server for the client's requests.
        for (int turn = 0; turn < 3; ++turn) {
            QApplication::processEvents();
            QApplication::sync();
        }
    }
    void expectSameAsFresh(DataGrid& grid, engine::DataSource* source, const QList<GridColumn>& cols,
                           const char* step)
    {
        settle();
        const QImage screen = window->screen()->grabWindow(window->winId()).toImage().copy(grid.geometry())
                                  .convertToFormat(QImage::Format_RGB32);
        std::unique_ptr<DataGrid> fresh(make(source, cols, 440));
        fresh->show();
        QApplication::processEvents();
        fresh->verticalScrollBar()->setValue(grid.verticalScrollBar()->value());
        QApplication::processEvents();
        const QImage other = fresh->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(screen == other) << step;
    }
    std::unique_ptr<QWidget> window;
    int height = 300;
};

// After rows come and go, what the grid drew on the screen (only from the
// first changed row down) is what a grid made afresh draws, scrolled alike.
TEST_F(ScreenGridTest, AfterRowsComeAndGoTheScreenShowsWhatAFreshGridShows)
{
    const QList<GridColumn> cols{GridColumn("Codigo"), GridColumn("Titulo"), GridColumn("Peso maximo")};
    for (int h : {300, 90}) {
        SCOPED_TRACE(h);
        place(h);
        DataGrid& grid = *make(&src, cols, 0);
        showWindow();
        auto compare = [&](const char* step) { expectSameAsFresh(grid, &src, cols, step); };
        auto add = [&](const QString& code, int at) {
            comp.moveTo(at);
            comp.insert();
            comp.fieldByName("Codigo").setAsString(code);
            comp.fieldByName("Titulo").setAsString("Nueva " + code);
            comp.fieldByName("Tipo").setAsString("E");
            comp.post();
        };
        add("Z1", 2);  // at the end, by the key
        compare("al final");
        add("A0", 0);  // at the top: every row moves down
        compare("arriba");
        comp.last();
        compare("al último");
        comp.first();
        comp.remove();
        compare("borrada la primera");
        comp.last();
        comp.remove();
        compare("borrada la última");
        // Another program's rows, away from the current record.
        comp.last();
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo) VALUES ('A', 'De otro', 'I')");
        comp.refresh();
        compare("otro programa, arriba");
        file.exec("DELETE FROM COMPETIC WHERE Codigo = 'A1'");
        comp.refresh();
        compare("otro programa borra");
        file.exec("DELETE FROM COMPETIC WHERE Codigo IN ('Z1', 'A0', 'A')");
        file.exec("INSERT INTO COMPETIC (Codigo, Titulo, Tipo, \"Peso maximo\") VALUES ('A1', 'Primera', 'I', 1250)");
        comp.refresh();
    }
}

// A grid over one team's catch lines, moved from team to team as the
// weigh-in does: the rows kept in place but holding another team's lines
// are drawn anew with the rows that come or go, never left as they were.
TEST_F(ScreenGridTest, AnotherRangeShowsItsOwnRowsOnTheScreen)
{
    // Teams of 12, 6, 7, 12 and 3 lines, every line different.
    const int lines[] = {12, 6, 7, 12, 3};
    for (int team = 1; team <= 5; ++team)
        for (int n = 1; n <= lines[team - 1]; ++n)
            file.exec(QString("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\","
                              " \"Cod pez\", Peso) VALUES ('A1', 1, %1, %2, 1, %3, %4)")
                          .arg(team)
                          .arg(n)
                          .arg(1 + (team + n) % 3)
                          .arg(team * 1000 + n * 7));
    engine::Table pescada{db, "PESCADA"};
    pescada.setIndexName("idxPrimaryKey");
    pescada.open();
    engine::DataSource lines_src{&pescada};
    const QList<GridColumn> cols{GridColumn("Pesada num", "Pesada", "00"), GridColumn("Cod pez"),
                                 GridColumn("Peso", {}, "#,###")};
    auto team = [&](int t) { pescada.setRange({"A1", 1, t}, {"A1", 1, t}); };
    for (int h : {300, 90}) {
        SCOPED_TRACE(h);
        team(1);
        place(h);
        DataGrid& grid = *make(&lines_src, cols, 0);
        showWindow();
        for (int t : {2, 3, 4, 1, 5, 4, 4}) {
            team(t);
            expectSameAsFresh(grid, &lines_src, cols, QString("equipo %1").arg(t).toUtf8().constData());
        }
        // A line weighed, one corrected and one deleted on the team shown.
        pescada.last();
        pescada.insert();
        pescada.fieldByName("Cod comp").setAsString("A1");
        pescada.fieldByName("Jornada").setAsInteger(1);
        pescada.fieldByName("Equipo").setAsInteger(4);
        pescada.fieldByName("Pesada num").setAsInteger(13);
        pescada.fieldByName("Peso").setAsInteger(999);
        pescada.post();
        expectSameAsFresh(grid, &lines_src, cols, "pesada nueva");
        pescada.moveTo(2);
        pescada.edit();
        pescada.fieldByName("Peso").setAsInteger(4321);
        pescada.post();
        expectSameAsFresh(grid, &lines_src, cols, "corregida");
        pescada.moveTo(1);
        pescada.remove();
        expectSameAsFresh(grid, &lines_src, cols, "borrada");
        // Renumbered by another program: every row's number changes.
        file.exec("UPDATE PESCADA SET \"Pesada num\" = \"Pesada num\" + 100 WHERE Equipo = 4");
        pescada.refresh();
        expectSameAsFresh(grid, &lines_src, cols, "renumeradas");
        file.exec("UPDATE PESCADA SET \"Pesada num\" = \"Pesada num\" - 100 WHERE Equipo = 4");
        file.exec("DELETE FROM PESCADA WHERE Equipo = 4 AND \"Pesada num\" = 13");
        file.exec("INSERT INTO PESCADA (\"Cod comp\", Jornada, Equipo, \"Pesada num\", \"Numero piezas\", \"Cod pez\", Peso)"
                  " VALUES ('A1', 1, 4, 2, 1, 2, 4014)");
        pescada.refresh();
    }
}

}  // namespace
