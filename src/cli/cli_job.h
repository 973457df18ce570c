#pragma once
// The job nuvelo-cli's command line names: its options as layers for the engine (the command
// line, then a job file or a condition file with the settings file, then the defaults), how it
// chooses its files, and what -v tells of where each option came from.

#include <string>

#include "cli/cli_run.h"
#include "engine/jobs/job.h"
#include "engine/settings/job_file.h"

namespace nuvelo {

// Resolves the job into `job`; a message for the user when it cannot run.
std::string resolveCliJob(const CliOptions& options, const CliEnvironment& env,
                          const std::string& settingsPath, Job& job);

// Why a job file cannot serve, for the user.
std::string jobFileProblemText(const JobFileProblem& problem, const std::string& path);

// One line on stderr for each option: the option as the command line would give it, and where
// its value came from.
void tellOptionOrigins(CliEnvironment& env, const OptionLayer& resolved);

}  // namespace nuvelo
