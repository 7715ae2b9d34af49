#include "data/Rules.h"

#include "data/Tdm.h"

void installRecordRules(Tdm&)
{
}
