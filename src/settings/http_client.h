// A small HTTP client interface, so that the update service can be tested against a recorded
// client as well as against a real server.
#pragma once

#include <chrono>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace qx {

enum class HttpVerb { Get, Post };

struct HttpRequest {
    HttpVerb verb = HttpVerb::Get;
    std::string url;
    std::vector<std::string> headers;  // "Name: value" lines, sent as given
    std::string body;                  // bytes; may hold zero bytes
};

enum class HttpFailure {
    None,            // a reply arrived (any HTTP status)
    InvalidRequest,  // empty or unusable URL, or a scheme other than http and https
    Connection,      // name lookup, connection, proxy, or transfer broke off
    Certificate,     // the peer's certificate is not trusted for this host
    Timeout,
    TooLarge,   // the reply exceeded HttpLimits::maxReplyBytes
    Cancelled,  // the stop token was triggered
};

struct HttpResponse {
    HttpFailure failure = HttpFailure::None;
    long status = 0;        // HTTP status when failure is None
    std::string body;       // the reply's bytes when failure is None
    std::string errorText;  // the client's own words about the failure
};

struct HttpLimits {
    std::chrono::milliseconds connectTimeout{60000};
    // A transfer that moves no byte for this long (while sending, or waiting for the reply) ends.
    std::chrono::milliseconds stallTimeout{30000};
    std::chrono::milliseconds totalTimeout{120000};
    std::size_t maxReplyBytes = 102399;  // a 100 KiB reply buffer that must end in a zero byte
};

class HttpClient {
  public:
    virtual ~HttpClient() = default;
    // Blocks until the reply is read or the request failed. May be called from any thread;
    // a triggered stop token ends a transfer in progress soon after.
    virtual HttpResponse Send(const HttpRequest& request, std::stop_token stop = {}) = 0;
};

// The libcurl client. Certificates are always verified (against the system's authorities);
// proxies come from the environment (http_proxy, https_proxy, no_proxy, ...); redirects are
// not followed.
//
// Test-only: when QX580_TEST_CA_FILE names a PEM file, that file replaces the system's
// authorities, so that tests can trust a certificate authority of their own. Verification is
// never switched off.
std::unique_ptr<HttpClient> MakeCurlHttpClient(HttpLimits limits = {});

}  // namespace qx
