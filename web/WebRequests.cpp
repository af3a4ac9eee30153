#include "WebRequests.h"

#include "WebResponseText.h"
#include "WebRoute.h"
#include "WebToken.h"

#include "platform/FileContent.h"

#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QUrlQuery>

#include <exception>
#include <map>
#include <string_view>
#include <utility>

namespace {

constexpr QLatin1StringView TokenItem{"token"};
constexpr std::string_view BearerScheme = "bearer ";

WebResponse Plain(int status, std::string text) {
    return {status, "text/plain; charset=utf-8", std::move(text), {}};
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) {
        return false;
    }
    for (std::size_t i = 0; i < start.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != start[i]) {
            return false;
        }
    }
    return true;
}

// The client asked to close after this answer.
bool Closes(const QHttpServerRequest& request) {
    return request.value("Connection").trimmed().compare("close", Qt::CaseInsensitive) == 0;
}

} // namespace

WebRequests::WebRequests(std::optional<std::string> token, WebHandler handler,
                         std::function<void(QTcpSocket*)> answered)
    : token_(std::move(token)), handler_(std::move(handler)), answered_(std::move(answered)) {}

bool WebRequests::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const bool withBody = request.method() != QHttpServerRequest::Method::Head;
    const bool close = Closes(request);
    std::string text;
    try {
        text = WebResponseText(Answer(request), withBody, close);
    } catch (const std::exception&) {
        // What went wrong is the program's own business; the page shows that it failed.
        text = WebResponseText(Plain(500, "The page could not be made.\n"), withBody, close);
    }
    socket->write(text.data(), static_cast<qint64>(text.size()));
    if (close) {
        socket->disconnectFromHost();
    }
    answered_(socket);
    return true;
}

void WebRequests::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    handleRequest(request, socket);
}

WebResponse WebRequests::Answer(const QHttpServerRequest& request) const {
    if (!Allowed(request)) {
        WebResponse refused = Plain(401, "The web page asks for its access token.\n");
        refused.Headers.emplace_back("WWW-Authenticate", "Bearer realm=\"Skyfence Plotter\"");
        return refused;
    }
    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head) {
        WebResponse refused = Plain(405, "The web page is only read: GET and HEAD.\n");
        refused.Headers.emplace_back("Allow", "GET, HEAD");
        return refused;
    }
    const std::string path = request.url().path(QUrl::FullyEncoded).toStdString();
    if (!IsWebRoute(path)) {
        return Plain(404, "No such page.\n");
    }
    std::map<std::string, std::string> query;
    for (const auto& [name, value] : request.query().queryItems(QUrl::FullyDecoded)) {
        if (name != TokenItem) {
            query.emplace(name.toStdString(), value.toStdString());
        }
    }
    std::optional<WebResponse> answer = handler_(path, query);
    return answer ? std::move(*answer) : Plain(404, "No such page.\n");
}

// The token comes as the query item "token" (a link, the page's own address) or as a bearer
// token (a script's request); either one that is right lets the request in.
bool WebRequests::Allowed(const QHttpServerRequest& request) const {
    if (!token_) {
        return true;
    }
    const QUrlQuery query = request.query();
    if (query.hasQueryItem(TokenItem) &&
        WebToken::Matches(*token_,
                          query.queryItemValue(TokenItem, QUrl::FullyDecoded).toStdString())) {
        return true;
    }
    const std::string authorization = request.value("Authorization").trimmed().toStdString();
    return StartsWithIgnoringCase(authorization, BearerScheme) &&
           WebToken::Matches(
               *token_, TrimBlanks(std::string_view(authorization).substr(BearerScheme.size())));
}
