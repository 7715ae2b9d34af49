#pragma once

class Tdm;

// Installs the record rules on the data module's table objects.
void installRecordRules(Tdm& dm);
