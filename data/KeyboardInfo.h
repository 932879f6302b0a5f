#pragma once

#include "data/CategoryDescriptor.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

namespace zel::qmix::data {

class DataCategory;

// Everything the program knows about one keyboard model. The objects are
// immutable after construction and shared by all threads.
class KeyboardInfo : public QObject {
    Q_OBJECT
public:
    // The name as the keyboard reports it: 8 characters, space padded.
    virtual QString modelName() const = 0;
    // Byte sizes of the successive blocks of a complete backup.
    virtual QList<int> allDataBlockSizes() const = 0;
    virtual int songMemorySize() const = 0;
    virtual int musicPresetMemorySize() const = 0;
    virtual int songMemoryCapacity() const;
    virtual int musicPresetMemoryCapacity() const;
    // Milliseconds the keyboard needs to delete one area.
    virtual int songDeleteTime() const = 0;
    virtual int musicPresetDeleteTime() const = 0;
    virtual int rhythmDeleteTime() const = 0;
    virtual int maxSongSize() const;
    virtual bool acceptsToneType1() const = 0;
    virtual bool clearsWithEmptyData() const;
    virtual QByteArray emptyData(int categoryId, int area) const;
    virtual bool usesMusicPresetSendCommand() const;
    virtual bool isSecondGeneration() const;
    virtual bool skipsSongFollowUp() const;
    virtual QString largePicture() const;
    virtual QString smallPicture() const;

    const QList<CategoryDescriptor>& descriptors() const { return descriptors_; }
    CategoryDescriptor descriptor(const DataCategory* category) const;
    int areaCount(const DataCategory* category) const;
    int areaOffset(const DataCategory* category) const;
    int lastArea(const DataCategory* category) const;
    int firstNumber(const DataCategory* category) const;
    // The number the keyboard shows for one of its areas (as the protocol
    // addresses it) of the category.
    int shownAreaNumber(const DataCategory* category, int keyboardArea) const;
    // "Rhythm Area 3": how the program names an area to the user.
    static QString areaName(const DataCategory* category, int shownNumber);
    // The same for an area as the protocol addresses it; "" for a category
    // code this program does not know.
    QString keyboardAreaName(int categoryCode, int keyboardArea) const;
    int formatVersion(const DataCategory* category) const;
    QList<QPair<QString, int>> keyWordAreaCounts() const;
    // Largest payload an area of a variable-size category takes; -1 otherwise.
    int maxDataSize(const DataCategory* category) const;
    int deleteTime(int categoryId) const;

    // Fill level in percent of a category's shared memory pool, given the
    // bytes in use; 1 when the integer division gives 0 but something is stored.
    int memoryGaugePercent(const DataCategory* category, int used) const;

    // Percentage steps of a backup transfer: one per block boundary, then 70.
    QList<int> allDataProgressSteps() const;
    QStringList allDataLcdNames(bool save) const;
    QList<QByteArray> allDataLcdPictures(bool save) const;

    // All models, in a fixed order.
    static QList<KeyboardInfo*> list();
    // Trims `name` in place and returns the model whose trimmed name equals it
    // exactly, or null.
    static KeyboardInfo* find(QString& name);
    static KeyboardInfo* find(const QString& name);

    // The model of the keyboard identified last; never null.
    static KeyboardInfo* currentModel();
    static void setCurrentModel(KeyboardInfo* model);

protected:
    KeyboardInfo() = default;

    void addDescriptor(DataCategory* category, int areaOffset, int areaCount, int firstNumber);
    void setFormatVersion(const DataCategory* category, int formatVersion);
    static QList<int> repeated(int size, int count);

    // Model variations of the empty song: the value of its byte 30, and the
    // value of byte 357 (-1 keeps the template's).
    virtual char emptySongMarker() const;
    virtual int emptySongVariant() const;

private:
    static QByteArray resource(const QString& path);
    QByteArray emptySong(int area) const;

    QList<CategoryDescriptor> descriptors_;
};

} // namespace zel::qmix::data
