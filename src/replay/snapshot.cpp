// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Snapshots, their index and seeking.
#include "replay/snapshot.h"

#include <unordered_map>
#include <utility>

#include "particles/particle.h"
#include "replay/replay_runner.h"

namespace brivane {

namespace {

using Copies = std::unordered_map<const clsParticle*, std::shared_ptr<clsParticle>>;

// A particle held in two places stays one particle in the copy.
std::shared_ptr<clsParticle> copyOf(const std::shared_ptr<clsParticle>& p, Copies& copies) {
    if (!p) {
        return nullptr;
    }
    std::shared_ptr<clsParticle>& copy = copies[p.get()];
    if (!copy) {
        copy = std::make_shared<clsParticle>(*p);
    }
    return copy;
}

}  // namespace

void copyGame(const GameRecord& from, GameRecord& to) {
    to = from;
    Copies copies;
    for (ParticleList* list : {&to.balls, &to.quarks, &to.strings}) {
        for (std::shared_ptr<clsParticle>& p : *list) {
            p = copyOf(p, copies);
        }
    }
    to.electron = copyOf(to.electron, copies);
    // The squares are only a faster way to the same answers, and are built again when needed.
    to.ballGrid = BallGrid{};
}

void SnapshotIndex::fill(ReplayRunner& scout, const std::atomic<bool>& stop) {
    std::uint64_t nextAt = 0;
    while (!stop.load(std::memory_order_relaxed)) {
        const bool last = scout.finished();
        const std::uint64_t now = scout.platform().clock().now();
        if (now >= nextAt || last) {
            auto snapshot = std::make_shared<const ReplaySnapshot>(scout.snapshot());
            const std::lock_guard<std::mutex> lock(mutex_);
            if (now >= nextAt) {
                snapshots_.push_back(std::move(snapshot));
                nextAt = now + everyMs_;
            }
            reached_ = scout.passesRun();
            if (last) {
                endPasses_ = scout.passesRun();
                endMs_ = now;
            }
            grown_.notify_all();
        }
        if (last) {
            break;
        }
        scout.runOnePass();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    grown_.notify_all();
}

std::shared_ptr<const ReplaySnapshot> SnapshotIndex::latestAtOrBefore(int passesRun) const {
    std::unique_lock<std::mutex> lock(mutex_);
    grown_.wait(lock, [&] { return done_ || reached_ >= passesRun; });
    std::shared_ptr<const ReplaySnapshot> found;
    for (auto it = snapshots_.rbegin(); it != snapshots_.rend(); ++it) {
        if ((*it)->passesRun <= passesRun) {
            found = *it;
            break;
        }
    }
    return found;
}

bool SnapshotIndex::filled() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return endPasses_ >= 0;
}

int SnapshotIndex::endPasses() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return endPasses_;
}

std::uint64_t SnapshotIndex::endMs() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return endMs_;
}

std::size_t SnapshotIndex::count() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return snapshots_.size();
}

void seekRunner(ReplayRunner& runner, const SnapshotIndex& index, int passesRun) {
    const std::shared_ptr<const ReplaySnapshot> from = index.latestAtOrBefore(passesRun);
    const bool onTheWay =
        runner.passesRun() <= passesRun && (!from || runner.passesRun() >= from->passesRun);
    if (from && !onTheWay) {
        runner.restore(*from);
    }
    while (runner.passesRun() < passesRun && !runner.finished()) {
        runner.runOnePass();
    }
}

}  // namespace brivane
