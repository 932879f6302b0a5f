#include "cli/ArgumentList.h"

namespace zel::qmix::cli {

ArgumentList::ArgumentList(const QStringList& arguments, const QSet<QString>& flags,
                           const QSet<QString>& valued) {
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        // "--" ends the options, for file names that begin with a dash.
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
        } else if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word.size() == 1) {
            positional_.append(word);
        } else if (flags.contains(word)) {
            flags_.insert(word);
        } else if (valued.contains(word)) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                error_ = QStringLiteral("%1 needs a value").arg(word);
                return;
            }
            values_.insert(word, arguments.at(++i));
        } else {
            error_ = QStringLiteral("unknown option \"%1\"").arg(word);
            return;
        }
    }
}

} // namespace zel::qmix::cli
