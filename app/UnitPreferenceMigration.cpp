#include "app/UnitPreferenceMigration.h"

#include <cstdint>

namespace {

constexpr const char* kVehicleSpeed = "Vehicle Speed";
constexpr const char* kGpsSpeed = "GPS Speed";
constexpr std::uint16_t kSpeedCategory = 3;
constexpr std::uint16_t kGpsSpeedUnit = 5;
constexpr std::uint16_t kOldDefaultGpsSpeedUnit = 2;

}  // namespace

void MigrateGpsSpeedPreference(const NRUnitGroupPrefsReg& preferences)
{
    std::uint16_t category = 0, unit = 0;
    if (preferences.ReadUnitGroupPref(kVehicleSpeed, category, unit))
        preferences.WriteUnitGroupPref(kGpsSpeed, category, unit);
    else if (!preferences.ReadUnitGroupPref(kGpsSpeed, category, unit) || unit == kOldDefaultGpsSpeedUnit)
        preferences.WriteUnitGroupPref(kGpsSpeed, kSpeedCategory, kGpsSpeedUnit);
}
