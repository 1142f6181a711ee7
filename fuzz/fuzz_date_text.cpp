// libFuzzer target for the text-to-date conversion of the date fields: any
// text must give a date or false, never crash. A date read back must be a
// day of the years 1 to 9999 that reads the same again from its own text, and
// StrToDate must agree with TryStrToDate.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DateUtils.h"
#include "SysUtils.h"

namespace {

void Check(const QString& text) {
    TDateTime date = 0;
    const bool valid = TryStrToDate(text, date);
    try {
        const TDateTime strict = StrToDate(text);
        if (!valid || strict != date) std::abort();
    } catch (const EConvertError&) {
        if (valid) std::abort();
    }
    if (!valid) return;
    if (DateOf(date) != date || !ToQDate(date).isValid()) std::abort();
    TDateTime again = 0;
    if (!TryStrToDate(DateToStr(date), again) || again != date) std::abort();
    DayOfWeek(date);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The same bytes as a paste would bring them (UTF-8) and as single-byte
    // text, so that every character below 256 is reached directly.
    Check(QString::fromUtf8(bytes));
    Check(QString::fromLatin1(bytes));
    return 0;
}
