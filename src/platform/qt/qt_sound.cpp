// Sound effects and music on Qt Multimedia.
#include "platform/qt/qt_sound.h"

#include "platform/qt/qt_platform.h"

namespace brivane {

QtSound::QtSound(QtPlatform& platform) : platform_(platform) {}

QtSound::~QtSound() = default;

void QtSound::openSoundDevice(int, const std::string&) {}
void QtSound::playSoundDevice(int) {}
void QtSound::createMusicWindow() {}
void QtSound::showMusicWindow() {}
void QtSound::startMusic(const std::string&) {}
bool QtSound::musicFinished() { return false; }

}  // namespace brivane
