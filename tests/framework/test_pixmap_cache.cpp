// Regression tests for memory that grew with every screen opened: Qt's styles
// cache pixmaps under keys made of the palette's and the icon pixmaps' cache
// keys, and Qt 6.4 keeps every such key for good. Screens opened again must
// come up with the same keys as before.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include "Forms.h"
#include "Graphics.h"

namespace {

QImage Glyph(QRgb colour) {
    QImage strip(32, 16, QImage::Format_RGB32);
    strip.fill(colour);
    strip.setPixel(0, 15, qRgb(0, 128, 128));  // the transparent colour
    return strip;
}

TEST(PixmapCacheKeys, PaletteEqualToTheInheritedOneIsNotSetOnTheWidget) {
    QWidget parent;
    QWidget child(&parent);
    ApplyPalette(child, child.palette());
    EXPECT_FALSE(child.testAttribute(Qt::WA_SetPalette));
    EXPECT_EQ(child.palette().cacheKey(), parent.palette().cacheKey());

    QPalette yellow = child.palette();
    yellow.setColor(QPalette::Base, Qt::yellow);
    ApplyPalette(child, yellow);
    EXPECT_TRUE(child.testAttribute(Qt::WA_SetPalette));
    EXPECT_EQ(child.palette().color(QPalette::Base), QColor(Qt::yellow));
}

TEST(PixmapCacheKeys, SameGlyphReadTwiceGivesTheSamePixmaps) {
    const QIcon first = GlyphIcon(Glyph(qRgb(255, 0, 0)), 2);
    const QIcon again = GlyphIcon(Glyph(qRgb(255, 0, 0)), 2);
    EXPECT_EQ(first.pixmap(16, 16).cacheKey(), again.pixmap(16, 16).cacheKey());
    EXPECT_EQ(first.pixmap(16, 16, QIcon::Disabled).cacheKey(), again.pixmap(16, 16, QIcon::Disabled).cacheKey());

    const QIcon other = GlyphIcon(Glyph(qRgb(0, 0, 255)), 2);
    EXPECT_NE(first.pixmap(16, 16).cacheKey(), other.pixmap(16, 16).cacheKey());
    EXPECT_EQ(GlyphIcon(Glyph(qRgb(255, 0, 0)), 1).actualSize(QSize(64, 64)), QSize(32, 16))
        << "one glyph per strip is a different icon";
}

TEST(PixmapCacheKeys, SubWindowsOfScreensShareOneTitleBarIcon) {
    QMdiArea area;
    area.resize(600, 400);
    area.show();
    Application->SetMdiArea(&area);
    TForm first, second;
    for (TForm* form : {&first, &second}) {
        form->SetFormStyle(fsMDIChild);
        form->Show();
    }
    ASSERT_TRUE(first.SubWindow() && second.SubWindow());
    EXPECT_FALSE(first.SubWindow()->windowIcon().isNull());
    EXPECT_EQ(first.SubWindow()->windowIcon().cacheKey(), second.SubWindow()->windowIcon().cacheKey());
    Application->SetMdiArea(nullptr);
}

}  // namespace
