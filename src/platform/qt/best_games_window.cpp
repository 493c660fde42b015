// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table window. Every text in it is plain text: a name is whatever the player typed and is
// never read as markup.
#include "platform/qt/best_games_window.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "core/numbers.h"

namespace brivane {

namespace {

constexpr int nameColumn = 1;
constexpr int nameCharacters = 32;

// Counts characters, not UTF-16 units, so a name in any script gets its full 32.
class NameLength : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.toUcs4().size() <= nameCharacters ? Acceptable : Invalid;
    }
};

QString playedText(std::int64_t seconds) {
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = seconds / 60 % 60;
    const std::int64_t s = seconds % 60;
    const QString ms = QStringLiteral("%1:%2")
                           .arg(m, h > 0 ? 2 : 1, 10, QLatin1Char('0'))
                           .arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? QStringLiteral("%1:").arg(h) + ms : ms;
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

}  // namespace

BestGamesWindow::BestGamesWindow(const BestGamesView& view, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBestGames"));
    setWindowTitle(QStringLiteral("High Scores"));
    auto* layout = new QVBoxLayout(this);

    table_ = new QTableWidget(static_cast<int>(view.games.size()), 6, this);
    table_->setHorizontalHeaderLabels({QString(), QStringLiteral("Name"), QStringLiteral("Score"),
                                       QStringLiteral("Level"), QStringLiteral("Ended"),
                                       QStringLiteral("Played")});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setFocusPolicy(Qt::NoFocus);
    const QLocale locale;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const BestGame& game = view.games[static_cast<std::size_t>(row)];
        const QDateTime ended = QDateTime::fromSecsSinceEpoch(game.endedAt).toLocalTime();
        table_->setItem(row, 0, cell(QString::number(row + 1), Qt::AlignRight));
        table_->setItem(row, nameColumn, cell(QString::fromStdString(game.name), Qt::AlignLeft));
        table_->setItem(row, 2,
                        cell(QString::fromStdString(shortestDecimal(game.score)), Qt::AlignRight));
        table_->setItem(row, 3, cell(QString::number(game.level), Qt::AlignRight));
        table_->setItem(row, 4, cell(locale.toString(ended, QLocale::ShortFormat), Qt::AlignLeft));
        table_->setItem(row, 5, cell(playedText(game.secondsPlayed), Qt::AlignRight));
    }
    if (view.editRow >= 0 && view.editRow < table_->rowCount()) {
        // The new game's row stands out, and its name is ready to be typed over.
        const QColor highlight = palette().color(QPalette::Highlight);
        const QColor text = palette().color(QPalette::HighlightedText);
        for (int column = 0; column < table_->columnCount(); ++column) {
            table_->item(view.editRow, column)->setBackground(highlight);
            table_->item(view.editRow, column)->setForeground(text);
        }
        nameEdit_ = new QLineEdit(QString::fromStdString(view.editName), table_);
        nameEdit_->setObjectName(QStringLiteral("nameEdit"));
        nameEdit_->setValidator(new NameLength(nameEdit_));
        nameEdit_->selectAll();
        table_->setCellWidget(view.editRow, nameColumn, nameEdit_);
        connect(nameEdit_, &QLineEdit::returnPressed, this, &QDialog::accept);
    }
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(nameColumn, QHeaderView::Stretch);
    table_->setColumnWidth(nameColumn, fontMetrics().horizontalAdvance(QLatin1Char('M')) * 14);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    clear_ = buttons->addButton(QStringLiteral("Clear"), QDialogButtonBox::ResetRole);
    clear_->setObjectName(QStringLiteral("clearButton"));
    clear_->setAutoDefault(false);
    clear_->setEnabled(table_->rowCount() > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(clear_, &QPushButton::clicked, this, &BestGamesWindow::askToClear);
    connect(this, &QDialog::accepted, this, &BestGamesWindow::finishNaming);
    layout->addWidget(buttons);
    resize(620, 380);
    if (nameEdit_ != nullptr) {
        nameEdit_->setFocus();
    }
}

void BestGamesWindow::setReplays(const std::vector<QString>& paths) {
    const int column = table_->columnCount();
    table_->setColumnCount(column + 1);
    table_->setHorizontalHeaderItem(column, new QTableWidgetItem(QString()));
    for (int row = 0; row < table_->rowCount() && row < static_cast<int>(paths.size()); ++row) {
        const QString path = paths[static_cast<std::size_t>(row)];
        if (path.isEmpty()) {
            continue;
        }
        auto* watch = new QPushButton(QStringLiteral("Watch"), table_);
        watch->setObjectName(QStringLiteral("watchButton%1").arg(row));
        watch->setAutoDefault(false);
        connect(watch, &QPushButton::clicked, this, [this, path] {
            if (onWatch) {
                onWatch(path);
            }
        });
        table_->setCellWidget(row, column, watch);
    }
}

void BestGamesWindow::askToClear() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brivane"),
                    QStringLiteral("Clear the table of best games?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("clearQuestion"));
    box.setTextFormat(Qt::PlainText);
    if (box.exec() != QMessageBox::Yes) {
        return;
    }
    table_->setRowCount(0);
    nameEdit_ = nullptr;  // went with its row
    clear_->setEnabled(false);
    if (onCleared) {
        onCleared();
    }
}

void BestGamesWindow::finishNaming() {
    if (nameEdit_ != nullptr && !named_ && onNamed) {
        named_ = true;
        onNamed(nameEdit_->text().toStdString());
    }
}

}  // namespace brivane
