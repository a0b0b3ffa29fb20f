#include "settings/update_service.h"

#include <cstdlib>

#include "core/diagnostics.h"
#include "settings/update_reply.h"
#include "settings/update_request.h"

namespace qx {
namespace {

UpdateError ErrorOf(HttpFailure failure) {
    switch (failure) {
        case HttpFailure::None:
            return UpdateError::None;
        case HttpFailure::InvalidRequest:
            return UpdateError::BadAddress;
        case HttpFailure::Certificate:
            return UpdateError::Certificate;
        case HttpFailure::TooLarge:
            return UpdateError::ReplyTooLarge;
        case HttpFailure::Cancelled:
            return UpdateError::Cancelled;
        case HttpFailure::Connection:
        case HttpFailure::Timeout:
            break;
    }
    return UpdateError::NoConnection;
}

}  // namespace

const char* UpdateErrorName(UpdateError error) {
    switch (error) {
        case UpdateError::None:
            return "none";
        case UpdateError::NoConnection:
            return "no connection";
        case UpdateError::Certificate:
            return "untrusted certificate";
        case UpdateError::ServerStatus:
            return "server error";
        case UpdateError::ReplyTooLarge:
            return "reply too large";
        case UpdateError::BadReply:
            return "unreadable reply";
        case UpdateError::BadAddress:
            return "unusable service address";
        case UpdateError::Cancelled:
            return "cancelled";
    }
    return "unknown";
}

std::optional<std::string> UpdateServiceUrlFromEnvironment() {
    const char* url = std::getenv("QX580_UPDATE_URL");
    if (url == nullptr || *url == '\0') return std::nullopt;
    return std::string(url);
}

UpdateService::UpdateService(std::optional<std::string> baseUrl, std::shared_ptr<HttpClient> client)
    : baseUrl_(std::move(baseUrl)), client_(std::move(client)) {}

UpdateService UpdateService::FromEnvironment() {
    return UpdateService(UpdateServiceUrlFromEnvironment(), MakeCurlHttpClient());
}

UpdateResult UpdateService::RequestUpdateInfo(const std::string& appKey,
                                              std::int32_t currentVersion, bool hex,
                                              std::stop_token stop) const {
    if (!baseUrl_ || !client_) {
        UpdateResult result;
        result.currentVersionText = CurrentVersionText(currentVersion, hex);
        return result;
    }
    HttpRequest request;
    request.verb = HttpVerb::Post;
    request.url = UpdateRequestUrl(*baseUrl_);
    request.body = UpdateRequestBody(appKey, currentVersion, hex);
    request.headers = UpdateRequestHeaders(request.body.size());
    const HttpResponse response = client_->Send(request, std::move(stop));

    if (response.failure != HttpFailure::None) {
        UpdateResult result;
        result.currentVersionText = CurrentVersionText(currentVersion, hex);
        result.error = ErrorOf(response.failure);
        result.errorText = response.errorText;
        return result;
    }
    if (response.status < 200 || response.status > 299) {
        UpdateResult result;
        result.currentVersionText = CurrentVersionText(currentVersion, hex);
        result.error = UpdateError::ServerStatus;
        result.errorText = "HTTP status " + std::to_string(response.status);
        DebugLine("update request for " + appKey + ": " + result.errorText);
        return result;
    }
    UpdateResult result = ParseUpdateReply(response.body, currentVersion, hex);
    if (result.error != UpdateError::None) {
        DebugLine("update reply for " + appKey + ": " + result.errorText);
    }
    return result;
}

}  // namespace qx
