#include "bench/SilentEndpoint.h"

namespace zel::qmix::bench {

void SilentEndpoint::receiveFromProgram(const QByteArray&) {}

} // namespace zel::qmix::bench
