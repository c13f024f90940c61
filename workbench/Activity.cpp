#include "Activity.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cstdint>
#include <exception>

#include "kvcom3/KvError.h"

namespace {

constexpr std::int32_t kCancelled = 32755;

}  // namespace

Activity::Activity(QProgressBar* bar, QPushButton* cancel, QLabel* message, QObject* parent)
    : QObject(parent), bar_(bar), cancelButton_(cancel), message_(message) {
    bar_->setRange(0, 100);
    bar_->setVisible(false);
    cancelButton_->setVisible(false);
    connect(cancelButton_, &QPushButton::clicked, this, &Activity::cancel);
}

bool Activity::run(const QString& what, const std::function<void()>& body) {
    if (busy_) return false;
    busy_ = true;
    cancelRequested_ = false;
    ownProgress_ = false;
    bar_->setValue(0);
    bar_->setVisible(true);
    cancelButton_->setVisible(true);
    cancelButton_->setEnabled(true);
    message_->setText(what + " ...");
    emit busyChanged(true);
    bool ok = false;
    std::int32_t error = -1;
    try {
        body();
        ok = true;
        error = 0;
        message_->setText(what + ": done");
    } catch (const kvcom3::KvError& e) {
        error = e.number();
        message_->setText(e.number() == kCancelled
                              ? what + ": cancelled"
                              : QString("%1 failed: %2 (error %3)")
                                    .arg(what, QString::fromStdString(e.description()))
                                    .arg(e.number()));
    } catch (const std::exception& e) {
        message_->setText(what + " failed: " + QString::fromStdString(e.what()));
    }
    bar_->setVisible(false);
    cancelButton_->setVisible(false);
    busy_ = false;
    emit ended(error);
    emit busyChanged(false);
    return ok;
}

void Activity::setProgress(int percent) {
    ownProgress_ = true;
    if (busy_) bar_->setValue(percent);
}

void Activity::setTransferProgress(int percent) {
    if (busy_ && !ownProgress_) bar_->setValue(percent);
}

void Activity::showMessage(const QString& text) {
    message_->setText(text);
}

void Activity::cancel() {
    if (!busy_ || cancelRequested_) return;
    cancelRequested_ = true;
    cancelButton_->setEnabled(false);
    if (cancelHandler_) cancelHandler_();
}
