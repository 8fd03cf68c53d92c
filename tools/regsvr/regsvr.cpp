// regsvr: registers a component library's ProgIDs in the component
// registration file, or removes them with -u, by calling the library's own
// DllRegisterServer or DllUnregisterServer.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

int Usage() {
  std::fprintf(stderr, "usage: regsvr [-u] LIBRARY.so\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-u") == 0) {
      unregister = true;
    } else if (!library && argv[i][0] != '-') {
      library = argv[i];
    } else {
      return Usage();
    }
  }
  if (!library) return Usage();

  void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "regsvr: cannot load %s: %s\n", library, ::dlerror());
    return 1;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto call = reinterpret_cast<int32_t (*)()>(::dlsym(handle, entry));
  if (!call) {
    std::fprintf(stderr, "regsvr: %s has no %s\n", library, entry);
    return 1;
  }
  int32_t result = call();
  if (result != 0) {
    std::fprintf(stderr, "regsvr: %s of %s failed: 0x%08X\n", entry, library,
                 static_cast<unsigned>(result));
    return 1;
  }
  return 0;
}
