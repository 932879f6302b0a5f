#pragma once

#include "gui/CardAudioTreeView.h"

namespace zel::qmix::gui {

// The recorder's entries on the card ("Rec/Play Files"). They are taken
// from here, never put here: drops and the trash are ignored. The list is
// always exactly five rows high, and its column widths lead those of the
// play-only list below it.
class CardAudioRecordableTreeView : public CardAudioTreeView {
    Q_OBJECT
public:
    static constexpr int VisibleRows = 5;

    explicit CardAudioRecordableTreeView(QWidget* parent = nullptr);

signals:
    void columnWidthChanged(int column, int width);

public slots:
    void sendToTrash() override {}

protected:
    bool acceptsEntry(const file::CardAudioEntry& entry) const override {
        return entry.isRecordable();
    }
    bool isRecordable() const override { return true; }
    void reloaded() override;
    void changeEvent(QEvent* event) override;

private:
    void fitHeightToRows();
};

} // namespace zel::qmix::gui
