// The Qt platform's services beyond the window: the scores file, the update socket and the
// help viewer.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace brivane {

class QtPlatform;

class QtServices {
public:
    explicit QtServices(QtPlatform& platform);
    ~QtServices();
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    // The scores file lives beside the program when that folder is writable, otherwise in the
    // user's data folder, so an installed game still keeps its best score.
    QString scoresPath() const;
    std::optional<std::string> readScoresFile();
    bool writeScoresFile(const std::string& bytes);

    SocketState socketState();
    void socketConnect(const std::string& host, int port);
    void socketSend(const std::string& bytes);
    std::string socketRead();
    void socketClose();
    void showHelp(const std::string& path);

private:
    QtPlatform& platform_;
};

}  // namespace brivane
