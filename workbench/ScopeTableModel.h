#pragma once

#include <QAbstractTableModel>

#include "ScopeRecording.h"

// The scope's recording as a table, one sample a row in the order taken: time, key, value,
// unit. The model holds the recording; samples go in through it so the views follow.
class ScopeTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Time, Key, Value, Unit, ColumnCount };

    explicit ScopeTableModel(QObject* parent = nullptr);

    const ScopeRecording& recording() const { return recording_; }
    void setRecording(ScopeRecording recording);
    int addObject(const ScopeObject& object) { return recording_.addObject(object); }
    // Takes a sample; true when the oldest one went to make room.
    bool add(const QDateTime& time, int object, const QString& value);
    void clearSamples();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    ScopeRecording recording_;
};
