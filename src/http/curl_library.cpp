#include "http/curl_library.h"

#include <dlfcn.h>

namespace klv {

namespace {

template <typename F>
bool Find(void* library, const char* name, F& out, std::string& error) {
  out = reinterpret_cast<F>(dlsym(library, name));
  if (out == nullptr && error.empty()) error = std::string("libcurl has no ") + name;
  return out != nullptr;
}

}  // namespace

CurlLibrary OpenCurlLibrary(const char* soname) {
  CurlLibrary c;
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    c.Error = std::string("cannot open ") + soname + (why ? std::string(": ") + why : "");
    return c;
  }
  Find(library, "curl_global_init", c.GlobalInit, c.Error);
  Find(library, "curl_easy_init", c.EasyInit, c.Error);
  Find(library, "curl_easy_setopt", c.EasySetopt, c.Error);
  Find(library, "curl_easy_perform", c.EasyPerform, c.Error);
  Find(library, "curl_easy_getinfo", c.EasyGetinfo, c.Error);
  Find(library, "curl_easy_cleanup", c.EasyCleanup, c.Error);
  Find(library, "curl_easy_strerror", c.EasyStrerror, c.Error);
  Find(library, "curl_slist_append", c.SlistAppend, c.Error);
  Find(library, "curl_slist_free_all", c.SlistFreeAll, c.Error);
  if (!c.Error.empty()) {
    dlclose(library);
    c = CurlLibrary{.Error = c.Error};
  }
  return c;
}

const CurlLibrary& Curl() {
  static const CurlLibrary curl = [] {
    CurlLibrary c = OpenCurlLibrary("libcurl.so.4");
    if (c.Error.empty() && c.GlobalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
      c = CurlLibrary{.Error = "libcurl could not start"};
    }
    return c;
  }();
  return curl;
}

}  // namespace klv
