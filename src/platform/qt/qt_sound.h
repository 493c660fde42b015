// The Qt platform's sound: one effect device per sound effect, and the music window frmMusic
// with its media player.
#pragma once

#include <string>

#include "platform/platform.h"

namespace brivane {

class QtPlatform;

class QtSound {
public:
    explicit QtSound(QtPlatform& platform);
    ~QtSound();
    QtSound(const QtSound&) = delete;
    QtSound& operator=(const QtSound&) = delete;

    void openSoundDevice(int device, const std::string& path);
    void playSoundDevice(int device);
    void createMusicWindow();
    void showMusicWindow();
    void startMusic(const std::string& playlistPath);
    bool musicFinished();

private:
    QtPlatform& platform_;
};

}  // namespace brivane
