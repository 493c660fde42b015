// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window of the kept replays.
#include "platform/qt/replay_library_window.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/numbers.h"
#include "platform/qt/replay_viewer.h"
#include "platform/regular_file.h"

namespace brivane {

namespace {

// As large as any replay the reader takes.
constexpr std::size_t copyLimit = 128 * 1024 * 1024;
constexpr int pictureWidth = 96;
constexpr int pictureHeight = 72;

QString playedText(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    const std::int64_t h = seconds / 3600;
    const QString ms60 = QStringLiteral("%1:%2")
                             .arg(seconds / 60 % 60, h > 0 ? 2 : 1, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return h > 0 ? QStringLiteral("%1:").arg(h) + ms60 : ms60;
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

void tell(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Brivane"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

ReplayLibraryWindow::ReplayLibraryWindow(Platform& pf, QString folder, QWidget* parent)
    : QDialog(parent), pf_(pf), folder_(std::move(folder)) {
    setObjectName(QStringLiteral("frmReplays"));
    setWindowTitle(QStringLiteral("Replays"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName(QStringLiteral("replayTable"));
    table_->setHorizontalHeaderLabels({QString(), QStringLiteral("Ended"), QStringLiteral("Score"),
                                       QStringLiteral("Level"), QStringLiteral("Played"),
                                       QStringLiteral("High Scores")});
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setIconSize(QSize(pictureWidth, pictureHeight));
    table_->verticalHeader()->setDefaultSectionSize(pictureHeight + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    const auto button = [&](const char* text, const char* name) {
        QPushButton* b =
            buttons->addButton(QString::fromLatin1(text), QDialogButtonBox::ActionRole);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    watch_ = button("Watch", "watchButton");
    save_ = button("Save As...", "saveButton");
    delete_ = button("Delete", "deleteButton");
    QPushButton* open = button("Open File...", "openButton");
    connect(watch_, &QPushButton::clicked, this, &ReplayLibraryWindow::watch);
    connect(save_, &QPushButton::clicked, this, &ReplayLibraryWindow::saveAs);
    connect(delete_, &QPushButton::clicked, this, &ReplayLibraryWindow::askToDelete);
    connect(open, &QPushButton::clicked, this, &ReplayLibraryWindow::openFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            &ReplayLibraryWindow::selectionChanged);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &ReplayLibraryWindow::watch);
    layout->addWidget(buttons);

    askSavePath = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save Replay"), suggested,
                                            QStringLiteral("Replays (*.replay)"));
    };
    askOpenPath = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open Replay"), QDir::homePath(),
                                            QStringLiteral("Replays (*.replay);;All files (*)"));
    };
    refresh();
    resize(640, 480);
}

QString ReplayLibraryWindow::pathOf(const KeptReplay& replay) const {
    return QDir(folder_).filePath(QString::fromStdString(replay.name));
}

void ReplayLibraryWindow::refresh() {
    replays_ = listKeptReplays(pf_);
    table_->setRowCount(static_cast<int>(replays_.size()));
    const QLocale locale;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const KeptReplay& r = replays_[static_cast<std::size_t>(row)];
        auto* picture = cell(QString(), Qt::AlignCenter);
        const QImage image(QDir(folder_).filePath(QString::fromStdString(r.picture)));
        if (!image.isNull()) {
            picture->setIcon(QPixmap::fromImage(image.scaled(
                pictureWidth, pictureHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        }
        table_->setItem(row, 0, picture);
        const QDateTime ended = QDateTime::fromSecsSinceEpoch(*r.facts.endedAt).toLocalTime();
        table_->setItem(row, 1, cell(locale.toString(ended, QLocale::ShortFormat), Qt::AlignLeft));
        table_->setItem(
            row, 2, cell(QString::fromStdString(shortestDecimal(*r.facts.score)), Qt::AlignRight));
        table_->setItem(row, 3, cell(QString::number(*r.facts.level), Qt::AlignRight));
        table_->setItem(row, 4, cell(playedText(*r.facts.msPlayed), Qt::AlignRight));
        table_->setItem(row, 5, cell(r.inTable ? QStringLiteral("Yes") : QString(), Qt::AlignLeft));
    }
    if (table_->rowCount() > 0) {
        table_->selectRow(0);
    }
    selectionChanged();
}

int ReplayLibraryWindow::selectedRow() const {
    const QList<QTableWidgetItem*> items = table_->selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

void ReplayLibraryWindow::selectionChanged() {
    const bool any = selectedRow() >= 0;
    watch_->setEnabled(any);
    save_->setEnabled(any);
    delete_->setEnabled(any);
}

void ReplayLibraryWindow::watch() {
    const int row = selectedRow();
    if (row >= 0) {
        openReplayViewer(pathOf(replays_[static_cast<std::size_t>(row)]), this);
    }
}

void ReplayLibraryWindow::saveAs() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    const KeptReplay& r = replays_[static_cast<std::size_t>(row)];
    const QString target =
        askSavePath(QDir(QDir::homePath()).filePath(QString::fromStdString(r.name)));
    if (target.isEmpty()) {
        return;
    }
    FileRead read = readRegularFile(QFile::encodeName(pathOf(r)).toStdString(), copyLimit);
    if (read.check != FileCheck::regular ||
        !replaceFile(QFile::encodeName(target).toStdString(), read.bytes)) {
        tell(this, QStringLiteral("Could not save the replay as %1.").arg(target));
    }
}

void ReplayLibraryWindow::askToDelete() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brivane"),
                    QStringLiteral("Delete this replay?"), QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setObjectName(QStringLiteral("deleteQuestion"));
    box.setTextFormat(Qt::PlainText);
    if (box.exec() != QMessageBox::Yes) {
        return;
    }
    removeKeptReplay(pf_, replays_[static_cast<std::size_t>(row)]);
    refresh();
}

void ReplayLibraryWindow::openFile() {
    const QString path = askOpenPath();
    if (!path.isEmpty()) {
        openReplayViewer(path, this);
    }
}

}  // namespace brivane
