#pragma once
// libcurl, opened when the first request is made rather than when the game
// starts: it brings 32 shared libraries of its own (TLS, Kerberos, LDAP,
// SSH...), a large part of the loader's work at start-up, and most games
// never reach the world table. The game's package depends on it by name.

#include <curl/curl.h>

#include <string>

namespace klv {

struct CurlLibrary {
  // Empty when the library and every function below were found.
  std::string Error;
  CURLcode (*GlobalInit)(long flags) = nullptr;
  CURL* (*EasyInit)() = nullptr;
  CURLcode (*EasySetopt)(CURL* handle, CURLoption option, ...) = nullptr;
  CURLcode (*EasyPerform)(CURL* handle) = nullptr;
  CURLcode (*EasyGetinfo)(CURL* handle, CURLINFO info, ...) = nullptr;
  void (*EasyCleanup)(CURL* handle) = nullptr;
  const char* (*EasyStrerror)(CURLcode code) = nullptr;
  curl_slist* (*SlistAppend)(curl_slist* list, const char* text) = nullptr;
  void (*SlistFreeAll)(curl_slist* list) = nullptr;
};

// Opens `soname` and looks up the functions above; the library stays open
// for the life of the process. Never throws.
CurlLibrary OpenCurlLibrary(const char* soname);

// The game's libcurl, opened and initialised once, on first use, whatever
// thread asks first.
const CurlLibrary& Curl();

}  // namespace klv
