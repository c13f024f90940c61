#include "ScopeRecording.h"

#include <QIODevice>
#include <QLocale>
#include <QStringList>

#include "kvcom3/KvError.h"

namespace {

constexpr const char* kHeader = "time,key,value,unit";

QString csvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    return '"' + QString(text).replace('"', "\"\"") + '"';
}

// The fields of one line, quotes as csvField writes them; nothing for a quote left open.
std::optional<QStringList> csvFields(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted) return std::nullopt;
    fields << field;
    return fields;
}

[[noreturn]] void badLine(int number, const QString& why) {
    kvcom3::raisePlatformError(kvcom3::platform_error::TypeMismatch,
                               QString("line %1: %2").arg(number).arg(why).toStdString());
}

}  // namespace

int ScopeRecording::addObject(const ScopeObject& object) {
    for (std::size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i].key == object.key) return static_cast<int>(i);
    objects_.push_back(object);
    return static_cast<int>(objects_.size() - 1);
}

bool ScopeRecording::add(const QDateTime& time, int object, const QString& value) {
    bool isNumber = false;
    const double number = QLocale::c().toDouble(value, &isNumber);
    samples_.push_back(
        {time, object, value, isNumber ? std::optional<double>(number) : std::nullopt});
    if (samples_.size() <= limit_) return false;
    samples_.pop_front();
    return true;
}

void ScopeRecording::writeCsv(QIODevice& out) const {
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const ScopeSample& s : samples_) {
        const ScopeObject& o = objects_[static_cast<std::size_t>(s.object)];
        text += QStringList{s.time.toUTC().toString(Qt::ISODateWithMs), csvField(o.key),
                            csvField(s.value), csvField(o.unit)}
                    .join(',')
                    .toUtf8() +
                '\n';
    }
    if (out.write(text) != text.size())
        kvcom3::raisePlatformError(kvcom3::platform_error::PathFileAccess,
                                   out.errorString().toStdString());
}

ScopeRecording ScopeRecording::readCsv(QIODevice& in, std::size_t limit) {
    ScopeRecording recording(limit);
    int number = 0;
    while (!in.atEnd()) {
        const QString line = QString::fromUtf8(in.readLine()).remove('\r').remove('\n');
        ++number;
        if (number == 1) {
            if (line != kHeader) badLine(number, QString("the header is not %1").arg(kHeader));
            continue;
        }
        if (line.isEmpty()) continue;
        const std::optional<QStringList> fields = csvFields(line);
        if (!fields || fields->size() != 4) badLine(number, "not four fields");
        const QDateTime time = QDateTime::fromString(fields->at(0), Qt::ISODateWithMs);
        if (!time.isValid()) badLine(number, QString("'%1' is not a time").arg(fields->at(0)));
        if (fields->at(1).isEmpty()) badLine(number, "no key");
        const int object = recording.addObject({fields->at(1), fields->at(1), fields->at(3)});
        recording.add(time, object, fields->at(2));
    }
    if (number == 0) badLine(1, QString("the header is not %1").arg(kHeader));
    return recording;
}
