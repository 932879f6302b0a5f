#pragma once

#include <QByteArray>
#include <QString>

// Keyboard data files as the keyboard and the desktop program write them,
// built from the byte layouts (FileImages) with a name where the keyboard
// reads one, so that a received copy can be compared byte for byte.
class ItemFiles {
public:
    // Native rhythm ("AC07"), name field at 10..21.
    static QByteArray rhythm(const QByteArray& name, int size, int seed = 0);
    // Common-format song ("TAV1"); the payload's name field is at 10..21.
    static QByteArray song(const QByteArray& modelName, int formatVersion, const QByteArray& name,
                           int payloadSize, int seed = 0);
    // Music preset ("CMPS"), name field at 9..24.
    static QByteArray musicPreset(const QByteArray& name, int size, int seed = 0);
    // Any other common-format item: tones ("TN7F", tone type 0), DSP
    // ("DS7F"), registrations ("RM7F"), drawbar settings ("DB7F").
    static QByteArray common(const QByteArray& identifier, const QByteArray& modelName,
                             int formatVersion, int payloadSize, int seed = 0);

    static bool write(const QString& path, const QByteArray& bytes);
    static QByteArray read(const QString& path);
};
