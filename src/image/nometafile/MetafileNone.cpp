// The web build has no metafile decoder (neither kind has a web build): a metafile picture is
// refused like a damaged one, and the collection goes on without it.
#include "image/Picture.h"

std::unique_ptr<TGraphic> LoadMetafileGraphic(const std::string&, std::string& error, int64_t) {
  error = "metafile pictures cannot be shown in this build";
  return nullptr;
}
