#pragma once
// The unit-group preference migration run at the end of an installation: the "GPS Speed" group
// follows "Vehicle Speed" where the user has set that; otherwise it gets category 3, unit 5, unless
// the user chose a unit other than the old default 2.
#include "platform/Registry.h"

void MigrateGpsSpeedPreference(const NRUnitGroupPrefsReg& preferences);
