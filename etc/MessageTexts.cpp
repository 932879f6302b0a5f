#include "etc/MessageTexts.h"

namespace zel::qmix::etc {

namespace {

struct ErrorEntry {
    const char* text;
    bool appendsDetail;
};

// Indexed by message type; type 0 shows nothing.
const ErrorEntry ErrorTable[] = {
    {nullptr, false},
    {QT_TRANSLATE_NOOP("MessageTexts", "Communication Error"), false},
    {QT_TRANSLATE_NOOP("MessageTexts", "File Read Error"), true},
    {QT_TRANSLATE_NOOP("MessageTexts", "File Write Error"), false},
    {QT_TRANSLATE_NOOP("MessageTexts", "File Format Error"), true},
    {QT_TRANSLATE_NOOP("MessageTexts", "Already Running"), false},
    {QT_TRANSLATE_NOOP("MessageTexts", "Memory Full"), false},
    {QT_TRANSLATE_NOOP("MessageTexts", "File Format Error"), true},
    {QT_TRANSLATE_NOOP("MessageTexts", "File Too Large"), true},
    {QT_TRANSLATE_NOOP("MessageTexts", "Keyboard Data is Different"), false},
};
constexpr int ErrorTableSize = int(sizeof(ErrorTable) / sizeof(ErrorTable[0]));

const ErrorEntry* entryFor(int type) {
    if (type <= MessageTexts::NoMessage || type >= ErrorTableSize) {
        return nullptr;
    }
    return &ErrorTable[type];
}

// File result codes 0..5 in order: success, cannot read, cannot write, format
// error, data of another model, data too large.
const int FileErrorTypes[] = {
    MessageTexts::NoMessage,       MessageTexts::FileReadError,   MessageTexts::FileWriteError,
    MessageTexts::FileFormatError, MessageTexts::OtherModelError, MessageTexts::FileTooLarge,
};
constexpr int FileErrorCount = int(sizeof(FileErrorTypes) / sizeof(FileErrorTypes[0]));

} // namespace

QString MessageTexts::titlePrefix() {
    return tr("TAVRO Tone Harbour ");
}

QString MessageTexts::errorTitle() {
    return titlePrefix() + tr("Error");
}

QString MessageTexts::informationTitle() {
    return titlePrefix() + tr("Information");
}

QString MessageTexts::confirmationTitle() {
    return titlePrefix() + tr("Confirmation");
}

QString MessageTexts::errorText(int type) {
    const ErrorEntry* entry = entryFor(type);
    return entry != nullptr ? tr(entry->text) : QString();
}

bool MessageTexts::appendsDetail(int type) {
    const ErrorEntry* entry = entryFor(type);
    return entry != nullptr && entry->appendsDetail;
}

QString MessageTexts::composeText(int type, const QVariant& detail) {
    QString text = errorText(type);
    if (!appendsDetail(type)) {
        return text;
    }
    const QString detailText = detail.toString();
    if (!detailText.isEmpty()) {
        text += QLatin1Char('\n') + detailText;
    }
    return text;
}

int MessageTexts::typeForCommandError(int code) {
    // Codes as reported by the commands: 1 communication error, 2 memory full,
    // 3 file format error, 4 rejected by the keyboard, 5 canceled, 6 file read
    // error, 7 file write error, 8 keyboard data differs.
    switch (code) {
    case 1:
    case 4:
        return CommunicationError;
    case 2:
        return MemoryFull;
    case 3:
        return FileFormatError;
    case 6:
        return FileReadError;
    case 7:
        return FileWriteError;
    case 8:
        return KeyboardDataDifferent;
    default:
        return NoMessage;
    }
}

bool MessageTexts::commandErrorKeepsDetail(int code) {
    const int type = typeForCommandError(code);
    return type == FileFormatError || type == FileReadError;
}

int MessageTexts::typeForFileError(int fileError) {
    if (fileError < 0 || fileError >= FileErrorCount) {
        return NoMessage;
    }
    return FileErrorTypes[fileError];
}

QString MessageTexts::savePackageQuestion() {
    return tr("Package Data has Changed.\nSave Changes?");
}

QString MessageTexts::cancelQuestion() {
    return tr("Cancel?");
}

QString MessageTexts::exitQuestion() {
    return tr("Exit?");
}

QString MessageTexts::replaceQuestion(const QString& name) {
    return tr("Replace %1,\nSure?").arg(name);
}

QString MessageTexts::restoreQuestion(const QString& name) {
    return tr("Restore from \"%1\",\nSure?").arg(name);
}

QString MessageTexts::sendPackageQuestion(const QString& name) {
    return tr("Send Package \"%1\",\nSure?").arg(name);
}

} // namespace zel::qmix::etc
