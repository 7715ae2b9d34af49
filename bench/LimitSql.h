#pragma once

// The SQL the stock sqlite3 tool runs as the limit beside tarsela-cli's
// figures: a day's classification records (or one team's) rewritten from the
// day's lines with one aggregate INSERT … SELECT … GROUP BY — points by the
// species rule or the competition's (minimum and penalised weights, points
// per gram and per piece), pieces presented and valid, the biggest valid
// single piece and its species, species and quota bonuses, the stored
// penalty — so it reads every line and every rule the program reads.

#include <QString>

namespace bench {

// INSERT OR REPLACE of the records of competition BENCH, day `jornada`:
// every team's, or only team `equipo`'s when it is not 0.
QString clasificacionSql(int jornada, int equipo = 0);

}  // namespace bench
