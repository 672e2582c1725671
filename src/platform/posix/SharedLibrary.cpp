#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace {

std::mutex mutex;
std::map<std::string, void*> opened;  // by soname; never closed
std::string hidden;

}  // namespace

TSharedLibrary::TSharedLibrary(const char* soname, const char* package, const char* what)
    : soname_(soname), package_(package) {
  std::lock_guard<std::mutex> lock(mutex);
  const bool hide = hidden == soname;
  if (!hide) {
    auto it = opened.find(soname);
    if (it != opened.end()) {
      handle_ = it->second;
      return;
    }
  }
  const std::string name = hide ? std::string(soname) + ".hidden-for-test" : soname;
  handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    error_ = std::string(what) + " need the library " + soname + ", which cannot be loaded (" +
             (reason ? reason : "unknown reason") + "): install the Debian package " + package;
    return;
  }
  if (!hide) opened.emplace(soname, handle_);
}

void* TSharedLibrary::Symbol(const char* name) {
  if (handle_ == nullptr) return nullptr;
  void* address = dlsym(handle_, name);
  if (address == nullptr && error_.empty())
    error_ = std::string("the library ") + soname_ + " lacks " + name + ": the Debian package " +
             package_ + " is too old";
  return address;
}

void HideSharedLibraryForTest(const std::string& soname) {
  std::lock_guard<std::mutex> lock(mutex);
  hidden = soname;
}
