// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// frmMain, the game's one window: the playfield pic, the status label lblStatus, the row of
// life icons imgPlayer(0..7), the hidden imgPlayerMatte and the menu bar.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QWidget>
#include <array>
#include <functional>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/render/playfield_image.h"

class QAction;
class QPainter;
class QWindow;

namespace brivane {

// The playfield: shows the backing image, hides the pointer, and turns pointer, button and key
// events into the game's events (positions in twips).
class PlayfieldWidget : public QWidget {
    Q_OBJECT
  public:
    PlayfieldWidget(QWidget* parent, PlayfieldImage& image);
    // Repaints, at once, only what changed in the picture since the last time.
    void presentChanged();
    // Shows or takes away the word that play is paused, over the picture (never in it).
    void setPausedOverlay(bool shown);
    bool pausedOverlay() const { return pausedOverlay_; }

    std::function<void(float, float)> onMove;
    std::function<void(int)> onButton;
    std::function<void(int)> onKey;
    // Told of every picture the widget puts on the screen, for watching what the player sees.
    std::function<void(const QImage&)> onPainted;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void paintPausedOverlay(QPainter& painter);

    PlayfieldImage& image_;
    bool pausedOverlay_ = false;
};

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(PlayfieldImage& image);

    PlayfieldWidget* pic = nullptr;
    QLabel* lblStatus = nullptr;
    std::array<QLabel*, 8> imgPlayer{};
    QLabel* imgPlayerMatte = nullptr;
    std::array<QAction*, menuItemCount> menuActions{};

    // The playfield size the layout rule gave, in twips.
    int playfieldWidth() const { return layout_.playfieldWidth; }
    int playfieldHeight() const { return layout_.playfieldHeight; }
    const WindowLayout& currentLayout() const { return layout_; }
    // Sets the pictures that the life icons and the hidden matte show, from the sheets drawn at
    // the scale nearest the screen's.
    void setPlayerPictures(Picture sprite, Picture matte);

    std::function<void(MenuItem)> onMenu;
    std::function<void()> onClose;
    std::function<void()> onLayout;
    // The window lost the focus to another window (not to a dialog of its own or a menu), or
    // was minimised.
    std::function<void()> onInactive;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildMenus();
    void focusMoved(QWindow* focus);
    void applyLayout();

    QWidget* client_ = nullptr;
    WindowLayout layout_;
    Picture playerSprite_ = Picture::imgPlayer;
    Picture playerMatte_ = Picture::imgPlayerMatte;
    int iconScale_ = 1;
};

}  // namespace brivane
