#include "engine/copy/copy_options.h"

#include <utility>

namespace nuvelo {

CopyRequest copyRequestOf(const CopyOptions& options, const std::string& searchRoot,
                          WalkFilter filter) {
  CopyRequest request;
  request.rule = {options.dirAbs, options.addDriveLetter, searchRoot, PathStyle::Posix};
  request.destination = options.destination;
  request.overwrite = overwritePolicyOf(options.overwrite);
  request.filter = std::move(filter);
  request.verify = options.verify;
  request.retry = options.retry;
  request.keepReplaced = options.keepReplaced;
  request.versionsFolder = options.versionsFolder;
  request.pruneVersionsDays = options.pruneVersionsDays;
  request.links = options.links;
  return request;
}

}  // namespace nuvelo
