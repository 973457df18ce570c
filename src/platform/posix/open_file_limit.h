#pragma once
// The number of files the process may hold open.

namespace nuvelo {

// Raises the soft limit on open files to the hard one. The soft limit of 1,024 that most
// sessions start with stands only for programs still using select(); a run that keeps many
// folders and copies in flight needs more, and whatever limit holds, the runs keep their
// descriptors to a share of it. A hard limit set low (ulimit -n 64) stays as it is.
void raiseOpenFileLimit();

}  // namespace nuvelo
