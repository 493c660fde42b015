// The update check: one HTTP/1.0 request for the version file, the reply collected until the
// server closes, and the offer to visit the game's page when the published version differs.
// The reply comes from the network and is not trusted: only its digits and points after the
// key ever reach the screen, and the page opened is always our own address.
#include "settings/update_check.h"

#include <optional>
#include <string>

#include "version.h"

namespace brivane {

namespace {

constexpr int updatePort = 80;
constexpr const char* versionKey = "tmkver:";
// How often one data event reads before it hands back to the loop.
constexpr int readsPerEvent = 49;

std::string ownVersion() {
    return std::to_string(versionMajor) + "." + std::to_string(versionMinor) + "." +
           std::to_string(versionRevision);
}

// The version after the key: digits and points in order, everything else skipped, up to the
// first line end or the end of the reply; nothing at all when the key is absent.
std::optional<std::string> publishedVersion(const std::string& reply) {
    const std::size_t key = reply.find(versionKey);
    if (key == std::string::npos) {
        return std::nullopt;
    }
    std::string version;
    for (std::size_t i = key + std::char_traits<char>::length(versionKey); i < reply.size(); ++i) {
        const char c = reply[i];
        if (c == '\r' || c == '\n') {
            break;
        }
        if ((c >= '0' && c <= '9') || c == '.') {
            version += c;
        }
    }
    return version;
}

}  // namespace

void startUpdateCheck(GameState& g) {
    if (g.pf.socketState() != SocketState::closed) {
        g.pf.socketClose();
    }
    g.pf.socketConnect(updateHost, updatePort);
}

void sockConnected(GameState& g) {
    g.updateBuffer.clear();
    g.pf.socketSend(std::string("GET http://") + updateHost +
                    "/games/brivane/ver.txt HTTP/1.0\r\n\r\n");
}

void sockDataArrival(GameState& g) {
    std::string arrived;
    for (int i = 0; i < readsPerEvent; ++i) {
        if (g.pf.socketState() != SocketState::connected) {
            break;
        }
        arrived += g.pf.socketRead();
    }
    g.updateBuffer += arrived;
}

void sockClosed(GameState& g) {
    const std::optional<std::string> version = publishedVersion(g.updateBuffer);
    if (version && *version != ownVersion()) {
        reportNewVersion(g, *version);
    }
}

void reportNewVersion(GameState& g, const std::string& version) {
    if (g.updateNoticeShown) {
        return;
    }
    g.updateNoticeShown = true;
    const std::string text = std::string("(This update check can be disabled in settings)\r\n") +
                             "There is a more recent version (" + version +
                             ") of this game available at\r\n" + webSite +
                             "\r\nWould you like to go to the web site now?";
    if (g.pf.messageBox(text, "Brivane", DialogButtons::yesNo) == DialogResult::yes) {
        g.pf.openWebPage(std::string(webSite) + "/games/brivane");
    }
}

}  // namespace brivane
