// Model numbers compared with literals under names that do not say "type": the check of
// scripts/check-model-literals must find each of these lines.
#include "core/model/instrument_catalogue.h"

bool ShowsSoundLimits(qx::InstrumentTypeId t) {
    return t == 9;
}

bool ShowsPressure(const qx::InstrumentModel& m) {
    return Any(m, {5, 6});
}
