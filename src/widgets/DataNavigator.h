#pragma once

#include "engine/DataSource.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QToolButton>
#include <QWidget>

#include <functional>

namespace widgets {

// A bar of buttons that move and edit the dataset of a data source. The
// caller chooses which buttons show and gives each its hint. Enabled states
// follow the dataset: moving back needs a record before the current one,
// moving on one after it; insert, delete and edit need a dataset that can be
// written; post and cancel a record being edited.
class DataNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int ButtonCount = 10;

    explicit DataNavigator(QWidget* parent = nullptr);
    DataNavigator(engine::DataSource* source, const QList<Button>& buttons, const QStringList& hints,
                  QWidget* parent = nullptr);

    void setDataSource(engine::DataSource* source);
    engine::DataSource* dataSource() const { return source_; }
    // The buttons shown, in the bar's fixed order; hints in the order given.
    void setButtons(const QList<Button>& buttons, const QStringList& hints = {});
    void setHint(Button b, const QString& hint);
    // Delete asks the toolkit's "¿Borrar el registro?" first.
    void setConfirmDelete(bool on) { confirmDelete_ = on; }
    // The commands answer keys anywhere in scope (the screen or page the
    // navigator serves), and their hints name the keys: Ins new, Ctrl+Supr
    // delete, F2 edit, Intro save and Esc cancel while editing (Esc in a
    // field with typed text first gives the field its value back).
    void setKeyScope(QWidget* scope);
    // Off: Esc is left to the window (one that asks before an edit is
    // dropped), and the cancel hint names no key. On by default.
    void setEscapeCancels(bool on);
    bool confirmDelete() const { return confirmDelete_; }

    QToolButton* button(Button b) const { return buttons_[b]; }
    bool isShown(Button b) const { return shown_.contains(b); }
    // Does what the button does, as a click would (only when it is enabled).
    void click(Button b);

    // Runs before a button's action; throwing engine::Abort skips it.
    std::function<void(Button)> beforeAction;
    // Runs after a button's action completed.
    std::function<void(Button)> afterAction;

    void updateButtons();

Q_SIGNALS:
    void clicked(Button b);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void run(Button b);
    void showHint(Button b);

    QPointer<engine::DataSource> source_;
    QToolButton* buttons_[ButtonCount] = {};
    QList<Button> shown_;
    bool confirmDelete_ = false;
    bool escapeCancels_ = true;
    QString hints_[ButtonCount];
    QPointer<QWidget> keyScope_;
    QMetaObject::Connection c1_, c2_, c3_;
};

}  // namespace widgets
