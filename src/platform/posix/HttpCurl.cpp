// HTTP requests with libcurl, each on a thread of its own.
#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/Http.h"

namespace {

void InitCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

class CurlRequest final : public HttpRequest {
 public:
  CurlRequest(std::string url, bool post, std::string body, const HttpLimits& limits)
      : shared_(std::make_shared<Shared>()) {
    InitCurl();
    thread_ = std::thread([s = shared_, url = std::move(url), post, body = std::move(body),
                           limits] { Run(*s, url, post, body, limits); });
  }
  ~CurlRequest() override {
    shared_->cancel = true;
    if (thread_.joinable()) thread_.join();
  }
  bool Done() override { return shared_->done.load(std::memory_order_acquire); }
  const HttpResponse& Response() const override { return shared_->response; }

 private:
  struct Shared {
    std::atomic<bool> cancel{false}, done{false};
    HttpResponse response;
    size_t maxBytes = 0;
    bool tooLarge = false;
  };

  static size_t Write(char* data, size_t size, size_t count, void* user) {
    Shared& s = *static_cast<Shared*>(user);
    const size_t n = size * count;
    if (n > s.maxBytes - s.response.body.size()) {
      s.tooLarge = true;
      return 0;  // ends the transfer
    }
    s.response.body.append(data, n);
    return n;
  }
  static int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Shared*>(user)->cancel ? 1 : 0;
  }

  static void Run(Shared& s, const std::string& url, bool post, const std::string& body,
                  const HttpLimits& limits) {
    s.maxBytes = limits.maxResponseBytes;
    CURL* curl = curl_easy_init();
    if (!curl) {
      s.response.error = "the HTTP library cannot start a request";
      s.done.store(true, std::memory_order_release);
      return;
    }
    char message[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalSeconds);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "vor");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &s);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &s);
    if (post) {
      headers = curl_slist_append(headers, "Content-Type: text/plain; charset=utf-8");
      curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    }
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
      long status = 0;
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
      s.response.status = int(status);
    } else {
      s.response.body.clear();
      s.response.error = s.tooLarge ? "the answer is larger than " +
                                          std::to_string(limits.maxResponseBytes) + " bytes"
                         : message[0] ? message
                                      : curl_easy_strerror(code);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    s.done.store(true, std::memory_order_release);
  }

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<HttpRequest> HttpRequest::Get(const std::string& url, const HttpLimits& limits) {
  return std::make_unique<CurlRequest>(url, false, std::string(), limits);
}

std::unique_ptr<HttpRequest> HttpRequest::Post(const std::string& url, const std::string& body,
                                               const HttpLimits& limits) {
  return std::make_unique<CurlRequest>(url, true, body, limits);
}

bool HttpsAvailable() {
  InitCurl();
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info && (info->features & CURL_VERSION_SSL) != 0;
}

bool HttpRunsWhileWaiting() {
  return true;
}
