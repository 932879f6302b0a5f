#pragma once

#include <QSet>
#include <QString>

namespace zel::qmix::emu {

// Which occurrences of a countable event a fault applies to: none, some by
// their 1-based number, or every one.
class Occurrences {
public:
    Occurrences() = default;

    static Occurrences every();
    static Occurrences only(std::initializer_list<int> numbers);
    // Reads "all" or a comma-separated list of positive numbers ("3" or
    // "2,5"). Returns false and leaves `out` alone on anything else.
    static bool parse(const QString& text, Occurrences& out);

    bool matches(int number) const { return all_ || numbers_.contains(number); }
    bool isEmpty() const { return !all_ && numbers_.isEmpty(); }

private:
    bool all_ = false;
    QSet<int> numbers_;
};

} // namespace zel::qmix::emu
