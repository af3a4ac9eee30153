#pragma once

#include "WebResponse.h"

#include <string>

// The bytes of an answer as they go to the client: the status line, the headers every answer
// carries (no caching, no guessing of the content type, no token passed on in a referrer) and
// the answer's own, then the body unless `withBody` is false (HEAD: the headers of a GET).
// `close` tells the client that the connection ends with this answer. Raises Exception for a
// header that would break the answer's form (a line break in it).
std::string WebResponseText(const WebResponse& response, bool withBody, bool close = false);
