#include "WindowsStorm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace trovelle {
namespace {

using testing::StormOptions;
using testing::WindowsStorm;

uint64_t Setting(const char* name, uint64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

// TROVELLE_STORM_WITHOUT leaves kinds of change out ("removable,short,links,missing,away,
// overflow,above"), to tell apart the faults a long run finds.
StormOptions OptionsFromEnvironment() {
    const char* value = std::getenv("TROVELLE_STORM_WITHOUT");
    const std::string without = value != nullptr ? value : "";
    auto on = [&](const char* kind) { return without.find(kind) == std::string::npos; };
    StormOptions options;
    options.linksToRemovable = on("removable");
    options.shortNamesInRecords = on("short");
    options.linkPathRequests = on("links");
    options.missingRequests = on("missing");
    options.targetsAway = on("away");
    options.overflows = on("overflow");
    options.aboveTargets = on("above");
    return options;
}

// Storms of TROVELLE_STORM_ROUNDS rounds each, seeded TROVELLE_STORM_SEED onwards,
// TROVELLE_STORM_COUNT of them.
TEST(WindowsStorm, EveryAnswerAndEveryValidCachedTotalMatchesTheFileSystem) {
    const uint64_t firstSeed = Setting("TROVELLE_STORM_SEED", 1);
    const uint64_t storms = Setting("TROVELLE_STORM_COUNT", 20);
    const uint64_t rounds = Setting("TROVELLE_STORM_ROUNDS", 150);
    const StormOptions options = OptionsFromEnvironment();
    const bool trace = Setting("TROVELLE_STORM_TRACE", 0) != 0;  // every round's operations
    for (uint64_t seed = firstSeed; seed < firstSeed + storms; ++seed) {
        std::mt19937_64 random(seed);
        WindowsStorm storm([&](uint32_t bound) { return static_cast<uint32_t>(random() % bound); },
                           options);
        for (uint64_t round = 1; round <= rounds; ++round) {
            const auto mismatch = storm.Round();
            std::string operations;
            for (const std::string& line : storm.Operations()) operations += "  " + line + "\n";
            if (trace) std::printf("seed %llu round %llu\n%s", static_cast<unsigned long long>(seed),
                                   static_cast<unsigned long long>(round), operations.c_str());
            if (!mismatch) continue;
            ADD_FAILURE() << "seed " << seed << " round " << round << ": " << *mismatch
                          << "\nthe round's operations:\n" << operations;
            break;  // the next seed's storm, which may show another fault
        }
    }
}

}  // namespace
}  // namespace trovelle
