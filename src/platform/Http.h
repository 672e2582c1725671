// HTTP requests in the background: one request runs beside the game (natively on a thread of its
// own, on a page as the browser's fetch) and the tick polls it, so no tick ever waits for the
// network. Bodies are bounded both ways and every request has a time limit.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

// What a request came to. status 0: no answer (the server cannot be reached, the time ran out,
// the answer was larger than allowed or the request was cancelled); error says why.
struct HttpResponse {
  int status = 0;
  std::string body;
  std::string error;
};

struct HttpLimits {
  size_t maxResponseBytes = 4u << 20;
  long connectSeconds = 5;
  long totalSeconds = 20;
};

class HttpRequest {
 public:
  // GET url (body empty) or POST body to url as text/plain.
  static std::unique_ptr<HttpRequest> Get(const std::string& url, const HttpLimits& limits = {});
  static std::unique_ptr<HttpRequest> Post(const std::string& url, const std::string& body,
                                           const HttpLimits& limits = {});
  // Cancels a request still running; its answer is never seen.
  virtual ~HttpRequest() = default;
  // True once the request has ended; then Response() holds what it came to.
  virtual bool Done() = 0;
  virtual const HttpResponse& Response() const = 0;
};

// A server address the game can use: "http://HOST[:PORT][/PATH]" (also https:// where the platform
// has it), printable ASCII without blanks, at most 2000 characters. The address without a final
// '/' in `base`, or false with the reason.
bool ServerAddress(const std::string& url, std::string& base, std::string& error);
// Whether the platform can make https:// requests.
bool HttpsAvailable();
// Whether a request goes on while the main thread waits (natively; on a page it needs the page's
// own turn, so waiting for it there would wait for ever).
bool HttpRunsWhileWaiting();
