// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window and its layout. The client area below the menu bar is the window's outer size less
// a fixed frame, so the layout rule gives a 8955 x 6615 twip playfield at the minimum size and
// the playfield grows one for one with the window.
#include "platform/qt/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QWindow>
#include <cmath>

#include "platform/qt/window_icon.h"
#include "replay/replay_file.h"

namespace brivane {

namespace {

constexpr int px(int twips) {
    return twips / twipsPerPixel;
}

struct MenuEntry {
    MenuItem item;
    int menu;  // 0 File, 1 Settings, 2 Help
    const char* caption;
    bool checkable;
};

constexpr MenuEntry menuEntries[menuItemCount] = {
    {MenuItem::mnuFileNewGame, 0, "New Game", false},
    {MenuItem::mnuFileJumpLevel, 0, "Jump To Level", false},
    {MenuItem::mnuFileHighScores, 0, "High Scores", false},
    {MenuItem::mnuFileReplays, 0, "Replays...", false},
    {MenuItem::mnuFileMusic, 0, "Music", false},
    {MenuItem::mnuFilePause, 0, "Pause", true},
    {MenuItem::mnuFileExit, 0, "Exit", false},
    {MenuItem::mnuSettingsAutoSpeed, 1, "Auto Speed Adjust", true},
    {MenuItem::mnuSettingsDisplayRender, 1, "Display render timing", true},
    {MenuItem::mnuSettingsUpdates, 1, "Check for updates on startup", true},
    {MenuItem::mnuSettingsPauseInactive, 1, "Pause When Inactive", true},
    {MenuItem::mnuHelpAbout, 2, "About", false},
    {MenuItem::mnuHelpHelp, 2, "Help Topics", false},
    {MenuItem::mnuSettingsSoundEffects, 1, "Sound Effects", true},
    {MenuItem::mnuSettingsKeepReplays, 1, "Keep Replays", true},
};

}  // namespace

PlayfieldWidget::PlayfieldWidget(QWidget* parent, PlayfieldImage& image)
    : QWidget(parent), image_(image) {
    setObjectName(QStringLiteral("pic"));
    setMouseTracking(true);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlayfieldWidget::presentChanged() {
    const QRegion changed = image_.takeChangedRegion();
    if (changed.isEmpty()) {
        return;
    }
    const qreal ratio = image_.devicePixelRatio();
    QRegion logical;
    for (const QRect& r : changed) {
        logical += QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio)
                       .toAlignedRect();
    }
    repaint(logical);
}

void PlayfieldWidget::setPausedOverlay(bool shown) {
    if (shown != pausedOverlay_) {
        pausedOverlay_ = shown;
        update();
    }
}

void PlayfieldWidget::paintPausedOverlay(QPainter& painter) {
    // The last frame stays visible, dimmed, so the player sees where everything stands.
    painter.fillRect(rect(), QColor(0, 0, 0, 140));
    QFont big = playfieldFont(1.0);
    big.setPixelSize(40);
    QFont small = playfieldFont(1.0);
    const int gap = 6;
    const int bigHeight = QFontMetrics(big).height();
    const int smallHeight = QFontMetrics(small).height();
    // Just above the middle line, where the game's own centre message starts, so both read.
    const int top = height() / 2 - gap - smallHeight - gap - bigHeight;
    painter.setPen(Qt::white);
    painter.setFont(big);
    painter.drawText(QRect(0, top, width(), bigHeight), Qt::AlignCenter, QStringLiteral("Paused"));
    painter.setFont(small);
    painter.drawText(QRect(0, top + bigHeight + gap, width(), smallHeight), Qt::AlignCenter,
                     QStringLiteral("Press P or click to continue"));
}

void PlayfieldWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& frame = image_.image();
    const qreal ratio = image_.devicePixelRatio();
    const QRectF shown(0, 0, frame.width() / ratio, frame.height() / ratio);
    // Only the asked-for region: a pass usually changes a few small rectangles, and copying the
    // whole playfield to the display every pass would cost more than drawing it.
    for (const QRect& r : event->region()) {
        if (!shown.contains(QRectF(r))) {
            painter.fillRect(r, Qt::black);
        }
        const QRectF part = QRectF(r).intersected(shown);
        if (!part.isEmpty()) {
            painter.drawImage(part, frame, QRectF(part.topLeft() * ratio, part.size() * ratio));
        }
    }
    if (pausedOverlay_) {
        paintPausedOverlay(painter);
    }
    if (onPainted) {
        onPainted(frame);
    }
}

void PlayfieldWidget::mouseMoveEvent(QMouseEvent* event) {
    if (onMove) {
        const QPointF p = event->position();
        onMove(static_cast<float>(std::floor(p.x())) * twipsPerPixel,
               static_cast<float>(std::floor(p.y())) * twipsPerPixel);
    }
}

void PlayfieldWidget::mousePressEvent(QMouseEvent* event) {
    if (!onButton) {
        return;
    }
    if (event->button() == Qt::LeftButton) {
        onButton(1);
    } else if (event->button() == Qt::RightButton) {
        onButton(2);
    }
}

void PlayfieldWidget::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (onKey && !text.isEmpty()) {
        onKey(text.at(0).unicode());
    }
}

frmMain::frmMain(PlayfieldImage& image) : layout_(layoutWindow(minOuterWidth, minOuterHeight)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Brivane"));
    setWindowIcon(gameIcon());
    client_ = new QWidget(this);
    client_->setAutoFillBackground(true);
    QPalette palette = client_->palette();
    palette.setColor(QPalette::Window, Qt::black);
    client_->setPalette(palette);
    setCentralWidget(client_);

    pic = new PlayfieldWidget(client_, image);

    lblStatus = new QLabel(QStringLiteral("Brivane!"), client_);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setFont(statusFont());
    lblStatus->setStyleSheet(
        QStringLiteral("QLabel { background: black; color: rgb(0, 255, 0); }"));

    for (int i = 0; i < 8; ++i) {
        imgPlayer[i] = new QLabel(client_);
        imgPlayer[i]->setObjectName(QStringLiteral("imgPlayer%1").arg(i));
        imgPlayer[i]->hide();
    }
    imgPlayerMatte = new QLabel(client_);
    imgPlayerMatte->setObjectName(QStringLiteral("imgPlayerMatte"));
    imgPlayerMatte->hide();
    setPlayerPictures(Picture::imgPlayer, Picture::imgPlayerMatte);

    buildMenus();
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow* focus) { focusMoved(focus); });
    // Initial client area 607 x 474 pixels, below the menu bar.
    resize(px(minOuterWidth - frameWidth),
           px(minOuterHeight - frameHeight) + menuBar()->sizeHint().height());
    applyLayout();
}

void frmMain::buildMenus() {
    QMenu* menus[3] = {menuBar()->addMenu(QStringLiteral("File")),
                       menuBar()->addMenu(QStringLiteral("Settings")),
                       menuBar()->addMenu(QStringLiteral("Help"))};
    menus[0]->setObjectName(QStringLiteral("mnuFile"));
    menus[1]->setObjectName(QStringLiteral("mnuSettings"));
    menus[2]->setObjectName(QStringLiteral("mnuHelp"));
    for (const MenuEntry& entry : menuEntries) {
        QAction* action = menus[entry.menu]->addAction(QString::fromLatin1(entry.caption));
        // The element names a replay file uses for the items, so tests and tools find them too.
        action->setObjectName(QString::fromLatin1(menuItemName(entry.item)));
        action->setCheckable(entry.checkable);
        const MenuItem item = entry.item;
        connect(action, &QAction::triggered, this, [this, action, item] {
            // The game flips its own check marks; undo the toggle Qt made on the way in.
            if (action->isCheckable()) {
                action->setChecked(!action->isChecked());
            }
            if (onMenu) {
                onMenu(item);
            }
        });
        menuActions[static_cast<int>(entry.item)] = action;
    }
    menuActions[static_cast<int>(MenuItem::mnuSettingsAutoSpeed)]->setChecked(true);
    menuActions[static_cast<int>(MenuItem::mnuFileNewGame)]->setShortcut(
        QKeySequence(Qt::CTRL | Qt::Key_N));
    menuActions[static_cast<int>(MenuItem::mnuFilePause)]->setShortcuts(
        {QKeySequence(Qt::Key_P), QKeySequence(Qt::Key_Pause)});
}

void frmMain::setPlayerPictures(Picture sprite, Picture matte) {
    playerSprite_ = sprite;
    playerMatte_ = matte;
    iconScale_ = sheetScaleFor(devicePixelRatioF());
    const auto shown = [this](Picture p) {
        QPixmap pixmap = QPixmap::fromImage(PictureStore::instance().image(p, iconScale_));
        pixmap.setDevicePixelRatio(iconScale_);
        return pixmap;
    };
    const QPixmap icon = shown(sprite);
    for (QLabel* label : imgPlayer) {
        label->setPixmap(icon);
    }
    imgPlayerMatte->setPixmap(shown(matte));
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
}

void frmMain::applyLayout() {
    if (isMinimized()) {
        return;  // a minimised window has no size to lay out
    }
    // The window's own size, not the client area's: in a window smaller than its contents the
    // client area keeps the size its contents need, and the window would never snap back.
    // Before the window is shown the menu bar has no height of its own yet.
    const QSize client(
        width(), height() - (isVisible() ? menuBar()->height() : menuBar()->sizeHint().height()));
    const int outerW = client.width() * twipsPerPixel + frameWidth;
    const int outerH = client.height() * twipsPerPixel + frameHeight;
    layout_ = layoutWindow(outerW, outerH);
    if (sheetScaleFor(devicePixelRatioF()) != iconScale_) {
        setPlayerPictures(playerSprite_, playerMatte_);  // moved to a screen of another ratio
    }
    pic->setGeometry(px(playfieldLeft), px(playfieldTop), px(layout_.playfieldWidth),
                     px(layout_.playfieldHeight));
    for (int i = 0; i < 8; ++i) {
        imgPlayer[i]->setGeometry(px(iconLeft0 + iconSpacing * i), px(layout_.iconTop),
                                  px(lifeIconSize), px(lifeIconSize));
    }
    imgPlayerMatte->setGeometry(px(8700), px(layout_.iconTop), px(lifeIconSize), px(lifeIconSize));
    lblStatus->setGeometry(px(labelLeft), px(layout_.labelTop), px(labelWidth), px(labelHeight));
    if (onLayout) {
        onLayout();
    }
    if (isVisible() && (layout_.outerWidth != outerW || layout_.outerHeight != outerH)) {
        // Too small: snap back to the minimum, which lays the window out once more.
        resize(px(layout_.outerWidth - frameWidth),
               px(layout_.outerHeight - frameHeight) + menuBar()->height());
    }
}

void frmMain::focusMoved(QWindow* focus) {
    // The game's own dialogs are modal and hold the game anyway; menus and tool tips pop up
    // over it without taking it away from the player. Anything else, or nothing of this
    // program (another program has the focus), counts as looking away.
    if (focus != nullptr && (focus == windowHandle() || focus->modality() != Qt::NonModal ||
                             focus->type() == Qt::Popup || focus->type() == Qt::ToolTip)) {
        return;
    }
    if (onInactive) {
        onInactive();
    }
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && onInactive) {
        onInactive();
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->ignore();  // the game decides: it writes the scores and then ends the program
    if (onClose) {
        onClose();
    }
}

}  // namespace brivane
