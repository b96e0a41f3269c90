#pragma once

#include <QString>
#include <QStringList>

namespace lotdraw {

// A list box as the handlers see it: text lines addressed by a 0-based index. Reading at or past
// the end gives the empty text; writing the line just past the end appends it. The enlarged view and
// the export rely on both.
class ListLines {
public:
    virtual ~ListLines() = default;

    [[nodiscard]] virtual int count() const = 0;
    virtual void clear() = 0;

    [[nodiscard]] QString line(int index) const;
    void setLine(int index, const QString &text);
    void append(const QString &text) { setLine(count(), text); }

protected:
    ListLines() = default;
    ListLines(const ListLines &) = default;
    ListLines &operator=(const ListLines &) = default;

    // Called with 0 <= index < count() only.
    [[nodiscard]] virtual QString lineAt(int index) const = 0;
    virtual void replaceLine(int index, const QString &text) = 0;
    virtual void appendLine(const QString &text) = 0;
};

// Lines kept in memory, for logic that needs a list without a window.
class StringListLines final : public ListLines {
public:
    StringListLines() = default;
    explicit StringListLines(QStringList lines)
        : m_lines(std::move(lines)) {}

    [[nodiscard]] int count() const override { return static_cast<int>(m_lines.size()); }
    void clear() override { m_lines.clear(); }
    [[nodiscard]] const QStringList &lines() const { return m_lines; }

private:
    [[nodiscard]] QString lineAt(int index) const override { return m_lines.at(index); }
    void replaceLine(int index, const QString &text) override { m_lines[index] = text; }
    void appendLine(const QString &text) override { m_lines.append(text); }

    QStringList m_lines;
};

} // namespace lotdraw
