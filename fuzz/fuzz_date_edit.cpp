// libFuzzer target for the date field's own text path: whatever is set from
// code, pasted or typed, the field shows either nothing or a whole masked text
// of ten characters, GetDate agrees with that text, OnDateChange follows only
// a valid date, and CheckValidDate either returns (empty or valid) or reports
// once and ends the action; a pasted date goes in whole. The first byte
// chooses how the text arrives.
#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QTest>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DateEditPlus.h"
#include "Forms.h"

namespace {

int messages = 0;
bool badDateChange = false;

TDateEditPlus& Field() {
    static TDateEditPlus* field = [] {
        auto* f = new TDateEditPlus;
        f->OnDateChange = [](TObject*) {
            TDateTime date = 0;
            if (!TryStrToDate(Field().Text(), date)) badDateChange = true;
        };
        f->show();
        f->setFocus();
        return f;
    }();
    return *field;
}

// As the host's scripts type: QTest's own keyClicks aborts on anything but
// printable ASCII, so other characters go as key events carrying their text.
void Type(TDateEditPlus& field, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            QTest::keyClick(&field, static_cast<char>(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void Arrive(TDateEditPlus& field, unsigned mode, const QString& text) {
    switch (mode % 3) {
        case 0:
            field.SetText(text);
            break;
        case 1: {
            QGuiApplication::clipboard()->setText(text);
            field.selectAll();
            QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
            // A paste whose first word is a date gives that date.
            static const QRegularExpression spaces(QStringLiteral("\\s+"));
            TDateTime date = 0;
            if (TryStrToDate(text.trimmed().section(spaces, 0, 0), date) && field.GetDate() != date)
                std::abort();
            break;
        }
        default:
            field.selectAll();
            Type(field, text.left(40));
            break;
    }
}

void Check(TDateEditPlus& field) {
    const QString shown = field.Text();
    if (!shown.isEmpty() && shown.size() != 10) std::abort();
    TDateTime date = 0;
    const bool valid = TryStrToDate(shown, date);
    if (field.GetDate() != (valid ? date : 0)) std::abort();
    if (badDateChange) std::abort();
    const int before = messages;
    try {
        field.CheckValidDate();
        if (!shown.isEmpty() && !valid) std::abort();
    } catch (const EAbort&) {
        if (shown.isEmpty() || valid || messages != before + 1) std::abort();
    }
    if (field.Text() != shown) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "fuzz_date_edit";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    Application->SetMessageHook([](TMsgDlgType, const QString&) { ++messages; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TDateEditPlus& field = Field();
    field.Clear();
    badDateChange = false;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    Arrive(field, data[0], text);
    Check(field);
    return 0;
}
