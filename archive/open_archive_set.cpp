// The set over the archive readers; kept apart from the set itself, whose
// tests list their archives through a stand-in.
#include "archive/archive_set.h"

std::unique_ptr<ArchiveSet> OpenArchiveSet(std::shared_ptr<const ArchiveSource> source,
                                           std::shared_ptr<const SetText> text,
                                           const ArchiveLimits& limits, ArchiveStatus* status) {
  return OpenArchiveSetWith(&OpenArchive, std::move(source), std::move(text), limits, status);
}
