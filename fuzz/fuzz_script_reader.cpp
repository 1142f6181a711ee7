// libFuzzer target for the host's script reader: any text must give lines or
// raise ScriptSyntaxError, never crash. Every line read has its number inside
// the text, in increasing order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ScriptReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<ScriptLine> lines;
    try {
        lines = ReadScript(text);
    } catch (const ScriptSyntaxError& error) {
        if (error.line < 1 || error.line > text.count(u'\n') + 1 || error.text.isEmpty())
            std::abort();
        return 0;
    }
    int previous = 0;
    for (const ScriptLine& line : lines) {
        if (line.number <= previous || line.number > text.count(u'\n') + 1) std::abort();
        previous = line.number;
    }
    return 0;
}
