// A dialog that builds its controls when it is first shown looks and lays out
// as one that built them in its constructor, and builds them only once.
#include "widgets/LazyDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

class Sample : public widgets::LazyDialog {
public:
    explicit Sample(widgets::Build build) { buildIf(build); }

    int builds = 0;
    // What the dialog had when it was shown.
    bool controlsAtShow = false;
    QSize sizeAtShow;

protected:
    void buildControls() override
    {
        ++builds;
        auto* lay = new QVBoxLayout(this);
        auto* l = new QLabel(QString::fromUtf8("Una etiqueta lo bastante larga para dar su anchura al diálogo"), this);
        l->setObjectName("etiqueta");
        auto* e = new QLineEdit(this);
        e->setObjectName("campo");
        lay->addWidget(l);
        lay->addWidget(e);
        lay->setSizeConstraint(QLayout::SetFixedSize);
    }
    void showEvent(QShowEvent* e) override
    {
        controlsAtShow = findChild<QLabel*>("etiqueta") && findChild<QLineEdit*>("campo");
        sizeAtShow = size();
        LazyDialog::showEvent(e);
    }
};

TEST(LazyDialogTest, BuiltAtOnceHasItsControlsFromTheStart)
{
    Sample d(widgets::Build::Now);
    EXPECT_TRUE(d.isBuilt());
    EXPECT_EQ(d.builds, 1);
    EXPECT_NE(d.findChild<QLabel*>("etiqueta"), nullptr);
    d.ensureBuilt();
    EXPECT_EQ(d.builds, 1);
}

TEST(LazyDialogTest, BuiltOnFirstUseHasNoControlsUntilAskedAndBuildsThemOnce)
{
    Sample d(widgets::Build::OnFirstUse);
    EXPECT_FALSE(d.isBuilt());
    EXPECT_EQ(d.builds, 0);
    EXPECT_TRUE(d.findChildren<QWidget*>().isEmpty());
    d.ensureBuilt();
    d.ensureBuilt();
    EXPECT_TRUE(d.isBuilt());
    EXPECT_EQ(d.builds, 1);
    EXPECT_NE(d.findChild<QLineEdit*>("campo"), nullptr);
}

TEST(LazyDialogTest, ShowingBuildsFirstAndLaysOutAsOneBuiltAtOnce)
{
    Sample now(widgets::Build::Now);
    now.show();
    QApplication::processEvents();
    ASSERT_TRUE(now.controlsAtShow);

    Sample later(widgets::Build::OnFirstUse);
    later.show();
    QApplication::processEvents();
    EXPECT_EQ(later.builds, 1);
    EXPECT_TRUE(later.controlsAtShow);
    EXPECT_EQ(later.sizeAtShow, now.sizeAtShow);
    EXPECT_EQ(later.size(), now.size());
    EXPECT_EQ(later.findChild<QLabel*>("etiqueta")->geometry(), now.findChild<QLabel*>("etiqueta")->geometry());

    // Shown again: the same controls, not a second set.
    later.hide();
    later.show();
    QApplication::processEvents();
    EXPECT_EQ(later.builds, 1);
    EXPECT_EQ(later.findChildren<QLabel*>().size(), 1);
    EXPECT_EQ(later.size(), now.size());
}

TEST(LazyDialogTest, ExecBuildsBeforeTheDialogRuns)
{
    Sample d(widgets::Build::OnFirstUse);
    bool seen = false;
    QTimer::singleShot(0, &d, [&] {
        seen = d.isVisible() && d.findChild<QLineEdit*>("campo") != nullptr;
        d.accept();
    });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(d.controlsAtShow);
    EXPECT_EQ(d.builds, 1);
}

}  // namespace
