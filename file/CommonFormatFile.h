#pragma once

#include "file/AbstractFile.h"

#include <QList>
#include <QString>

namespace zel::qmix::data {
class DataCategory;
}

namespace zel::qmix::file {

// A payload behind the 276-byte header that records the file type, the
// keyboard model and the format version:
//   0  identifier (4 ASCII)        4  model name (8 ASCII, space padded)
//   12 payload length (LE int32)   16 format version (BE int32)
//   20 table (64 LE int32)         276 payload
class CommonFormatFile : public AbstractFile {
public:
    static constexpr int kHeaderSize = 276;
    static constexpr int kTableEntries = 64;
    static constexpr int kIdentifierLength = 4;
    static constexpr int kModelNameLength = 8;

    void initialize() override;
    int fromByteArray(const QByteArray& bytes) override;
    int toByteArray(QByteArray& out) const override;
    bool isValid() const override;
    int headerSize() const override;
    QString className() const override;

    virtual bool identifierMatches() const;
    virtual QString expectedIdentifier() const = 0;
    virtual data::DataCategory* category() const = 0;

    // The data may be used on keyboard `modelName`: it is the file's own
    // model, or, for data of format version 0, its interchangeable sister.
    bool isCompatibleModel(const QString& modelName) const;
    // Keeps the first 64 entries and pads with zeros up to 64.
    void setTable(const QList<int>& table);

    QString identifier() const { return identifier_; }
    QString modelName() const { return modelName_; }
    int formatVersion() const { return formatVersion_; }
    QList<int> table() const { return table_; }

protected:
    CommonFormatFile() = default;

    void setFormatVersion(int formatVersion) { formatVersion_ = formatVersion; }

private:
    void readHeaderFields(const QByteArray& bytes);

    QString identifier_;
    QString modelName_;
    int formatVersion_ = 0;
    QList<int> table_;
};

} // namespace zel::qmix::file
