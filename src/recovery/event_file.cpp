#include "recovery/event_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdint>

namespace lotdraw {
namespace {

const QString kFormat = QStringLiteral("lotdraw event");
// 2: with the record of the series, every draw since the latest import.
constexpr int kVersion = 2;
// The import reads at most 99 names, and a draw always leaves one in the pool.
constexpr qsizetype kMaxNames = 99;

const std::array<std::pair<KeepChoice, QString>, 3> kChoices{{{KeepChoice::None, QStringLiteral("none")},
                                                              {KeepChoice::Keep, QStringLiteral("keep")},
                                                              {KeepChoice::Remove, QStringLiteral("remove")}}};

// Names as the import reads them: texts, none empty, at most 99.
std::optional<QStringList> namesFrom(const QJsonValue &value) {
    if (!value.isArray() || value.toArray().size() > kMaxNames) {
        return std::nullopt;
    }
    QStringList names;
    for (const QJsonValue &name : value.toArray()) {
        if (!name.isString() || name.toString().isEmpty()) {
            return std::nullopt;
        }
        names.append(name.toString());
    }
    return names;
}

std::optional<KeepChoice> choiceFrom(const QJsonValue &value) {
    for (const auto &[choice, name] : kChoices) {
        if (value.toString() == name) {
            return choice;
        }
    }
    return std::nullopt;
}

// The four result lists, each under the heading its draws gave it; a list the series has not
// reached yet is empty.
bool readResults(const QJsonValue &value, EventSnapshot &event) {
    const QJsonArray lists = value.toArray();
    if (lists.size() != EventSnapshot::kResultLists) {
        return false;
    }
    for (int list = 1; list <= EventSnapshot::kResultLists; ++list) {
        const QJsonObject entry = lists.at(list - 1).toObject();
        std::optional<QStringList> names = namesFrom(entry.value(QStringLiteral("names")));
        if (!names || (list > event.drawNumber && !names->isEmpty()) ||
            entry.value(QStringLiteral("heading")).toString() != EventModel::headingAfter(event.drawNumber, list)) {
            return false;
        }
        event.results.at(static_cast<std::size_t>(list - 1)) = std::move(*names);
    }
    return true;
}

QString choiceName(KeepChoice choice) {
    QString text;
    for (const auto &[each, name] : kChoices) {
        text = each == choice ? name : text;
    }
    return text;
}

QJsonObject recordObject(const EventRecord &record) {
    QJsonArray draws;
    for (const RecordedDraw &draw : record.draws) {
        draws.append(
            QJsonObject{{QStringLiteral("number"), draw.number},
                        {QStringLiteral("stoppedAt"), draw.stoppedAt.toString(Qt::ISODateWithMs)},
                        {QStringLiteral("resultList"), draw.resultList},
                        {QStringLiteral("choice"), choiceName(draw.kept ? KeepChoice::Keep : KeepChoice::Remove)},
                        {QStringLiteral("names"), QJsonArray::fromStringList(draw.names)}});
    }
    return {{QStringLiteral("workbook"), record.workbookFileName},
            {QStringLiteral("poolCountAtImport"), record.poolCountAtImport},
            {QStringLiteral("date"), record.date.toString(Qt::ISODate)},
            {QStringLiteral("draws"), draws}};
}

// The draw with this number, as the series made it: in the list its number gives, stopped at a
// moment, with a choice of "是" or "否" and at least one name.
std::optional<RecordedDraw> drawFrom(const QJsonValue &value, int number) {
    const QJsonObject entry = value.toObject();
    std::optional<QStringList> names = namesFrom(entry.value(QStringLiteral("names")));
    const std::optional<KeepChoice> choice = choiceFrom(entry.value(QStringLiteral("choice")));
    const QDateTime stoppedAt =
        QDateTime::fromString(entry.value(QStringLiteral("stoppedAt")).toString(), Qt::ISODateWithMs);
    const int list = EventModel::resultListOf(number);
    if (!names || names->isEmpty() || !choice || *choice == KeepChoice::None || !stoppedAt.isValid() ||
        entry.value(QStringLiteral("number")).toInt(-1) != number ||
        entry.value(QStringLiteral("resultList")).toInt(-1) != list) {
        return std::nullopt;
    }
    return RecordedDraw{number, stoppedAt, list, *choice == KeepChoice::Keep, std::move(*names)};
}

// The record of the series: one draw for every draw number, and the latest draw each result list
// took holds the names that list holds. Read after the lists.
bool readRecord(const QJsonValue &value, EventSnapshot &event) {
    const QJsonObject entry = value.toObject();
    const QString date = entry.value(QStringLiteral("date")).toString();
    const QJsonArray draws = entry.value(QStringLiteral("draws")).toArray();
    EventRecord record{entry.value(QStringLiteral("workbook")).toString(),
                       entry.value(QStringLiteral("poolCountAtImport")).toInt(-1),
                       QDate::fromString(date, Qt::ISODate),
                       {}};
    // A day stands in every record but that of a window that has never had a series.
    const bool dated = record.date.isValid() || (date.isEmpty() && draws.isEmpty());
    if (!entry.value(QStringLiteral("workbook")).isString() || record.poolCountAtImport < 0 ||
        record.poolCountAtImport > kMaxNames || !dated || draws.size() != event.drawNumber) {
        return false;
    }
    for (int number = 1; number <= draws.size(); ++number) {
        std::optional<RecordedDraw> draw = drawFrom(draws.at(number - 1), number);
        if (!draw) {
            return false;
        }
        record.draws.append(std::move(*draw));
    }
    const qsizetype latest = std::max<qsizetype>(0, record.draws.size() - EventSnapshot::kResultLists);
    for (auto draw = record.draws.cbegin() + latest; draw != record.draws.cend(); ++draw) {
        if (event.results.at(static_cast<std::size_t>(draw->resultList - 1)) != draw->names) {
            return false;
        }
    }
    event.record = std::move(record);
    return true;
}

} // namespace

QByteArray eventFileText(const EventSnapshot &event) {
    QJsonArray results;
    for (int list = 1; list <= EventSnapshot::kResultLists; ++list) {
        results.append(QJsonObject{{QStringLiteral("heading"), EventModel::headingAfter(event.drawNumber, list)},
                                   {QStringLiteral("names"), QJsonArray::fromStringList(event.results.at(list - 1))}});
    }
    const QJsonObject file{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("drawNumber"), event.drawNumber},
                           {QStringLiteral("keepChoice"), choiceName(event.choice)},
                           {QStringLiteral("pool"), QJsonArray::fromStringList(event.pool)},
                           {QStringLiteral("results"), results},
                           {QStringLiteral("record"), recordObject(event.record)}};
    return QJsonDocument(file).toJson(QJsonDocument::Indented);
}

std::optional<EventSnapshot> eventFromFileText(const QByteArray &text) {
    QJsonParseError error{};
    const QJsonObject file = QJsonDocument::fromJson(text, &error).object();
    if (error.error != QJsonParseError::NoError || file.value(QStringLiteral("format")).toString() != kFormat ||
        file.value(QStringLiteral("version")).toInt(-1) != kVersion) {
        return std::nullopt;
    }
    EventSnapshot event;
    const int drawNumber = file.value(QStringLiteral("drawNumber")).toInt(-1);
    std::optional<QStringList> pool = namesFrom(file.value(QStringLiteral("pool")));
    const std::optional<KeepChoice> choice = choiceFrom(file.value(QStringLiteral("keepChoice")));
    if (drawNumber < 0 || drawNumber > INT16_MAX || !pool || !choice) {
        return std::nullopt;
    }
    event.drawNumber = drawNumber;
    event.pool = std::move(*pool);
    event.choice = *choice;
    if (!readResults(file.value(QStringLiteral("results")), event) ||
        !readRecord(file.value(QStringLiteral("record")), event)) {
        return std::nullopt;
    }
    return event;
}

} // namespace lotdraw
