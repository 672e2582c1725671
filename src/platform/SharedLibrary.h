// Shared libraries opened when a picture first needs them (the metafile decoders), so the game
// starts and plays without them; a picture that needs a missing one is refused with a message
// that names the library and the Debian package that installs it.
#pragma once
#include <string>

class TSharedLibrary {
 public:
  // Opens the library by its soname (once for the whole program: it stays open); what names
  // the pictures that need it in the message when it cannot be opened.
  TSharedLibrary(const char* soname, const char* package, const char* what);

  // Sets fn to the library's function name; false (and Error() says why) when the library is
  // not open or lacks it.
  template <typename F>
  bool Find(const char* name, F*& fn) {
    void* address = Symbol(name);
    fn = reinterpret_cast<F*>(address);
    return address != nullptr;
  }
  const std::string& Error() const { return error_; }

 private:
  void* Symbol(const char* name);

  const char* soname_;
  const char* package_;
  void* handle_ = nullptr;
  std::string error_;
};

// Tests: the loader asks for a soname that no system has in place of this one, as if its
// package were not installed ("" for none).
void HideSharedLibraryForTest(const std::string& soname);
