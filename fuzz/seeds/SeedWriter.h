#pragma once

#include <QByteArray>
#include <QString>

// Writes the seed files of the fuzz targets, one folder per target below the
// output folder, and keeps count of what it wrote and whether anything failed.
class SeedWriter {
public:
    explicit SeedWriter(const char* program)
        : program_(program) {}

    void setOutputRoot(const QString& root) { root_ = root; }
    void write(const char* target, const QString& name, const QByteArray& bytes);
    // A seed that could not even be made.
    void noteFailure() { failed_ = true; }

    int written() const { return written_; }
    bool failed() const { return failed_; }

private:
    const char* program_;
    QString root_;
    int written_ = 0;
    bool failed_ = false;
};
