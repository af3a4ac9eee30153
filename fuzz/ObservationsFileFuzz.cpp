#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "horizon/ObservationsFile.h"
#include "horizon/OpenProfile.h"
#include "horizon/SiteNumbers.h"
#include "horizon/SkyClasses.h"
#include "platform/Exception.h"

#include <string>

void FuzzObservationsFile(std::span<const std::uint8_t> data) {
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    MapObservations observations;
    try {
        observations = ParseObservations(bytes);
    } catch (const Exception&) {
        // Set aside with a message; counting starts afresh.
        return;
    }
    FuzzCheck(ParseObservations(ObservationsBytes(observations)) == observations,
              "accepted observations read back unchanged once written");
    // Whatever a file holds, the assessment of it is made without fault.
    const SkyClasses classes(observations, static_cast<int>(data.size() % 60));
    const OpenProfile profile(classes);
    const SiteNumbers numbers(observations, {{SatelliteSystem::GPS, &observations}},
                              classes.Threshold());
    FuzzCheck(numbers.SeenSky() >= 0 && numbers.SeenSky() <= 100.0001,
              "the seen sky is a share of the dome");
    FuzzCheck(profile.AnyKnown() || numbers.OpenSkyAboveMask() == 0,
              "no open sky without an open direction");
}
