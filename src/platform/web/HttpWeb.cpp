// HTTP requests on a page: the browser's fetch, which runs beside the page's frames; the tick
// polls the request's state, so the page never waits for it.
#include <emscripten.h>

#include <cstdlib>

#include "platform/Http.h"

// clang-format off
EM_JS(int, vor_http_start, (const char* method, const char* url, const char* body, int bodyLength,
                            int maxBytes, int totalMs), {
  const calls = Module.vorHttp || (Module.vorHttp = {next: 1, calls: new Map()});
  const id = calls.next++;
  const call = {done: false, status: 0, body: new Uint8Array(0), error: "", abort: new AbortController()};
  calls.calls.set(id, call);
  const init = {method: UTF8ToString(method), signal: call.abort.signal};
  if (bodyLength >= 0) {
    init.body = HEAPU8.slice(body, body + bodyLength);
    init.headers = {"Content-Type": "text/plain; charset=utf-8"};
  }
  const timer = setTimeout(() => { call.error = "no answer in time"; call.abort.abort(); }, totalMs);
  (async () => {
    try {
      const response = await fetch(UTF8ToString(url), init);
      const reader = response.body.getReader();
      const chunks = [];
      let total = 0;
      for (;;) {
        const part = await reader.read();
        if (part.done) break;
        total += part.value.length;
        if (total > maxBytes) {
          call.error = "the answer is larger than " + maxBytes + " bytes";
          call.abort.abort();
          throw new Error(call.error);
        }
        chunks.push(part.value);
      }
      const all = new Uint8Array(total);
      let at = 0;
      for (const c of chunks) { all.set(c, at); at += c.length; }
      call.body = all;
      call.status = response.status;
    } catch (e) {
      call.status = 0;
      call.body = new Uint8Array(0);
      if (!call.error) call.error = String(e && e.message || e);
    }
    clearTimeout(timer);
    call.done = true;
  })();
  return id;
});

// -1 while the request runs, else its status (0: no answer).
EM_JS(int, vor_http_status, (int id), {
  const call = Module.vorHttp.calls.get(id);
  return call && call.done ? call.status : -1;
});
EM_JS(int, vor_http_body_length, (int id), { return Module.vorHttp.calls.get(id).body.length; });
EM_JS(void, vor_http_copy_body, (int id, char* to), {
  HEAPU8.set(Module.vorHttp.calls.get(id).body, to);
});
EM_JS(char*, vor_http_error, (int id), {
  const text = Module.vorHttp.calls.get(id).error;
  const size = lengthBytesUTF8(text) + 1;
  const p = _malloc(size);
  stringToUTF8(text, p, size);
  return p;
});
EM_JS(void, vor_http_drop, (int id), {
  const call = Module.vorHttp.calls.get(id);
  if (call && !call.done) call.abort.abort();
  Module.vorHttp.calls.delete(id);
});
// clang-format on

namespace {

class FetchRequest final : public HttpRequest {
 public:
  FetchRequest(const std::string& url, const char* method, const std::string* body,
               const HttpLimits& limits)
      : id_(vor_http_start(method, url.c_str(), body ? body->data() : nullptr,
                           body ? int(body->size()) : -1, int(limits.maxResponseBytes),
                           int(limits.totalSeconds * 1000))) {}
  ~FetchRequest() override { vor_http_drop(id_); }
  bool Done() override {
    if (done_) return true;
    const int status = vor_http_status(id_);
    if (status < 0) return false;
    response_.status = status;
    response_.body.resize(size_t(vor_http_body_length(id_)));
    if (!response_.body.empty()) vor_http_copy_body(id_, response_.body.data());
    if (char* error = vor_http_error(id_)) {
      response_.error = error;
      std::free(error);
    }
    done_ = true;
    return true;
  }
  const HttpResponse& Response() const override { return response_; }

 private:
  int id_;
  bool done_ = false;
  HttpResponse response_;
};

}  // namespace

std::unique_ptr<HttpRequest> HttpRequest::Get(const std::string& url, const HttpLimits& limits) {
  return std::make_unique<FetchRequest>(url, "GET", nullptr, limits);
}

std::unique_ptr<HttpRequest> HttpRequest::Post(const std::string& url, const std::string& body,
                                               const HttpLimits& limits) {
  return std::make_unique<FetchRequest>(url, "POST", &body, limits);
}

bool HttpsAvailable() {
  return true;
}

bool HttpRunsWhileWaiting() {
  return false;
}
