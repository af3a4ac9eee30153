#pragma once

#include "WebSettings.h"
#include "WebSite.h"
#include "WebSources.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <string>

class WebServer;

// The web page as the program serves it: the site on the server, at the address and with the
// token the settings ask for, on the calling thread's event loop.
class WebPage {
public:
    using Log = std::function<void(const std::string& line)>;

    // `settings.Http` names the address. A token made now is written to `log`, once. Raises
    // Exception saying why when the page cannot be served as asked (an address that is none, a
    // port taken, a token file that cannot be read).
    WebPage(WebSources sources, const WebSettings& settings, const std::string& dataFolder,
            const Log& log);
    WebPage(const WebPage&) = delete;
    WebPage& operator=(const WebPage&) = delete;
    ~WebPage();

    quint16 Port() const;

private:
    WebSite site_;
    // After the site, which it answers through.
    std::unique_ptr<WebServer> server_;
};
