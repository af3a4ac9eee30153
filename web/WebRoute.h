#pragma once

#include <string_view>

// Whether `path` names one of the web page's fixed routes as a route can look: "/" or one plain
// name with at most one inner dot ("/state.json"), letters, digits, '-' and '_'. Nothing that a
// file system could read as a folder, a parent or an encoded character passes.
bool IsWebRoute(std::string_view path);
