#include "series_units.h"

namespace qx {

RecordUnits WithUnitsOf(RecordUnits units, const RecordUnits& target) {
    const bool flowMeter = units.mask & kChFlow;
    units.temperatureUnit = target.temperatureUnit;
    units.units[0] = TemperatureUnitName(units.temperatureUnit);
    if (!flowMeter) units.units[2] = units.units[0];
    if ((units.mask & (kChPressure | kChDiffPressure)) &&
        (target.mask & (kChPressure | kChDiffPressure))) {
        units.pressure = target.pressure;
        units.units[3] = units.pressure.name;
        units.units[4] = units.pressure.name;
    }
    return units;
}

}  // namespace qx
