#include "engine/copy/copy_list.h"

namespace nuvelo {

GatheredBytes gatherCopyList(const std::vector<CopySource>& sources, const StillChosen& stillChosen,
                             const WalkFilter& filter, WalkVisitor& visitor,
                             const std::function<void()>& afterSource,
                             std::vector<std::string>& list) {
  GatheredBytes bytes;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (visitor.abortRequested()) break;
    if (stillChosen && !stillChosen(i)) continue;
    const CopySource& source = sources[i];
    if (source.isFolder)
      walkFolder(source.path, filter, WalkMode::WholeFolder, visitor);
    else
      list.push_back(source.path);
    if (source.bytesAtMost)
      bytes.atMost += *source.bytesAtMost;
    else
      bytes.known = false;
    if (afterSource) afterSource();
  }
  return bytes;
}

}  // namespace nuvelo
