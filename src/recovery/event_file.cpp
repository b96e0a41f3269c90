#include "recovery/event_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>

namespace lotdraw {
namespace {

const QString kFormat = QStringLiteral("lotdraw event");
constexpr int kVersion = 1;
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

} // namespace

QByteArray eventFileText(const EventSnapshot &event) {
    QJsonArray results;
    for (int list = 1; list <= EventSnapshot::kResultLists; ++list) {
        results.append(QJsonObject{{QStringLiteral("heading"), EventModel::headingAfter(event.drawNumber, list)},
                                   {QStringLiteral("names"), QJsonArray::fromStringList(event.results.at(list - 1))}});
    }
    QString choice;
    for (const auto &[each, name] : kChoices) {
        choice = each == event.choice ? name : choice;
    }
    const QJsonObject file{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("drawNumber"), event.drawNumber},
                           {QStringLiteral("keepChoice"), choice},
                           {QStringLiteral("pool"), QJsonArray::fromStringList(event.pool)},
                           {QStringLiteral("results"), results}};
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
    if (!readResults(file.value(QStringLiteral("results")), event)) {
        return std::nullopt;
    }
    return event;
}

} // namespace lotdraw
