// Asking the update server for the newest version, through socket events.
#pragma once

#include <string>

#include "core/game_state.h"

namespace brivane {

void startUpdateCheck(GameState& g);
void sockConnected(GameState& g);
void sockDataArrival(GameState& g);
void sockClosed(GameState& g);
void reportNewVersion(GameState& g, const std::string& version);

}  // namespace brivane
