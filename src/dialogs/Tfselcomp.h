#pragma once

#include "engine/Query.h"
#include "widgets/LazyDialog.h"

#include <QPushButton>

class Tdm;
namespace widgets {
class DataLookupCombo;
}

// The competition chooser "Seleccione la competición": a drop-down of the
// competition titles. Whatever button closes it, competicionElegida becomes
// the code of the list's current row (empty when the list is empty).
class Tfselcomp : public widgets::LazyDialog {
    Q_OBJECT
public:
    explicit Tfselcomp(Tdm& data, QWidget* parent = nullptr, widgets::Build build = widgets::Build::Now);
    ~Tfselcomp() override;

    // The competition list. A caller may restrict it before showing: the
    // filter is an SQL condition on the list's columns, added as a WHERE
    // line when the list is opened, e.g. excludeFilter(code).
    engine::Query ABSQComp;
    void setFilter(const QString& condition);
    const QString& filter() const { return filter_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }
    // "codigo <> " and the quoted code: every competition but that one.
    static QString excludeFilter(const QString& codigo);

    // The controls, once built (see ensureBuilt).
    widgets::DataLookupCombo* DBLCBCompeticion = nullptr;
    QPushButton* BBOK = nullptr;
    QPushButton* BBCancelar = nullptr;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    void buildControls() override;

private:
    void buildSql();

    QString filter_;
    bool filtered_ = false;
};
