// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay viewer. Its game plays on the headless platform exactly as the headless runner's
// does; the window only decides when the next pass runs (the recorded pace times the speed),
// draws each pass with the game's own renderer and plays the game's sound effects at speed 1.
#include "platform/qt/replay_viewer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSoundEffect>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "platform/qt/frm_main.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/window_icon.h"

namespace brivane {

namespace {

// The most one round of catching up may take before the viewer gives up the lost time: a
// machine too slow for a speed then shows the replay slower rather than stop responding.
constexpr qint64 catchUpLimitMs = 40;

QString clockText(std::uint64_t ms) {
    const std::uint64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The replay time after `passes` passes, from the file's pass durations: what the clock reads
// there, as no time passes inside a replay's yields.
std::uint64_t msThrough(const Replay& replay, int passes) {
    std::uint64_t total = 0;
    int from = 1;
    int ms = VirtualClock().passDurationOf(1);
    for (const ReplayPassDuration& d : replay.durations) {
        if (d.pass > passes) {
            break;
        }
        total += static_cast<std::uint64_t>(d.pass - from) * static_cast<std::uint64_t>(ms);
        from = d.pass;
        ms = d.ms;
    }
    if (passes >= from) {
        total += static_cast<std::uint64_t>(passes + 1 - from) * static_cast<std::uint64_t>(ms);
    }
    return total;
}

// A click on the bar jumps there at once (and the handle can be dragged on from there), rather
// than creeping a page at a time towards the pointer.
class SeekBar : public QSlider {
  public:
    explicit SeekBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && maximum() > minimum()) {
            QStyleOptionSlider option;
            initStyleOption(&option);
            const QRect handle =
                style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
            const QRect groove =
                style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
            const int x = static_cast<int>(event->position().x());
            if (!handle.contains(event->position().toPoint())) {
                setValue(QStyle::sliderValueFromPosition(minimum(), maximum(),
                                                         x - groove.x() - handle.width() / 2,
                                                         groove.width() - handle.width()));
            }
        }
        QSlider::mousePressEvent(event);
    }
};

QToolButton* toolButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip,
                        const char* name) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

void ReplayViewer::SoundDone::soundDone(int device) {
    pf_.post(ScriptedEvent::with(ScriptedEvent::Kind::soundDone, device));
}

ReplayViewer::ReplayViewer(Replay replay, const QString& name, QWidget* parent)
    : QWidget(parent, Qt::Window),
      runner_(replay, 0),
      recordedMs_(msThrough(runner_.replay(), runner_.passLimit())),
      image_(devicePixelRatioF()),
      sound_([this] { return static_cast<EventSink*>(&soundDone_); },
             [this]() -> QWidget* { return this; }) {
    HeadlessPlatform& pf = runner_.platform();
    pf.folder =
        QFile::encodeName(dataFolderBeside(QCoreApplication::applicationDirPath())).toStdString();
    pf.onSoundOpened = [this](int device, const std::string& path) {
        sound_.openSoundDevice(device, path);
    };
    pf.onSoundPlayed = [this](int device) { soundPlayed(device); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The game's colours and layout: the playfield, then the life icons and the status line.
    auto* game = new QWidget(this);
    game->setAutoFillBackground(true);
    QPalette palette = game->palette();
    palette.setColor(QPalette::Window, Qt::black);
    game->setPalette(palette);
    auto* gameLayout = new QVBoxLayout(game);
    gameLayout->setContentsMargins(4, 4, 4, 2);
    gameLayout->setSpacing(3);
    // The game's own playfield widget: each pass hands the display only what changed.
    picture_ = new PlayfieldWidget(game, image_);
    picture_->unsetCursor();
    picture_->setFocusPolicy(Qt::NoFocus);
    picture_->setMouseTracking(false);
    gameLayout->addWidget(picture_, 1);
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    for (QLabel*& icon : lives_) {
        icon = new QLabel(game);
        icon->setFixedSize(lifeIconSize / twipsPerPixel, lifeIconSize / twipsPerPixel);
        // Hidden icons keep their room, as in the game's window.
        QSizePolicy policy = icon->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        icon->setSizePolicy(policy);
        row->addWidget(icon);
    }
    row->addSpacing(12);
    status_ = new QLabel(game);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setFont(statusFont());
    status_->setStyleSheet(QStringLiteral("QLabel { background: black; color: rgb(0, 255, 0); }"));
    row->addWidget(status_, 1);
    gameLayout->addLayout(row);
    layout->addWidget(game, 1);
    layout->addWidget(buildControls());
    endPanel_ = buildEndPanel();

    pf.attachSurface(&image_);
    runner_.start();
    setWindowIcon(gameIcon());
    setWindowTitle(QString::fromStdString(pf.caption) + QStringLiteral(" (replay): ") + name);
    wall_.start();
    step_.setSingleShot(true);
    step_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&step_, &QTimer::timeout, this, [this] { runDue(); });
    showPass();
    step_.start(0);

    scout_ = std::thread([this, replay = std::move(replay)]() mutable {
        ReplayRunner scout(std::move(replay), 0);
        HeadlessPlatform& spf = scout.platform();
        // Effects are over at once here, so the game is ready to play each again as soon as
        // it likes, as it is in the viewer's own run whenever that is muted.
        spf.onSoundPlayed = [&spf](int device) {
            spf.post(ScriptedEvent::with(ScriptedEvent::Kind::soundDone, device));
        };
        scout.start();
        index_.fill(scout, stopScout_);
        QMetaObject::invokeMethod(
            this, [this] { showPosition(); }, Qt::QueuedConnection);
    });
}

ReplayViewer::~ReplayViewer() {
    stopScout_ = true;
    if (scout_.joinable()) {
        scout_.join();
    }
    runner_.platform().attachSurface(nullptr);
}

QWidget* ReplayViewer::buildControls() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    play_ =
        toolButton(bar, QStyle::SP_MediaPause, QStringLiteral("Play or pause (Space)"), "cmdPlay");
    connect(play_, &QToolButton::clicked, this, [this] { setPlaying(!playing_); });
    QToolButton* step =
        toolButton(bar, QStyle::SP_ArrowRight, QStringLiteral("One pass on (.)"), "cmdStep");
    connect(step, &QToolButton::clicked, this, [this] { stepOnePass(); });
    QToolButton* slower =
        toolButton(bar, QStyle::SP_MediaSeekBackward, QStringLiteral("Slower ([)"), "cmdSlower");
    connect(slower, &QToolButton::clicked, this, [this] { changeSpeed(-1); });
    speedText_ = new QLabel(bar);
    speedText_->setObjectName(QStringLiteral("lblSpeed"));
    speedText_->setMinimumWidth(
        speedText_->fontMetrics().horizontalAdvance(QStringLiteral("1/4x")));
    speedText_->setAlignment(Qt::AlignCenter);
    QToolButton* faster =
        toolButton(bar, QStyle::SP_MediaSeekForward, QStringLiteral("Faster (])"), "cmdFaster");
    connect(faster, &QToolButton::clicked, this, [this] { changeSpeed(1); });
    QToolButton* home =
        toolButton(bar, QStyle::SP_MediaSkipBackward, QStringLiteral("Start (Home)"), "cmdHome");
    connect(home, &QToolButton::clicked, this, [this] { seekTo(0); });
    QToolButton* end =
        toolButton(bar, QStyle::SP_MediaSkipForward, QStringLiteral("End (End)"), "cmdEnd");
    connect(end, &QToolButton::clicked, this, [this] { seekTo(totalPasses()); });
    seek_ = new SeekBar(bar);
    seek_->setObjectName(QStringLiteral("sldSeek"));
    seek_->setFocusPolicy(Qt::NoFocus);
    connect(seek_, &QSlider::valueChanged, this, [this](int passes) {
        if (!showingPosition_) {
            seekTo(passes);
        }
    });
    time_ = new QLabel(bar);
    time_->setObjectName(QStringLiteral("lblTime"));
    for (QWidget* w : std::initializer_list<QWidget*>{play_, step, slower, speedText_, faster, home,
                                                      end, seek_, time_}) {
        row->addWidget(w, w == seek_ ? 1 : 0);
    }
    return bar;
}

QWidget* ReplayViewer::buildEndPanel() {
    auto* panel = new QFrame(picture_);
    panel->setObjectName(QStringLiteral("fraReplayEnds"));
    // Over the last picture, in the colours of the game's own texts.
    panel->setStyleSheet(
        QStringLiteral("#fraReplayEnds { background: rgb(24, 24, 24); border: 1px solid "
                       "rgb(0, 160, 0); } QLabel { color: rgb(0, 255, 0); }"));
    auto* column = new QVBoxLayout(panel);
    auto* text = new QLabel(QStringLiteral("Replay ends"), panel);
    text->setAlignment(Qt::AlignCenter);
    column->addWidget(text);
    auto* buttons = new QHBoxLayout;
    auto* again = new QPushButton(QStringLiteral("Watch Again"), panel);
    again->setObjectName(QStringLiteral("cmdWatchAgain"));
    connect(again, &QPushButton::clicked, this, [this] { setPlaying(true); });
    auto* close = new QPushButton(QStringLiteral("Close"), panel);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, [this] { this->close(); });
    buttons->addWidget(again);
    buttons->addWidget(close);
    column->addLayout(buttons);
    auto* centre = new QGridLayout(picture_);
    centre->addWidget(panel, 0, 0, Qt::AlignCenter);
    panel->hide();
    return panel;
}

int ReplayViewer::totalPasses() const {
    const int end = index_.endPasses();
    return end >= 0 ? end : runner_.passLimit();
}

bool ReplayViewer::ended() const {
    return runner_.finished();
}

void ReplayViewer::soundPlayed(int device) {
    const QSoundEffect* effect = sound_.device(device);
    const bool audible = playing_ && !seeking_ && speed() == 1.0;
    if (audible && effect != nullptr && effect->status() == QSoundEffect::Ready) {
        sound_.playSoundDevice(device);  // the device reports when it is done
    } else {
        runner_.platform().post(ScriptedEvent::with(ScriptedEvent::Kind::soundDone, device));
    }
}

void ReplayViewer::restartClock() {
    wallAnchor_ = wall_.elapsed();
    replayAnchor_ = runner_.platform().clock().now();
}

// Runs every pass whose time has come at the chosen speed, shows the last, and waits for the
// next one's time.
void ReplayViewer::runDue() {
    if (!playing_ || runner_.finished()) {
        return;
    }
    const VirtualClock& clock = runner_.platform().clock();
    const auto due = [this] {
        return static_cast<double>(replayAnchor_) +
               static_cast<double>(wall_.elapsed() - wallAnchor_) * speed();
    };
    QElapsedTimer work;
    work.start();
    bool ran = false;
    while (!runner_.finished() && static_cast<double>(clock.now()) <= due()) {
        runner_.runOnePass();
        ran = true;
        if (work.elapsed() > catchUpLimitMs) {
            restartClock();
            break;
        }
    }
    if (ran) {
        showPass();
    }
    if (runner_.finished()) {
        playing_ = false;  // a jump back from here shows where it lands and waits
        showControls();
        return;
    }
    const double wait = (static_cast<double>(clock.now()) - due()) / speed();
    step_.start(static_cast<int>(std::clamp(std::ceil(wait), 0.0, 60000.0)));
}

void ReplayViewer::showPass() {
    const QImage& frame = image_.image();
    const QSize shown = (QSizeF(frame.size()) / image_.devicePixelRatio()).toSize();
    if (picture_->minimumSize() != shown) {
        // Laid out now, so that the whole new picture is shown with this pass and not the next.
        picture_->setMinimumSize(shown);
        picture_->parentWidget()->layout()->activate();
        layout()->activate();
    }
    picture_->presentChanged();
    const HeadlessPlatform& pf = runner_.platform();
    const QString status = QString::fromStdString(pf.statusText);
    if (status != status_->text()) {
        status_->setText(status);
    }
    if (pf.playerSprite != livesPicture_ || lives_[0]->pixmap().isNull()) {
        livesPicture_ = pf.playerSprite;
        const int scale = sheetScaleFor(devicePixelRatioF());
        QPixmap icon = QPixmap::fromImage(PictureStore::instance().image(livesPicture_, scale));
        icon.setDevicePixelRatio(scale);
        for (QLabel* label : lives_) {
            label->setPixmap(icon);
        }
    }
    for (std::size_t i = 0; i < lives_.size(); ++i) {
        lives_[i]->setVisible(pf.lifeIcons[i]);
    }
    showPosition();
    showControls();
}

void ReplayViewer::showPosition() {
    showingPosition_ = true;
    seek_->setRange(0, totalPasses());
    seek_->setValue(runner_.passesRun());
    showingPosition_ = false;
    const std::uint64_t endMs = index_.filled() ? index_.endMs() : recordedMs_;
    time_->setText(clockText(runner_.platform().clock().now()) + QStringLiteral(" / ") +
                   clockText(endMs));
}

void ReplayViewer::showControls() {
    play_->setIcon(
        style()->standardIcon(playing_ && !ended() ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    const double s = speed();
    speedText_->setText(s < 1 ? QStringLiteral("1/%1x").arg(std::lround(1 / s))
                              : QStringLiteral("%1x").arg(std::lround(s)));
    endPanel_->setVisible(ended());
}

void ReplayViewer::setPlaying(bool playing) {
    if (playing && ended()) {
        seekTo(0);  // Watch Again
    }
    playing_ = playing;
    if (playing_) {
        restartClock();
        step_.start(0);
    } else {
        step_.stop();
        sound_.stopSounds();
    }
    showControls();
}

void ReplayViewer::stepOnePass() {
    setPlaying(false);
    if (!runner_.finished()) {
        runner_.runOnePass();
        showPass();
    }
}

void ReplayViewer::changeSpeed(int by) {
    const auto last = static_cast<int>(speeds.size()) - 1;
    speedIndex_ = static_cast<std::size_t>(std::clamp(static_cast<int>(speedIndex_) + by, 0, last));
    if (speed() != 1.0) {
        sound_.stopSounds();
    }
    restartClock();
    showControls();
}

void ReplayViewer::seekTo(int passes) {
    seeking_ = true;
    sound_.stopSounds();
    passes = std::max(passes, 0);
    // Waits, if need be, until the snapshots reach that far or show the replay ends sooner.
    index_.latestAtOrBefore(passes);
    if (const int end = index_.endPasses(); end >= 0) {
        passes = std::min(passes, end);
    }
    // The passes on the way are run without drawing; the last one is drawn whole.
    HeadlessPlatform& pf = runner_.platform();
    pf.attachSurface(nullptr);
    seekRunner(runner_, index_, std::max(passes - 1, 0));
    pf.attachSurface(&image_);
    if (passes > 0 && runner_.passesRun() < passes && !runner_.finished()) {
        runner_.runOnePass();
    }
    seeking_ = false;
    playing_ = playing_ && !ended();
    restartClock();
    showPass();
    if (playing_) {
        step_.start(0);
    }
}

void ReplayViewer::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
            setPlaying(!playing_);
            break;
        case Qt::Key_Period:
            stepOnePass();
            break;
        case Qt::Key_BracketLeft:
            changeSpeed(-1);
            break;
        case Qt::Key_BracketRight:
            changeSpeed(1);
            break;
        case Qt::Key_Home:
            seekTo(0);
            break;
        case Qt::Key_End:
            seekTo(totalPasses());
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void openReplayViewer(const QString& path, QWidget* parent) {
    std::string error;
    std::optional<Replay> replay = loadReplay(QFile::encodeName(path).toStdString(), error);
    if (!replay) {
        QMessageBox::warning(parent, QStringLiteral("Brivane"),
                             QStringLiteral("This replay cannot be watched.") +
                                 QStringLiteral("\n\n") + QString::fromStdString(error));
        return;
    }
    auto* viewer = new ReplayViewer(std::move(*replay), QFileInfo(path).fileName(), parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
}

}  // namespace brivane
