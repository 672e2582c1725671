// The server addresses the game's requests may go to.
#include "platform/Http.h"

bool ServerAddress(const std::string& url, std::string& base, std::string& error) {
  constexpr size_t kMaxAddress = 2000;
  if (url.size() > kMaxAddress) {
    error = "the server's address is longer than 2000 characters";
    return false;
  }
  for (unsigned char c : url)
    if (c <= ' ' || c >= 0x7F) {
      error = "the server's address '" + url + "' holds a blank or a character outside ASCII";
      return false;
    }
  const bool https = url.rfind("https://", 0) == 0;
  if (url.rfind("http://", 0) != 0 && !https) {
    error = "the server's address '" + url + "' does not start with http://" +
            (HttpsAvailable() ? " or https://" : "");
    return false;
  }
  if (https && !HttpsAvailable()) {
    error = "this build cannot use https:// addresses ('" + url + "')";
    return false;
  }
  const size_t host = url.find("//") + 2;
  const size_t end = url.find_first_of("/?#", host);
  const std::string authority = url.substr(host, end == std::string::npos ? end : end - host);
  if (authority.empty() || authority[0] == ':' || authority.find('@') != std::string::npos) {
    error = "the server's address '" + url + "' names no host";
    return false;
  }
  if (url.find_first_of("?#") != std::string::npos) {
    error = "the server's address '" + url + "' holds a query or a fragment";
    return false;
  }
  base = url;
  while (base.size() > host && base.back() == '/') base.pop_back();
  return true;
}
