// libFuzzer: any bytes are refused with a message or decode to a record that encodes back.
#include "data/SetupFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto d = kalvex::decodeSetupData(bytes, &error);
    if (!d && error.isEmpty()) std::abort();
    if (d && !bytes.startsWith(kalvex::encodeSetupData(*d))) std::abort();
    return 0;
}
