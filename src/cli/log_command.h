#pragma once
// nuvelo-cli log: the last runs of the run log that runs with the same settings file write.

#include "cli/cli_run.h"

namespace nuvelo {

constexpr unsigned DefaultLoggedRuns = 10;

int runLogCommand(const CliOptions& options, CliEnvironment& environment);

}  // namespace nuvelo
