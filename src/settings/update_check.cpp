// The update check.
#include "settings/update_check.h"

namespace brivane {

void startUpdateCheck(GameState&) {}
void sockConnected(GameState&) {}
void sockDataArrival(GameState&) {}
void sockClosed(GameState&) {}
void reportNewVersion(GameState&, const std::string&) {}

}  // namespace brivane
