// Multistatus reader: any bytes, no crash; an answer read as valid reads the same a second time.
#include "Multistatus.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const Multistatus first = Multistatus::parse(bytes);
    if (!first.valid)
        return 0;
    // A listing cut anywhere inside is never taken as whole.
    if (bytes.size() > 2 && Multistatus::parse(bytes.left(bytes.lastIndexOf('<'))).valid &&
        bytes.lastIndexOf('<') > bytes.indexOf("multistatus"))
        std::abort();
    const Multistatus again = Multistatus::parse(bytes);
    if (again.responses.size() != first.responses.size() || again.syncToken != first.syncToken)
        std::abort();
    return 0;
}
