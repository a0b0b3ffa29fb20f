// Asks the update service whether a target has a newer version.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "settings/http_client.h"
#include "settings/update_result.h"

namespace qx {

// The service's base address: QX580_UPDATE_URL when set and not empty (an http or https
// address whose path ends in "/api/"), else none.
std::optional<std::string> UpdateServiceUrlFromEnvironment();

class UpdateService {
  public:
    // Without a base address no question is ever sent and every target reads as up to date.
    UpdateService(std::optional<std::string> baseUrl, std::shared_ptr<HttpClient> client);

    // The address from the environment and the libcurl client.
    static UpdateService FromEnvironment();

    bool Configured() const { return baseUrl_.has_value(); }

    // One POST of the form body to the base address + "updates", its reply read into a result.
    // A failed question (no connection, untrusted certificate, time-out, an HTTP error status,
    // a reply too large or not a JSON object) gives an up-to-date result with its error set.
    // Thread-safe as long as the client is.
    UpdateResult RequestUpdateInfo(const std::string& appKey, std::int32_t currentVersion, bool hex,
                                   std::stop_token stop = {}) const;

  private:
    std::optional<std::string> baseUrl_;
    std::shared_ptr<HttpClient> client_;
};

}  // namespace qx
