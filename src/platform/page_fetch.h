#pragma once
// Fetching a web page with Qt Network. The wait runs a local event loop, so the window stays
// responsive (and a modal progress dialog can be cancelled) while the page comes in. Needs a
// QCoreApplication.

#include <chrono>
#include <functional>
#include <string>

namespace platform {

struct FetchedPage {
    bool ok = false;         // an HTTP 2xx answer was read whole
    bool cancelled = false;  // cancelled() asked to stop
    int status = 0;          // the HTTP status, 0 when no answer came
    std::string body;        // the bytes of the answer
    std::string contentType; // the Content-Type header value, empty when none
    std::string error;       // why not ok, in words: "连接被拒绝", "HTTP 404" ...
    // No answer came from the address at all (refused, no such host, not an address, no
    // answer in time): the site's address may be wrong.
    bool unreachable = false;
};

// Whether url can be fetched at all: an address fetchPage reads (parsed strictly, with a host).
bool isFetchableAddress(const std::string& url);

// GETs url, waiting at most timeout for the whole answer. cancelled is asked every few
// milliseconds while waiting; when it returns true the request is aborted.
FetchedPage fetchPage(const std::string& url, std::chrono::milliseconds timeout,
                      const std::function<bool()>& cancelled = {});

} // namespace platform
