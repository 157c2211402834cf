// Showing one instrument's series in another's units: the temperature (and dew point) in °C or
// °F, pressures in any pressure unit. Values are computed from the channels (which are in °C
// and hPa) with the units, so changing the units converts. The flow is shown in the unit the
// instrument recorded it in, without a factor, so a flow unit is never converted.
#pragma once

#include "derived_series.h"

namespace qx {

// units with the temperature unit of target and, where units has a pressure series, target's
// pressure unit (when target has one); names and unit texts follow.
RecordUnits WithUnitsOf(RecordUnits units, const RecordUnits& target);

}  // namespace qx
