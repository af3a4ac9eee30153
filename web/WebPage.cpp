#include "WebPage.h"

#include "WebAddress.h"
#include "WebServer.h"
#include "WebToken.h"
#include "platform/Exception.h"

WebPage::WebPage(WebSources sources, const WebSettings& settings, const std::string& dataFolder,
                 const Log& log)
    : site_(std::move(sources), settings.HttpPosition) {
    if (!settings.Http) {
        throw Exception("No address to serve the web page on");
    }
    const WebAddress address(*settings.Http);
    const WebToken token(settings.HttpToken, address.IsLoopback(), dataFolder);
    WebServerSettings server;
    server.Address = address.Address();
    server.Port = address.Port();
    server.Token = token.Token();
    server_ = std::make_unique<WebServer>(std::move(server), site_.Handler());
    if (log) {
        log("The web page is served on http://" + address.Text() + "/");
        if (token.Made()) {
            log(*token.Made());
        }
    }
}

WebPage::~WebPage() = default;

quint16 WebPage::Port() const {
    return server_->Port();
}
