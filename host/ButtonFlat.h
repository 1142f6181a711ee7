#pragma once

#include "Buttons.h"
#include "HostExport.h"

// The shared library's flat speed button: flat by default, never takes the
// focus, shows its hint as a tooltip. A double click is one press: its second
// click does not run the button's action again, however quickly the first
// one's action ended.
class HOST_EXPORT TButtonFlat : public TSpeedButton {
    Q_OBJECT
public:
    explicit TButtonFlat(QWidget* parent = nullptr);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
