#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The one sensor operation under way, shown in the status bar: what runs, its progress, a
// Cancel button, and afterwards the message it ended with. The operation runs on the window's
// thread; the library's event pump keeps the window answering while it waits for the sensor.
class Activity : public QObject {
    Q_OBJECT

  public:
    Activity(QProgressBar* bar, QPushButton* cancel, QLabel* message, QObject* parent = nullptr);

    // Runs `body` as the operation `what`. False, without running it, when another operation is
    // under way; false when it raised, with the library's error in the message line ("Cancelled"
    // for a cancel).
    bool run(const QString& what, const std::function<void()>& body);
    bool busy() const { return busy_; }
    // Cancel was clicked during the running operation.
    bool cancelRequested() const { return cancelRequested_; }
    // Progress 0-100 of the running operation.
    void setProgress(int percent);
    // Progress of one transfer, as the library reports it; shown only while the operation has
    // reported none of its own (a load of many objects counts objects, not bytes).
    void setTransferProgress(int percent);
    // How Cancel reaches the sensor.
    void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
    void showMessage(const QString& text);

  public slots:
    void cancel();

  signals:
    void busyChanged(bool busy);
    // The operation ended: `error` is the library's error number it ended with, 0 when it
    // succeeded, -1 for a failure without one.
    void ended(std::int32_t error);

  private:
    QProgressBar* bar_;
    QPushButton* cancelButton_;
    QLabel* message_;
    std::function<void()> cancelHandler_;
    bool busy_ = false;
    bool cancelRequested_ = false;
    bool ownProgress_ = false;
};
