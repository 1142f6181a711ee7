// libFuzzer target for the definition reader: any bytes must either parse or
// raise EDefinitionError, never crash or hang. What parses must also survive a
// write and a second read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DefinitionReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DefinitionObject tree;
    try {
        tree = ReadDefinition(text, QStringLiteral("fuzz.dfm"));
    } catch (const EDefinitionError&) {
        return 0;
    }
    // Whatever was read must be written in a form the reader takes back as
    // the same tree.
    const QByteArray written = WriteDefinition(tree);
    try {
        const DefinitionObject again = ReadDefinition(written, QStringLiteral("fuzz-written.dfm"));
        if (WriteDefinition(again) != written) std::abort();
    } catch (const EDefinitionError&) {
        std::abort();
    }
    return 0;
}
