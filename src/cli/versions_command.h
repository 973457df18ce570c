#pragma once
// nuvelo-cli versions PATH: every version a copy kept of one file at a destination, newest
// first, as a table, tab-separated, JSON Lines or NUL-ended paths.

#include "cli/cli_run.h"

namespace nuvelo {

int runVersions(const CliOptions& options, CliEnvironment& environment);

}  // namespace nuvelo
