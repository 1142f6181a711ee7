// The screen as its users see it: texts that fit their controls at the
// definition's geometry, frames that hold their controls, readable weekdays,
// and the title bar's buttons.
#include <QMdiSubWindow>
#include <QStyleOptionButton>
#include <QStyleOptionTitleBar>
#include <cmath>

#include "ScreenFixture.h"

namespace {

using ScreenLook = ScreenTest;

bool Differs(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) >
           24;
}

// The room a control's text has and the room it needs, in pixels.
struct TextRoom {
    QString text;
    int needed = 0;
    int available = 0;
};

// A label's text has the whole label, an option's the part beside its
// indicator; a frame's caption sits 8 pixels in from each side.
bool RoomOf(QObject* component, TextRoom& room) {
    if (auto* label = qobject_cast<QLabel*>(component)) {
        room = {label->text(), label->fontMetrics().horizontalAdvance(label->text()),
                label->contentsRect().width()};
    } else if (auto* radio = qobject_cast<QRadioButton*>(component)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        const QRect text =
            radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
        room = {radio->text(), radio->fontMetrics().horizontalAdvance(radio->text()), text.width()};
    } else if (auto* box = qobject_cast<QGroupBox*>(component)) {
        room = {box->title(), 16 + box->fontMetrics().horizontalAdvance(box->title()),
                box->width()};
    } else {
        return false;
    }
    return !room.text.isEmpty();
}

TEST_F(ScreenLook, EveryCaptionLabelOptionAndFrameTitleFitsItsControl) {
    TfrmLimpDados& s = Open();
    int checked = 0;
    for (QObject* component : s.Components()) {
        TextRoom room;
        if (!RoomOf(component, room)) continue;
        ++checked;
        EXPECT_LE(room.needed, room.available)
            << component->objectName().toStdString() << " \"" << room.text.toStdString() << "\" in "
            << QFontInfo(qobject_cast<QWidget*>(component)->font()).family().toStdString();
    }
    EXPECT_EQ(checked, 9)
        << "Relatório, both codes, both frame titles, Inicial, Final, Todas, Lista";
}

// Where a group box's frame lines are, found in a picture of the box alone.
struct FrameLines {
    int top = -1, bottom = -1, left = -1, right = -1;
    QImage image;
};

FrameLines FindFrame(QGroupBox* box) {
    FrameLines frame;
    frame.image = QImage(box->size(), QImage::Format_RGB32);
    const QRgb background = box->palette().color(QPalette::Window).rgb();
    frame.image.fill(background);
    box->render(&frame.image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const QImage& image = frame.image;
    const int column = image.width() - 6, row = image.height() / 2;
    for (int y = 0; y < image.height() && frame.top < 0; ++y)
        if (Differs(image.pixel(column, y), background)) frame.top = y;
    for (int y = image.height() - 1; y >= 0 && frame.bottom < 0; --y)
        if (Differs(image.pixel(column, y), background)) frame.bottom = y;
    for (int x = 0; x < image.width() && frame.left < 0; ++x)
        if (Differs(image.pixel(x, row), background)) frame.left = x;
    for (int x = image.width() - 1; x >= 0 && frame.right < 0; --x)
        if (Differs(image.pixel(x, row), background)) frame.right = x;
    return frame;
}

TEST_F(ScreenLook, EveryFrameHoldsItsControlsWithoutCrossingThem) {
    TfrmLimpDados& s = Open();
    for (QGroupBox* box :
         std::initializer_list<QGroupBox*>{s.grbDadosRel, s.GroupBox2, s.grbSistema}) {
        const FrameLines frame = FindFrame(box);
        ASSERT_GE(frame.top, 0) << box->objectName().toStdString() << " draws no frame";
        const QRect inside(QPoint(frame.left + 2, frame.top + 2),
                           QPoint(frame.right - 2, frame.bottom - 2));
        for (QWidget* child : box->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(inside.contains(child->geometry()))
                << child->objectName().toStdString() << " at " << child->geometry().top()
                << " crosses the frame of " << box->objectName().toStdString() << " (top line at "
                << frame.top << ")";
    }
}

TEST_F(ScreenLook, FrameCaptionsSitOnTheTopLine) {
    TfrmLimpDados& s = Open();
    for (QGroupBox* box : std::initializer_list<QGroupBox*>{s.GroupBox2, s.grbSistema}) {
        const FrameLines frame = FindFrame(box);
        const QImage& image = frame.image;
        // Caption rows: the caption's columns differ there from the frame's
        // right side, which shows only the line or the background.
        int first = -1, last = -1;
        const int end = 8 + box->fontMetrics().horizontalAdvance(box->title());
        for (int y = 0; y < frame.top + box->fontMetrics().height(); ++y)
            for (int x = 8; x < end; ++x)
                if (Differs(image.pixel(x, y), image.pixel(image.width() - 6, y))) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        EXPECT_LT(first, frame.top) << box->objectName().toStdString();
        EXPECT_GT(last, frame.top) << box->objectName().toStdString();
    }
}

double Luminance(QRgb c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(ScreenLook, WeekdaysReadAtFourAndAHalfToOneAndTheirFieldsStayDisabledOnButtonFace) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "02032024");
    Type(s.depDtFim, "09032024");
    for (TEdit* weekday : {s.edtSemIni, s.edtSemFim}) {
        ASSERT_EQ(weekday->Text(), "Sábado");
        EXPECT_FALSE(weekday->isEnabled());
        const QImage image = weekday->grab().toImage();
        // Inside the field's border: its background, and the text's darkest ink.
        const QRgb background = image.pixel(image.width() - 5, image.height() / 2);
        EXPECT_EQ(QColor(background), ToQColor(clBtnFace)) << weekday->objectName().toStdString();
        QRgb darkest = background;
        for (int y = 3; y < image.height() - 3; ++y)
            for (int x = 3; x < image.width() - 3; ++x)
                if (Luminance(image.pixel(x, y)) < Luminance(darkest)) darkest = image.pixel(x, y);
        EXPECT_GE(Contrast(darkest, background), 4.5) << weekday->objectName().toStdString();
    }
}

// A click on one of the screen's title bar buttons, where the style puts it.
void ClickTitleBarButton(QMdiSubWindow* window, QStyle::SubControl button) {
    QStyleOptionTitleBar option;
    option.initFrom(window);
    option.subControls = QStyle::SC_All;
    option.titleBarFlags = window->windowFlags();
    option.titleBarState = window->windowState() | Qt::WindowActive;
    option.state |= QStyle::State_Active;
    option.rect = QRect(0, 0, window->width(),
                        window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, window));
    const QRect place =
        window->style()->subControlRect(QStyle::CC_TitleBar, &option, button, window);
    ASSERT_TRUE(place.isValid()) << "the title bar has no such button";
    // The title bar acts on the button the mouse came over.
    QTest::mouseMove(window, window->rect().center());
    QTest::mouseMove(window, place.center());
    QTest::mouseClick(window, Qt::LeftButton, {}, place.center());
    QApplication::processEvents();
}

TEST_F(ScreenLook, SingleBorderScreenMinimisesAndMaximisesFromItsTitleBarButNeverResizes) {
    TfrmLimpDados& s = Open();
    QMdiSubWindow* window = s.SubWindow();
    const QSize normal = window->size();
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "a single border does not resize";
    ClickTitleBarButton(window, QStyle::SC_TitleBarMaxButton);
    EXPECT_EQ(s.WindowState(), wsMaximized);
    EXPECT_EQ(window->size(), area->viewport()->size());
    ClickTitleBarButton(window, QStyle::SC_TitleBarNormalButton);
    EXPECT_EQ(s.WindowState(), wsNormal);
    EXPECT_EQ(window->size(), normal);
    ClickTitleBarButton(window, QStyle::SC_TitleBarMinButton);
    EXPECT_EQ(s.WindowState(), wsMinimized);
    IniProc();
    EXPECT_EQ(window->size(), normal);
    EXPECT_EQ(s.size(), QSize(400, 145)) << "the screen keeps its definition's size";
}

// What a person or the host does to the screen's window.
struct WindowStep {
    const char* name;
    std::function<void(TfrmLimpDados&)> act;
};

TEST_F(ScreenLook, FocusStaysInAnUncheckedDateThroughMaximiseRestoreMinimiseAndASecondIniProc) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "3102");  // no date: reported only when the user leaves the field
    const auto button = [](QStyle::SubControl control) {
        return
            [control](TfrmLimpDados& screen) { ClickTitleBarButton(screen.SubWindow(), control); };
    };
    const std::vector<WindowStep> steps = {
        {"maximise button", button(QStyle::SC_TitleBarMaxButton)},
        {"restore button", button(QStyle::SC_TitleBarNormalButton)},
        {"WindowState maximised",
         [](TfrmLimpDados& screen) { screen.SetWindowState(wsMaximized); }},
        {"IniProc restoring", [](TfrmLimpDados&) { IniProc(); }},
        {"minimise button", button(QStyle::SC_TitleBarMinButton)},
        {"IniProc after minimise", [](TfrmLimpDados&) { IniProc(); }},
    };
    for (const WindowStep& step : steps) {
        step.act(s);
        QApplication::processEvents();
        if (s.WindowState() != wsMinimized) {
            EXPECT_TRUE(s.depDtIni->hasFocus()) << step.name;
        }
        EXPECT_EQ(s.depDtIni->Text(), "31/02/____") << step.name;
        EXPECT_TRUE(messages.isEmpty()) << step.name << ": " << messages.join(" | ").toStdString();
    }
}

TEST_F(ScreenLook, ClosingWithTheCloseButtonOverAnUncheckedDateShowsNothingOnceTheScreenIsGone) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "3102");
    ClickTitleBarButton(s.SubWindow(), QStyle::SC_TitleBarCloseButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_FALSE(boStCriado);
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
