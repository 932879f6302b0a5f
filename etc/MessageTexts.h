#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVariant>

namespace zel::qmix::etc {

// Every fixed text the user sees in a message box, and the mapping of error
// codes to them. Free of widgets, so that the command-line front end prints
// exactly what the dialog shows.
class MessageTexts {
    Q_DECLARE_TR_FUNCTIONS(MessageTexts)

public:
    // Message types, the index of the error text table.
    enum Type {
        NoMessage = 0,
        CommunicationError = 1,
        FileReadError = 2,
        FileWriteError = 3,
        FileFormatError = 4,
        AlreadyRunning = 5,
        MemoryFull = 6,
        OtherModelError = 7,
        FileTooLarge = 8,
        KeyboardDataDifferent = 9
    };

    static QString titlePrefix();
    static QString errorTitle();
    static QString informationTitle();
    static QString confirmationTitle();

    // The text of a message type; empty for NoMessage and unknown types.
    static QString errorText(int type);
    // Whether the type shows a detail (usually a file name) below its text.
    static bool appendsDetail(int type);
    // The text as shown: a detail that the type appends and that is not empty
    // goes on a line of its own; otherwise the detail is ignored.
    static QString composeText(int type, const QVariant& detail = QVariant());

    // Command error code to message type; NoMessage for codes that show nothing.
    static int typeForCommandError(int code);
    // Whether a command error passes its detail on to the message.
    static bool commandErrorKeepsDetail(int code);
    // File result code (0..5) to message type; NoMessage for 0 and unknown codes.
    static int typeForFileError(int fileError);

    static QString savePackageQuestion();
    static QString cancelQuestion();
    static QString exitQuestion();
    static QString replaceQuestion(const QString& name);
    static QString restoreQuestion(const QString& name);
    static QString sendPackageQuestion(const QString& name);
};

} // namespace zel::qmix::etc
