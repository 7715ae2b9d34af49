#pragma once

// The benchmark scenario: one competition "BENCH" with one day, 20 species
// (some with rules and quotas), `teams` teams of two members and
// `linesPerTeam` random catch lines each, written straight into a new file.

#include "data/Dialogs.h"

#include <QString>

#include <functional>

void benchScenario(const QString& path, int teams, int linesPerTeam);

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
// Opens the scenario in `folder` as the program does, makes its day current
// and runs `work` with a weigh-in session on the first team.
void onBenchDay(const QString& folder, const std::function<void(Pesaje&, const SilentDialogs&)>& work);

