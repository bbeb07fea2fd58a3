#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vela {

// What a server answered to one request, or why there was no answer.
struct HttpResponse {
    int Status = 0;     // 0: no answer at all; Error says why
    std::string Error;  // DNS, TLS, refused connection, timeout ...
    std::string Body;
    std::vector<std::pair<std::string, std::string>> Headers;  // names in lower case

    // The value of a header (name in lower case), or empty.
    std::string_view Header(std::string_view name) const {
        for (const auto& [key, value] : Headers)
            if (key == name) return value;
        return {};
    }
};

// Plain GET requests. Answers arrive on the user-interface thread through the message loop,
// never inside Get itself, so a caller may start requests from any handler.
class HttpTransport {
  public:
    using RequestId = std::uint64_t;
    using Done = std::function<void(const HttpResponse&)>;

    virtual ~HttpTransport() = default;
    // Starts a GET; done runs once, with an error when no answer came within timeoutMs.
    virtual RequestId Get(const std::string& url, std::int64_t timeoutMs, Done done) = 0;
    // The request's done never runs; unknown or finished ids are ignored.
    virtual void Cancel(RequestId id) = 0;
};

}  // namespace vela
