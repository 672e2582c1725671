// Windows metafile pictures: refused until a renderer is wired in.
#include "platform/Picture.h"

std::unique_ptr<TGraphic> LoadMetafileGraphic(const std::string&, std::string& error) {
  error = "metafile pictures are not supported";
  return nullptr;
}
