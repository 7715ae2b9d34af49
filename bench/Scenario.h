#pragma once

// The benchmark scenario: one competition "BENCH" of `teams`
// teams of two members, `days` days with `linesPerTeam` catch lines per team
// and day, `species` species, `speciesRules` species rules (ESPECIAL rows)
// and `quotas` quotas (CUPOS rows), and every team's classification record
// of every day (zeros: the weigh-in's first opening writes them). Written
// straight into a new file, from a fixed seed: every run, on every machine,
// measures the same data.

#include "data/Dialogs.h"

#include <QString>

#include <functional>

struct BenchParams {
    int teams = 300;
    int days = 2;
    int linesPerTeam = 30;
    int species = 40;
    int speciesRules = 20;
    int quotas = 10;
    unsigned seed = 7;
};

void benchScenario(const QString& path, const BenchParams& p = {});

// Counts the warnings instead of showing them.
class SilentDialogs : public UserDialogs {
public:
    int shown = 0;
    int msgDlgPos(const QString&, int, unsigned, int, int, int) override
    {
        ++shown;
        return mrOk;
    }
    void showMessage(const QString&) override { ++shown; }
    void showError(const QString& t) override;
    bool confirm(const QString&) override { return true; }
    bool inputQuery(const QString&, const QString&, QString&) override { return false; }
    std::unique_ptr<PrintDevice> printRequest() override { return nullptr; }
};

class Pesaje;
// Opens the scenario in `folder` as the program does, makes its day `jornada`
// current and runs `work` with a weigh-in session on the first team.
void onBenchDay(const QString& folder, const std::function<void(Pesaje&, const SilentDialogs&)>& work, int jornada = 1);
