#pragma once

#include <QImage>
#include <QToolButton>

#include "Controls.h"

// A speed button: it shows a glyph and never takes the focus when clicked,
// so the control that had the focus keeps it. OnClick runs when it is
// pressed while enabled.
class FRAMEWORK_EXPORT TSpeedButton : public TControlOf<QToolButton> {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    // Image data as definitions keep it; see ReadBitmapData.
    void SetGlyphData(const QByteArray& data);
    void SetGlyph(const QImage& strip);
    void SetNumGlyphs(int count);
    int NumGlyphs() const { return numGlyphs_; }
    void SetFlat(bool flat) { setAutoRaise(flat); }
    // Presses the button as the user does (nothing when it is disabled).
    void Click() { click(); }

    TNotifyEvent OnClick;

private:
    void UpdateIcon();

    QImage glyph_;
    int numGlyphs_ = 1;
};
