#include "Graphics.h"

#include <QApplication>
#include <QBuffer>
#include <QHash>
#include <QPalette>
#include <QWidget>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <map>

#include "SysUtils.h"

namespace {

QPalette::ColorRole SystemRole(int index) {
    switch (index) {
        case 0x05: return QPalette::Base;
        case 0x08: return QPalette::Text;
        case 0x0F: return QPalette::Button;
        case 0x12: return QPalette::ButtonText;
        case 0x17: return QPalette::ToolTipText;
        case 0x18: return QPalette::ToolTipBase;
        default: return QPalette::Window;
    }
}

}  // namespace

QColor ToQColor(TColor color) {
    const auto bits = static_cast<quint32>(color);
    if ((bits & 0xFF000000U) == 0xFF000000U) {
        if ((bits & 0xFF) == 0x11) return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        return QApplication::palette().color(SystemRole(static_cast<int>(bits & 0xFF)));
    }
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

namespace {

double RelativeLuminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

QColor ReadableOn(const QColor& text, const QColor& background, double ratio) {
    const QColor target = RelativeLuminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    QColor readable = text;
    for (int step = 1; step <= 64 && ContrastRatio(readable, background) < ratio; ++step) {
        const double share = step / 64.0;
        readable = QColor::fromRgbF(static_cast<float>(text.redF() + (target.redF() - text.redF()) * share),
                                    static_cast<float>(text.greenF() + (target.greenF() - text.greenF()) * share),
                                    static_cast<float>(text.blueF() + (target.blueF() - text.blueF()) * share));
    }
    return readable;
}

void ApplyPalette(QWidget& widget, const QPalette& palette) {
    if (palette != widget.palette()) widget.setPalette(palette);
}

TColor ColorFromIdent(const QString& ident) {
    static const std::map<QString, TColor> names = {
        {"clBlack", clBlack},         {"clMaroon", clMaroon},   {"clGreen", clGreen},
        {"clNavy", clNavy},           {"clRed", clRed},         {"clBlue", clBlue},
        {"clWhite", clWhite},         {"clGray", clGray},       {"clSilver", clSilver},
        {"clYellow", clYellow},       {"clWindow", clWindow},   {"clWindowText", clWindowText},
        {"clBtnFace", clBtnFace},     {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
        {"clInfoText", clInfoText},   {"clInfoBk", clInfoBk},
    };
    const auto found = names.find(ident);
    if (found == names.end()) throw Exception(QStringLiteral("cor desconhecida '%1'").arg(ident));
    return found->second;
}

void SetFontName(QFont& font, const QString& name) {
    // Qt tries a family's substitutes, in order, when the family itself is not
    // installed; the table goes in before the first font is matched.
    static const bool substituted = [] {
        const QStringList sansOfSameWidths = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")};
        for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif"})
            QFont::insertSubstitutions(QString::fromLatin1(family), sansOfSameWidths);
        return true;
    }();
    Q_UNUSED(substituted);
    font.setFamily(name);
}

void SetFontHeight(QFont& font, int height) {
    if (height != 0) font.setPixelSize(height < 0 ? -height : height);
}

void SetFontStyle(QFont& font, const QStringList& styles) {
    for (const QString& style : styles) {
        if (style != "fsBold" && style != "fsItalic" && style != "fsUnderline" && style != "fsStrikeOut")
            throw Exception(QStringLiteral("estilo de fonte desconhecido '%1'").arg(style));
    }
    font.setBold(styles.contains("fsBold"));
    font.setItalic(styles.contains("fsItalic"));
    font.setUnderline(styles.contains("fsUnderline"));
    font.setStrikeOut(styles.contains("fsStrikeOut"));
}

namespace {

QImage DecodeBitmapData(const QByteArray& data) {
    if (data.size() < 4) throw Exception(QStringLiteral("imagem sem dados"));
    const auto length = qFromLittleEndian<quint32>(data.constData());
    if (length != static_cast<quint32>(data.size() - 4))
        throw Exception(QStringLiteral("tamanho da imagem não confere com os dados"));
    QImage image;
    if (!image.loadFromData(data.mid(4), "BMP"))
        throw Exception(QStringLiteral("os dados não são uma imagem BMP"));
    return image;
}

}  // namespace

// Every screen opened hands over the same image data again; each image is
// decoded once per run. A run that meets many different images (definition
// files edited while it runs) starts the cache afresh now and then.
QImage ReadBitmapData(const QByteArray& data) {
    constexpr qsizetype kMaxKept = 256;
    static auto* const decoded = new QHash<QByteArray, QImage>;
    if (const auto found = decoded->constFind(data); found != decoded->cend()) return *found;
    const QImage image = DecodeBitmapData(data);
    if (decoded->size() >= kMaxKept) decoded->clear();
    decoded->insert(data, image);
    return image;
}

QImage WithTransparentBottomLeft(const QImage& image) {
    if (image.isNull()) return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = result.pixel(0, result.height() - 1);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
    return result;
}

// Screens are opened again and again with the same glyphs. One icon per glyph
// for the whole run lets Qt's pixmap cache find it again; new pixmaps for each
// screen would fill that cache with copies, each under a key that Qt 6.4 keeps
// for good.
QIcon GlyphIcon(const QImage& strip, int count) {
    if (strip.isNull()) return {};
    static auto* const icons = new QHash<QByteArray, QIcon>;
    const int parts = count > 0 ? count : 1;
    const QImage clear = WithTransparentBottomLeft(strip);
    QByteArray key = QByteArray::number(parts) + ' ' + QByteArray::number(clear.width()) + ' ';
    key.append(reinterpret_cast<const char*>(clear.constBits()), clear.sizeInBytes());
    QIcon& icon = (*icons)[key];
    if (!icon.isNull()) return icon;
    const int width = clear.width() / parts;
    icon.addPixmap(QPixmap::fromImage(clear.copy(0, 0, width, clear.height())), QIcon::Normal);
    if (parts > 1)
        icon.addPixmap(QPixmap::fromImage(clear.copy(width, 0, width, clear.height())), QIcon::Disabled);
    return icon;
}
