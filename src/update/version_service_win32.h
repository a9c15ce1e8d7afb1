#pragma once

// Asking the version service over WinHTTP. Blocking: the update check calls it on its own
// thread. Windows only.

#include "update/update_request.h"

#include <string>
#include <string_view>

namespace update {

// The service named by ROZOVIZOV_UPDATE_URL when that is set to a web address, else the
// product's own.
ServiceAddress serviceAddressFromEnvironment();

// GET of the service's path with "?" and `query`, with the user agent, the no-cache header and
// the time-outs of update_request.h. The body of a 200 answer, cut once it is over the body
// limit; empty on any failure or any other status, with `failure` (when given) saying why as a
// lower-case phrase ("the service could not be reached", "the service answered with status 500").
std::string fetchFrom(const ServiceAddress& service, std::u16string_view query,
                      std::u16string* failure = nullptr);

// fetchFrom the service the environment names.
std::string fetchLatest(std::u16string_view query);

}  // namespace update
