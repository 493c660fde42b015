// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The one way every part of the window opens a replay to watch: the library's Watch and Open
// File..., the table's Watch button and a replay file named on the command line.
#pragma once

#include <QString>

class QWidget;

namespace brivane {

// Opens a viewer window for the file, not modal, which deletes itself when closed. A file that
// cannot be read or is not a replay is refused in a message box naming it, and the caller
// stays usable.
void openReplayViewer(const QString& path, QWidget* parent);

}  // namespace brivane
