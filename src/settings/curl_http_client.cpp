#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "core/diagnostics.h"
#include "settings/http_client.h"

namespace qx {
namespace {

// The agent text the update service has always seen.
constexpr const char* kUserAgent = "WinHttpClient";

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    std::string body;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
    std::stop_token stop;
};

std::size_t CollectReply(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0;  // ends the transfer with CURLE_WRITE_ERROR
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int CheckStop(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->stop.stop_requested() ? 1 : 0;
}

HttpFailure FailureOf(CURLcode code, const Transfer& transfer) {
    switch (code) {
        case CURLE_OK:
            return HttpFailure::None;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return HttpFailure::InvalidRequest;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            return HttpFailure::Certificate;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpFailure::Timeout;
        case CURLE_FILESIZE_EXCEEDED:
            return HttpFailure::TooLarge;
        case CURLE_WRITE_ERROR:
            return transfer.tooLarge ? HttpFailure::TooLarge : HttpFailure::Connection;
        case CURLE_ABORTED_BY_CALLBACK:
            return HttpFailure::Cancelled;
        default:
            return HttpFailure::Connection;
    }
}

long Milliseconds(std::chrono::milliseconds duration) {
    return static_cast<long>(duration.count());
}

class CurlHttpClient final : public HttpClient {
  public:
    explicit CurlHttpClient(HttpLimits limits) : limits_(limits) {
        InitialiseCurlOnce();
        if (const char* ca = std::getenv("QX580_TEST_CA_FILE"); ca != nullptr && *ca != '\0') {
            testAuthorityFile_ = ca;
        }
    }

    HttpResponse Send(const HttpRequest& request, std::stop_token stop) override {
        HttpResponse response;
        if (request.url.empty()) {
            response.failure = HttpFailure::InvalidRequest;
            response.errorText = "empty URL";
            return response;
        }
        CURL* curl = curl_easy_init();
        if (curl == nullptr) {
            response.failure = HttpFailure::Connection;
            response.errorText = "libcurl could not start a transfer";
            return response;
        }
        curl_slist* headers = nullptr;
        for (const std::string& header : request.headers) {
            headers = curl_slist_append(headers, header.c_str());
        }
        // libcurl would otherwise ask larger bodies to wait for "100 Continue".
        headers = curl_slist_append(headers, "Expect:");

        Transfer transfer;
        transfer.maxBytes = limits_.maxReplyBytes;
        transfer.stop = stop;
        char errorBuffer[CURL_ERROR_SIZE] = {};

        curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        if (request.verb == HttpVerb::Post) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request.body.size()));
        } else {
            curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        }
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!testAuthorityFile_.empty()) {
            curl_easy_setopt(curl, CURLOPT_CAINFO, testAuthorityFile_.c_str());
            curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
        }
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // time-outs without signals: threads
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, Milliseconds(limits_.connectTimeout));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, Milliseconds(limits_.totalTimeout));
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        const long stallSeconds = std::max(1L, Milliseconds(limits_.stallTimeout) / 1000);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallSeconds);
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(limits_.maxReplyBytes));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectReply);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckStop);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

        const CURLcode code = curl_easy_perform(curl);
        response.failure = FailureOf(code, transfer);
        if (response.failure == HttpFailure::None) {
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
            response.body = std::move(transfer.body);
        } else {
            response.errorText = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
            if (response.failure == HttpFailure::TooLarge) {
                response.errorText =
                    "reply larger than " + std::to_string(limits_.maxReplyBytes) + " bytes";
            }
            DebugLine("update request to " + request.url + " failed: " + response.errorText);
        }
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        return response;
    }

  private:
    HttpLimits limits_;
    std::string testAuthorityFile_;
};

}  // namespace

std::unique_ptr<HttpClient> MakeCurlHttpClient(HttpLimits limits) {
    return std::make_unique<CurlHttpClient>(limits);
}

}  // namespace qx
