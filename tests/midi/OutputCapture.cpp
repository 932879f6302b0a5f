#include "OutputCapture.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace zel::qmix::midi::test {

namespace {

void flushAll() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

} // namespace

OutputCapture::OutputCapture(int fd)
    : fd_(fd) {
    char path[] = "/tmp/th-capture-XXXXXX";
    file_ = mkstemp(path);
    if (file_ < 0)
        return;
    unlink(path);
    flushAll();
    saved_ = dup(fd_);
    dup2(file_, fd_);
}

OutputCapture::~OutputCapture() {
    finish();
}

QByteArray OutputCapture::finish() {
    if (saved_ < 0)
        return QByteArray();
    flushAll();
    dup2(saved_, fd_);
    ::close(saved_);
    saved_ = -1;
    QByteArray text;
    lseek(file_, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n = read(file_, buffer, sizeof buffer); n > 0;
         n = read(file_, buffer, sizeof buffer))
        text.append(buffer, qsizetype(n));
    ::close(file_);
    file_ = -1;
    return text;
}

} // namespace zel::qmix::midi::test
