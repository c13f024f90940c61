#pragma once

#include <QDateTime>
#include <QString>
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

class QIODevice;

// One object the scope follows: its key, and the name and unit it is shown with.
struct ScopeObject {
    QString key;
    QString name;
    QString unit;
};

// One sample: when, which object (its place in the recording's objects), the value as the
// library gave it and, where that is a number, the number plotted.
struct ScopeSample {
    QDateTime time;
    int object = 0;
    QString value;
    std::optional<double> number;
};

// What the scope recorded, in the order it was taken. Memory stays bounded: beyond `limit`
// samples the oldest one goes for each new one. Saved and opened as CSV with the header
// `time,key,value,unit`, the time in ISO 8601 UTC with milliseconds.
class ScopeRecording {
  public:
    static constexpr std::size_t kDefaultLimit = 20000;

    explicit ScopeRecording(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    // The place of the object with `key`, added (with its name and unit) when new.
    int addObject(const ScopeObject& object);
    const std::vector<ScopeObject>& objects() const { return objects_; }
    const std::deque<ScopeSample>& samples() const { return samples_; }
    // Takes a sample; true when the oldest one went to make room.
    bool add(const QDateTime& time, int object, const QString& value);
    // The next sample will push the oldest one out.
    bool full() const { return samples_.size() >= limit_; }
    void dropOldest() { samples_.pop_front(); }
    void clearSamples() { samples_.clear(); }

    void writeCsv(QIODevice& out) const;
    // A recording as writeCsv wrote it; 13 "Type mismatch" naming the line for anything else,
    // and the header missing or wrong. Objects are named by their key.
    static ScopeRecording readCsv(QIODevice& in, std::size_t limit = kDefaultLimit);

  private:
    std::size_t limit_;
    std::vector<ScopeObject> objects_;
    std::deque<ScopeSample> samples_;
};
