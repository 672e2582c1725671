// The web build has no metafile decoder: a metafile picture is refused like a damaged one, and the
// collection goes on without it.
#include "platform/Picture.h"

std::unique_ptr<TGraphic> LoadMetafileGraphic(const std::string&, std::string& error) {
  error = "metafile pictures cannot be shown in this build";
  return nullptr;
}
