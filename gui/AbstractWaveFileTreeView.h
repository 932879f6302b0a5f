#pragma once

#include "comm/CommandErrorCode.h"
#include "gui/LocalTreeView.h"

#include <QIcon>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zel::qmix::audio {
struct WaveFormatInfo;
}

namespace zel::qmix::data {
class MimeData;
}

namespace zel::qmix::file {
struct CardAudioEntry;
}

namespace zel::qmix::gui {

// A PC folder's audio files beside the SD card's lists on the Audio tab. Card
// entries dropped here are fetched from the card, each as its concrete view
// decides by the entry's kind (cardDropFor()); any other drop is the file
// list's. Sizes are shown in MB, as on the card side.
class AbstractWaveFileTreeView : public LocalTreeView {
    Q_OBJECT
public:
    // What becomes of a card entry of one kind dropped here.
    struct CardDrop {
        enum How { Ignore, ExportWithConversion, PlainCopy };
        How how = Ignore;
        // With its dot; for plain copies.
        QString extension;

        static CardDrop ignore() { return {}; }
        static CardDrop exportWithConversion() { return {ExportWithConversion, QString()}; }
        static CardDrop copyAs(const QString& extension) { return {PlainCopy, extension}; }
    };

    explicit AbstractWaveFileTreeView(QWidget* parent = nullptr);

    // Whether `mime` carries entries of the card lists.
    static bool isCardDrag(const QMimeData* mime);

    using LocalTreeView::reload;

signals:
    void notifyError(zel::qmix::comm::CommandErrorCode::T code, QString detail);
    // The card lists and this one may all have changed.
    void allReloadRequired();

public slots:
    void reload(zel::qmix::data::const_DataCategory* category) override;
    void reload() override;
    void onFinishFileAudioExportCommand(QVariant result);
    void onFinishFileCopyCommand(QVariant result);
    void sendToTrash() override;

protected:
    virtual QStringList nameFilters() const = 0;
    virtual QIcon fileIcon() const = 0;
    // How a dropped card entry of `kind` (file::CardAudioEntry::Kind) is taken.
    virtual CardDrop cardDropFor(int kind) const = 0;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool takesCardDrag(const data::MimeData& mime) const;
    void acceptCardDrag(QDropEvent* event) const;
    void takeCardEntries(const data::MimeData& mime);
    void takeCardFile(const file::CardAudioEntry& entry, const QString& cardFile,
                      const CardDrop& drop);
    // Reads the card file's header; false, with the error reported, when the
    // file cannot be read or is no audio the keyboard plays.
    bool readCardFileHeader(const QString& cardFile, audio::WaveFormatInfo& info);
    void registerExport(const file::CardAudioEntry& entry, const QString& cardFile,
                        qint64 byteLimit);
    void registerCopy(const file::CardAudioEntry& entry, const QString& cardFile,
                      const QString& extension, qint64 byteLimit);
    void finishCardCommand(const QVariant& result);
    // The card's own audio files, when the listed folder is a card's audio
    // folder: they belong to the card lists.
    QSet<QString> cardFilesListedByControlFile(const QDir& folder) const;
    void showSizesInMegabytes();
};

} // namespace zel::qmix::gui
